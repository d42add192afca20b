#include "UnitChildren.h"

#include "Dialogs.h"
#include "Exception.h"
#include "RecordMessages.h"
#include "UnitChildEdit.h"

#include "ui_UnitChildren.h"

#include <QPushButton>

TFormChildren::TFormChildren(QWidget* owner)
    : TFormRSShow(owner)
    , ui_(std::make_unique<Ui::TFormChildren>())
{
    ui_->setupUi(this);
    ui_->BitBtnProgress->setAutoDefault(false);
    connect(ui_->BitBtnProgress, &QPushButton::clicked, this, &TFormChildren::BitBtnProgressClick);
    Initialize(TRecordListControls::Of(*ui_));
}

void TFormChildren::SetProgressOpener(TProgressOpener opener)
{
    progressOpener_ = std::move(opener);
    ListViewDataSelectItem();
}

void TFormChildren::ListViewDataSelectItem()
{
    TFormRSShow::ListViewDataSelectItem();
    ui_->BitBtnProgress->setEnabled(progressOpener_ && SelectedIndex() >= 0);
}

void TFormChildren::BitBtnProgressClick()
{
    const int row = SelectedIndex();
    if (row < 0 || !progressOpener_)
        return;
    int idChild = 0;
    try {
        Recordset()->SetAbsolutePosition(row + 1);
        idChild = Recordset()->GetFieldAsInteger(QStringLiteral("IDChild"));
    } catch (const Exception& e) {
        WarningBox(this, e.Message());
        return;
    }
    progressOpener_(this, idChild);
}

TFormChildren::~TFormChildren() = default;

QString TFormChildren::GetSelectSQL()
{
    // ITALIAN: the program's name order (NameText.h).
    return QStringLiteral("SELECT * FROM Children ORDER BY Name COLLATE ITALIAN, DateOfBirth, Info COLLATE ITALIAN");
}

void TFormChildren::GetColumnFields(QStringList& fields)
{
    fields << QStringLiteral("Name") << QStringLiteral("DateOfBirth") << QStringLiteral("Info");
}

TFormRSEdit* TFormChildren::CreateEditForm(bool editMode, TNyRecordset& recordset)
{
    return new TFormChildEdit(this, recordset, editMode);
}

bool TFormChildren::ConfirmDelete()
{
    return QuestionBox(this, Message11005()) == TBoxAnswer::Yes;
}

void TFormChildren::ShowDeleteError(const QString& message)
{
    WarningBox(this, Message11008() + message);
}
