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

// The search list (and the items, when they are read on first use) are made
// when the user first reaches the box: made with the box, they cost the
// compilation editor and the compilations list a tenth of their opening time,
// for boxes most often never typed into.
class TFirstUse : public QObject {
public:
    TFirstUse(QComboBox* combo, std::function<QStringList()> items)
        : QObject(combo)
        , combo_(combo)
        , items_(std::move(items))
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
        case QEvent::Wheel:
            if (!used_) {
                used_ = true;
                if (items_)
                    combo_->addItems(items_());
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
    std::function<QStringList()> items_;
    bool used_ = false;
};

} // namespace

void MakeComboBoxSearchable(QComboBox* combo, std::function<QStringList()> itemsOnFirstUse)
{
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    new TFirstUse(combo, std::move(itemsOnFirstUse));
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
