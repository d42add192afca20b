#include "UnitQuestions.h"

#include "Database.h"
#include "Dialogs.h"
#include "Exception.h"
#include "RecordMessages.h"
#include "UnitQuestionsEditForm.h"

#include "ui_UnitQuestions.h"

TFormQuestions::TFormQuestions(QWidget* owner)
    : TFormRSShow(owner)
    , ui_(std::make_unique<Ui::TFormQuestions>())
{
    ui_->setupUi(this);
    Initialize(TRecordListControls::Of(*ui_));
}

TFormQuestions::~TFormQuestions() = default;

QString TFormQuestions::GetSelectSQL()
{
    return QStringLiteral("SELECT * FROM Questions ORDER BY IDArea, IDPhase, QuestionOrder");
}

void TFormQuestions::GetColumnFields(QStringList& fields)
{
    fields << QStringLiteral("IDArea") << QStringLiteral("IDPhase") << QStringLiteral("QuestionOrder")
           << QStringLiteral("QuestionText");
}

TFormRSEdit* TFormQuestions::CreateEditForm(bool editMode, TNyRecordset& recordset)
{
    return new TFormQuestionsEdit(this, recordset, editMode);
}

bool TFormQuestions::ConfirmDelete()
{
    return QuestionBox(this, Message11200()) == TBoxAnswer::Yes;
}

void TFormQuestions::ShowDeleteError(const QString& message)
{
    WarningBox(this, Message11202() + message);
}

int TFormQuestions::CountRecords(const QString& table)
{
    const auto count = Database->OpenRecordset(QStringLiteral("SELECT COUNT(*) AS RecordCount FROM ") + table);
    return count->GetFieldAsInteger(QStringLiteral("RecordCount"));
}

void TFormQuestions::BitBtnNewClick()
{
    int areas = 0;
    int phases = 0;
    try {
        areas = CountRecords(QStringLiteral("Areas"));
        phases = CountRecords(QStringLiteral("Phases"));
    } catch (const Exception& e) {
        WarningBox(this, Message11201() + e.Message());
        return;
    }
    if (areas <= 0 || phases <= 0) {
        WarningBox(this, Message11203());
        return;
    }
    TFormRSShow::BitBtnNewClick();
}

void TFormQuestions::AfterInsert(TNyRecordset& recordset)
{
    try {
        // Numbers read from the record go into the statement as digits; no
        // typed text ever does.
        const QString phase = recordset.GetFieldAsString(QStringLiteral("IDPhase"));
        const QString area = recordset.GetFieldAsString(QStringLiteral("IDArea"));
        int highest = 0;
        {
            const auto maximum = Database->OpenRecordset(
                QStringLiteral("SELECT MAX(QuestionOrder) AS MaxQuestionOrder FROM Questions WHERE IDArea=") + area
                + QStringLiteral(" AND IDPhase=") + phase);
            highest = maximum->GetFieldAsInteger(QStringLiteral("MaxQuestionOrder"));
            maximum->Close();
        }
        // The new question's own -1 takes part in the maximum: alone in its
        // group it gets 1.
        const int order = highest + 1 > 0 ? highest + 1 : 1;
        recordset.Edit();
        recordset.SetField(QStringLiteral("QuestionOrder"), order);
        recordset.Update();
    } catch (const Exception& e) {
        try {
            recordset.CancelUpdate();
        } catch (const Exception&) {
        }
        WarningBox(this, Message11201() + e.Message());
    }
}

void TFormQuestions::BeforeDelete(TNyRecordset& recordset)
{
    // The rest of the group is found and rewritten by key, so questions that
    // share a number (left by an interrupted numbering) are renumbered too
    // instead of making the rows impossible to tell apart.
    const QString id = recordset.GetFieldAsString(QStringLiteral("IDQuestion"));
    const QString phase = recordset.GetFieldAsString(QStringLiteral("IDPhase"));
    const QString area = recordset.GetFieldAsString(QStringLiteral("IDArea"));
    const auto others = Database->OpenRecordset(
        QStringLiteral("SELECT IDQuestion, IDArea, IDPhase, QuestionOrder FROM Questions WHERE IDArea=") + area
        + QStringLiteral(" AND IDPhase=") + phase + QStringLiteral(" AND IDQuestion<>") + id
        + QStringLiteral(" ORDER BY QuestionOrder, IDQuestion"));
    for (int order = 1; !others->Eof(); ++order) {
        others->Edit();
        others->SetField(QStringLiteral("QuestionOrder"), order);
        others->Update();
        others->MoveNext();
    }
}
