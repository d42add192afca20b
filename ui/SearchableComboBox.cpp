#include "SearchableComboBox.h"

#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>

void MakeComboBoxSearchable(QComboBox* combo)
{
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    auto* completer = new QCompleter(combo->model(), combo);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    combo->setCompleter(completer);
    // A name longer than the box shows from its start.
    QObject::connect(combo, &QComboBox::currentIndexChanged, combo,
                     [combo] { combo->lineEdit()->setCursorPosition(0); });
    QObject::connect(combo->lineEdit(), &QLineEdit::editingFinished, combo, [combo] {
        const int typed = combo->findText(combo->currentText(), Qt::MatchFixedString);
        if (typed >= 0)
            combo->setCurrentIndex(typed);
        else
            combo->setEditText(combo->itemText(combo->currentIndex()));
    });
}
