// The start phases a new compilation proposes from the child's age, in the
// real editor: they follow the date and the child until the user sets a
// start phase, are saved as shown, and a stored compilation keeps its own.
#include "WindowTestSupport.h"

#include "CompilationMessages.h"
#include "UnitSetStartPhase.h"
#include "UnitTableEdit.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>

namespace {

class AgeProposal : public ::testing::Test {
protected:
    AgeProposal()
    {
        db.AddArea(10, QStringLiteral("Motricit\u00e0"));
        db.AddArea(20, QStringLiteral("Linguaggio"));
        // Phase 3 has no range: it is never proposed.
        const char* ranges[][2] = {{"0", "11"}, {"12", "23"}, {"NULL", "NULL"}, {"24", "47"}};
        for (int phase = 1; phase <= 4; ++phase) {
            db.AddPhase(phase, QStringLiteral("Fase %1").arg(phase));
            db.Db().Execute(QStringLiteral("UPDATE Phases SET AgeFromMonths = %1, AgeToMonths = %2 WHERE IDPhase = %3")
                                .arg(QString::fromLatin1(ranges[phase - 1][0]), QString::fromLatin1(ranges[phase - 1][1]))
                                .arg(phase));
            for (int area : {10, 20})
                db.AddQuestion(area, phase, 1, QStringLiteral("Domanda %1.%2").arg(area).arg(phase));
        }
        const int anna = db.AddChild(QStringLiteral("Anna"));
        const int bruno = db.AddChild(QStringLiteral("Bruno"));
        db.Db().Execute(QStringLiteral("UPDATE Children SET DateOfBirth = '2023-01-31 00:00:00' WHERE IDChild = %1").arg(anna));
        db.Db().Execute(QStringLiteral("UPDATE Children SET DateOfBirth = '2020-06-15 00:00:00' WHERE IDChild = %1").arg(bruno));
        teacher = db.AddTeacher(QStringLiteral("Carla"));
    }

    TFormTableEdit& Open(bool editMode)
    {
        list = db.Db().OpenRecordset(CompilationsListSql());
        if (editMode)
            list->SetAbsolutePosition(1);
        editor = std::make_unique<TFormTableEdit>(nullptr, *list, editMode);
        editor->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
        return *editor;
    }
    template <typename T>
    T* Child(const char* name)
    {
        T* child = editor->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QStringList StartPhases() { return Column(Child<QTreeWidget>("ListViewAreas"), 3); }
    QStringList QuestionTexts() { return Column(Child<QTreeView>("ListViewData"), 3); }
    void SetDate(const QDate& date) { Child<QDateEdit>("DateTimePickerDate")->setDate(date); }
    void SetChild(int index) { Child<QComboBox>("ComboBoxChild")->setCurrentIndex(index); }
    // Opens the start-phase dialog, reads the line about the age and ends it
    // with the button, after choosing the phase at the position.
    QString UseStartPhaseDialog(const char* button, int phasePosition = 0)
    {
        auto note = std::make_shared<QString>();
        const QByteArray buttonName(button);
        auto ran = OnModal<TFormSetStartPhase>([=](TFormSetStartPhase* dialog) {
            const QLabel* label = dialog->findChild<QLabel*>(QStringLiteral("LabelAgeProposal"));
            *note = label && !label->isHidden() ? label->text() : QString();
            dialog->ComboBoxStartPhase()->setCurrentIndex(phasePosition);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QString::fromLatin1(buttonName)), Qt::LeftButton);
        });
        QTest::mouseClick(Child<QPushButton>("BitBtnSetStartPhase"), Qt::LeftButton);
        EXPECT_TRUE(*ran);
        return *note;
    }

    TestDatabase db;
    ScriptedDialogs dialogs;
    int teacher = 0;
    std::unique_ptr<TNyRecordset> list;
    std::unique_ptr<TFormTableEdit> editor;
};

TEST_F(AgeProposal, FollowsTheDateAndTheChildAtTheRangeEdgesUntilSetByHand)
{
    Open(false);
    const struct {
        const char* step;
        int child; // position in the child box
        QDate date;
        const char* phase; // in every area
    } steps[] = {
        {"Anna at 0 months", 0, {2023, 1, 31}, "1"},
        {"Anna the day before 12 months", 0, {2024, 1, 30}, "1"},
        {"Anna at 12 months", 0, {2024, 1, 31}, "2"},
        {"Anna at 23 months", 0, {2024, 12, 31}, "2"},
        {"Anna at 24 months", 0, {2025, 1, 31}, "4"},
        {"Bruno at 55 months: no phase holds it", 1, {2025, 1, 31}, "1"},
        {"Bruno at 47 months", 1, {2024, 6, 14}, "4"},
        {"Bruno before his birth", 1, {2020, 6, 1}, "1"},
        {"back to Anna at 12 months", 0, {2024, 1, 31}, "2"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        SetChild(s.child);
        SetDate(s.date);
        EXPECT_EQ(StartPhases(), (QStringList{s.phase, s.phase}));
    }
    // The earlier phase's questions are not asked.
    EXPECT_EQ(QuestionTexts(), (QStringList{"Domanda 10.2", "Domanda 10.3", "Domanda 10.4", "Domanda 20.2",
                                            "Domanda 20.3", "Domanda 20.4"}));
    // The dialog says what the age proposes; cancelled, it changes nothing.
    EXPECT_EQ(UseStartPhaseDialog("BitBtnCancel"), AgeProposalText(12, 2));
    SetDate({2025, 1, 31});
    EXPECT_EQ(StartPhases(), (QStringList{"4", "4"}));

    // Set by hand: the date and the child no longer move it.
    EXPECT_EQ(UseStartPhaseDialog("BitBtnApplyToEveryArea", 2), AgeProposalText(24, 4));
    EXPECT_EQ(StartPhases(), (QStringList{"3", "3"}));
    SetDate({2024, 1, 31});
    SetChild(1);
    EXPECT_EQ(StartPhases(), (QStringList{"3", "3"}));

    // What is shown is what is saved.
    QTest::mouseClick(Child<QPushButton>("BitBtnOK"), Qt::LeftButton);
    EXPECT_EQ(db.Rows(QStringLiteral("SELECT IDArea, IDPhase FROM CompiledTablesStartPhase ORDER BY IDArea")),
              (QStringList{"10|3", "20|3"}));
}

TEST_F(AgeProposal, StoredCompilationKeepsItsStartPhases)
{
    const int key = db.AddCompilation(1, teacher, QStringLiteral("Osservazione"));
    db.Db().Execute(QStringLiteral("UPDATE CompiledTables SET DateTime = '2024-01-31 00:00:00'"));
    StoreStartPhase(db, key, 10, 1);
    StoreStartPhase(db, key, 20, 3);
    Open(true);
    EXPECT_EQ(StartPhases(), (QStringList{"1", "3"}));
    SetDate({2025, 1, 31});
    SetChild(1);
    EXPECT_EQ(StartPhases(), (QStringList{"1", "3"}));
    // The dialog still says what the age would propose.
    SetChild(0);
    EXPECT_EQ(UseStartPhaseDialog("BitBtnCancel"), AgeProposalText(24, 4));
}

TEST_F(AgeProposal, NothingIsProposedWherePhasesHaveNoRanges)
{
    db.Db().Execute(QStringLiteral("UPDATE Phases SET AgeFromMonths = NULL, AgeToMonths = NULL"));
    Open(false);
    SetDate({2024, 1, 31});
    EXPECT_EQ(StartPhases(), (QStringList{"1", "1"}));
    EXPECT_EQ(UseStartPhaseDialog("BitBtnCancel"), QString());
}

} // namespace
