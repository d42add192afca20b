#include "SearchableComboBox.h"

#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QLineEdit>

namespace {

void AttachCompleter(QComboBox* combo)
{
    auto* completer = new QCompleter(combo->model(), combo);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    combo->setCompleter(completer);
}

// The search list is made when the user first reaches the box: made with
// the box, it cost the compilation editor and the compilations list a tenth
// of their opening time, for boxes most often never typed into.
class TCompleterOnFirstUse : public QObject {
public:
    explicit TCompleterOnFirstUse(QComboBox* combo)
        : QObject(combo)
        , combo_(combo)
    {
        combo->installEventFilter(this);
        combo->lineEdit()->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::KeyPress:
        case QEvent::InputMethod:
        case QEvent::MouseButtonPress:
            if (!attached_) {
                attached_ = true;
                AttachCompleter(combo_);
                deleteLater();
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    QComboBox* combo_;
    bool attached_ = false;
};

} // namespace

void MakeComboBoxSearchable(QComboBox* combo)
{
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    new TCompleterOnFirstUse(combo);
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
