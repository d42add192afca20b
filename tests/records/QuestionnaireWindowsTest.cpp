// The areas, phases and questions windows.
#include "RecordWindowsTestSupport.h"

#include "RecordMessages.h"

#include <QLabel>

namespace {

class QuestionnaireWindowsTest : public ProviderRecordWindowTest {
protected:
    // Area, phase and number of every question, with its text, in the
    // questionnaire's order.
    QStringList Questions()
    {
        return Rows("SELECT IDArea, IDPhase, QuestionOrder, QuestionText FROM Questions "
                    "ORDER BY IDArea, IDPhase, QuestionOrder, IDQuestion");
    }

    int RowOf(const QString& text) const
    {
        const QStringList texts = Column(3);
        return static_cast<int>(texts.indexOf(text));
    }

    void DeleteRow(int row, TBoxAnswer answer = TBoxAnswer::Yes)
    {
        ClickRow(row);
        DialogScript::PushAnswer(answer);
        QTest::mouseClick(Button("BitBtnDelete"), Qt::LeftButton);
    }

    // Picks the area and phase items by index with the arrow keys, as a user
    // does, and types the text.
    void AddQuestionThroughDialog(int areaItem, int phaseItem, const QString& text)
    {
        ClickAndDrive(Button("BitBtnNew"), [=](QDialog* dialog) {
            Type(Field<QPlainTextEdit>(dialog, "MemoText"), text);
            auto* area = Field<QComboBox>(dialog, "ComboBoxIDArea");
            auto* phase = Field<QComboBox>(dialog, "ComboBoxIDPhase");
            for (int i = 0; i < areaItem; ++i)
                QTest::keyClick(area, Qt::Key_Down);
            for (int i = 0; i < phaseItem; ++i)
                QTest::keyClick(phase, Qt::Key_Down);
            ClickOK(dialog);
        });
    }

    void AddGrid()
    {
        db_.AddArea(1, QStringLiteral("Autonomia"));
        db_.AddArea(2, QStringLiteral("Linguaggio"));
        db_.AddPhase(1, QStringLiteral("Prima"));
        db_.AddPhase(2, QStringLiteral("Seconda"));
        db_.AddPhase(3, QStringLiteral("Terza"));
    }
};

TEST_P(QuestionnaireWindowsTest, AreaNumbersRunFromOneTo255AndATakenOneCanBeCorrected)
{
    db_.AddArea(1, QStringLiteral("Autonomia"));
    Open(TRecordWindow::Areas);

    ClickAndDrive(Button("BitBtnNew"), [](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Nuova area");
        auto* number = Field<QComboBox>(dialog, "ComboBoxID");
        auto* description = Field<QLineEdit>(dialog, "EditDescription");
        EXPECT_FALSE(number->isEditable());
        EXPECT_EQ(dialog->focusWidget(), number);
        EXPECT_EQ(number->count(), 255);
        EXPECT_EQ(number->currentText(), "1");
        QTest::keyClick(number, Qt::Key_End);
        EXPECT_EQ(number->currentText(), "255");
        QTest::keyClick(number, Qt::Key_Down);
        EXPECT_EQ(number->currentText(), "255");
        QTest::keyClick(number, Qt::Key_Home);
        QTest::keyClick(number, Qt::Key_Up);
        EXPECT_EQ(number->currentText(), "1");
        TypeText(number, QStringLiteral("0"));
        EXPECT_EQ(number->currentText(), "1");

        QTest::keyClick(number, Qt::Key_Tab);
        EXPECT_EQ(dialog->focusWidget(), description);
        TypeText(description, QStringLiteral("Relazione"));
        // 1 is taken: the database refuses it and the dialog stays.
        ClickOK(dialog);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(number->currentText(), "1");
        EXPECT_EQ(description->text(), "Relazione");

        // A pause ends the typed search for "0".
        QTest::qWait(QApplication::keyboardInputInterval() + 100);
        TypeText(number, QStringLiteral("12"));
        EXPECT_EQ(number->currentText(), "12");
        ClickOK(dialog);
    });
    const QStringList warnings = DialogScript::Texts("warning");
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(Message11010() + "NYADO exception: ")) << warnings[0].toStdString();
    EXPECT_EQ(Rows("SELECT IDArea, Description FROM Areas ORDER BY IDArea"),
              QStringList({"1|Autonomia", "12|Relazione"}));
    EXPECT_EQ(Column(0), QStringList({"1", "12"}));
}

TEST_P(QuestionnaireWindowsTest, AreasAreListedByNumberAndKeepTheirNumberWhenEdited)
{
    db_.AddArea(10, QStringLiteral("Autonomia"));
    db_.AddArea(7, QStringLiteral("Vecchia"));
    db_.AddArea(2, QStringLiteral("Zeta"));
    Open(TRecordWindow::Areas);
    EXPECT_EQ(Column(0), QStringList({"2", "7", "10"}));

    ClickRow(1);
    ClickAndDrive(Button("BitBtnEdit"), [](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Modifica dati area");
        auto* number = Field<QComboBox>(dialog, "ComboBoxID");
        EXPECT_EQ(number->currentText(), "7");
        EXPECT_FALSE(number->isEnabled());
        TypeText(number, QStringLiteral("9"));
        QTest::keyClick(number, Qt::Key_Down);
        EXPECT_EQ(number->currentText(), "7");
        auto* description = Field<QLineEdit>(dialog, "EditDescription");
        EXPECT_EQ(dialog->focusWidget(), description);
        Replace(description, QStringLiteral("Motricit\u00e0"));
        ClickOK(dialog);
    });
    EXPECT_EQ(Rows("SELECT IDArea, Description FROM Areas ORDER BY IDArea"),
              QStringList({"2|Zeta", "7|Motricit\u00e0", "10|Autonomia"}));
}

TEST_P(QuestionnaireWindowsTest, PhaseUsedByQuestionsCannotBeDeleted)
{
    db_.AddArea(1, QStringLiteral("Autonomia"));
    db_.AddPhase(1, QStringLiteral("Prima"));
    db_.AddPhase(2, QStringLiteral("Seconda"));
    db_.AddQuestion(1, 1, 1, QStringLiteral("Mangia da solo?"));
    Open(TRecordWindow::Phases);
    const TListSnapshot before = Snapshot();

    DeleteRow(0);
    EXPECT_EQ(DialogScript::Texts("question"), QStringList({Message11012()}));
    const QStringList warnings = DialogScript::Texts("warning");
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(Message11014())) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains(db_.EngineText("FOREIGN KEY constraint failed", "violates foreign key constraint")))
        << warnings[0].toStdString();
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(db_.Count("Phases"), 2);
    EXPECT_EQ(Questions(), QStringList({"1|1|1|Mangia da solo?"}));

    DeleteRow(1);
    EXPECT_EQ(Column(0), QStringList({"1"}));
    EXPECT_EQ(DialogScript::Texts("warning").size(), 1);
}

TEST_P(QuestionnaireWindowsTest, NewQuestionsAreNumberedWithinTheirAreaAndPhase)
{
    AddGrid();
    db_.AddQuestion(2, 1, 1, QStringLiteral("Dice il suo nome?"));
    Open(TRecordWindow::Questions);

    ClickAndDrive(Button("BitBtnNew"), [](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Nuova domanda");
        EXPECT_EQ(Field<QLabel>(dialog, "LabelID")->text(), "-");
        auto* text = Field<QPlainTextEdit>(dialog, "MemoText");
        auto* area = Field<QComboBox>(dialog, "ComboBoxIDArea");
        auto* phase = Field<QComboBox>(dialog, "ComboBoxIDPhase");
        EXPECT_EQ(area->currentText(), "1 (Autonomia)");
        EXPECT_EQ(phase->currentText(), "1 (Prima)");
        EXPECT_EQ(phase->count(), 3);
        EXPECT_EQ(dialog->focusWidget(), text);
        TypeText(text, QStringLiteral("Si lava le mani?"));
        QTest::keyClick(text, Qt::Key_Tab);
        EXPECT_EQ(dialog->focusWidget(), area);
        QTest::keyClick(area, Qt::Key_Tab);
        EXPECT_EQ(dialog->focusWidget(), phase);
        QTest::keyClick(phase, Qt::Key_Down);
        EXPECT_EQ(phase->currentText(), "2 (Seconda)");
        ClickOK(dialog);
    });
    AddQuestionThroughDialog(0, 1, QStringLiteral("Si veste da solo?"));
    AddQuestionThroughDialog(0, 2, QStringLiteral("Allaccia le scarpe?"));
    AddQuestionThroughDialog(1, 0, QStringLiteral("Racconta una storia?"));

    EXPECT_EQ(Questions(), QStringList({"1|2|1|Si lava le mani?", "1|2|2|Si veste da solo?",
                                        "1|3|1|Allaccia le scarpe?", "2|1|1|Dice il suo nome?",
                                        "2|1|2|Racconta una storia?"}));
    EXPECT_EQ(Column(2), QStringList({"1", "2", "1", "1", "2"}));
    EXPECT_EQ(Column(3)[4], "Racconta una storia?");
    EXPECT_TRUE(DialogScript::Texts("warning").isEmpty());
}

TEST_P(QuestionnaireWindowsTest, DeletingAQuestionClosesTheGapInItsGroupOnly)
{
    AddGrid();
    for (int order = 1; order <= 4; ++order)
        db_.AddQuestion(1, 1, order, QStringLiteral("Q%1").arg(order));
    db_.AddQuestion(1, 2, 1, QStringLiteral("Altra fase 1"));
    db_.AddQuestion(1, 2, 2, QStringLiteral("Altra fase 2"));
    db_.AddQuestion(2, 3, 1, QStringLiteral("Sola"));
    Open(TRecordWindow::Questions);

    DeleteRow(RowOf(QStringLiteral("Q2")));
    EXPECT_EQ(DialogScript::Texts("question"), QStringList({Message11200()}));
    EXPECT_EQ(Questions(), QStringList({"1|1|1|Q1", "1|1|2|Q3", "1|1|3|Q4", "1|2|1|Altra fase 1",
                                        "1|2|2|Altra fase 2", "2|3|1|Sola"}));
    EXPECT_EQ(Column(2).mid(0, 3), QStringList({"1", "2", "3"}));

    DeleteRow(RowOf(QStringLiteral("Sola")));
    EXPECT_EQ(Questions(), QStringList({"1|1|1|Q1", "1|1|2|Q3", "1|1|3|Q4", "1|2|1|Altra fase 1",
                                        "1|2|2|Altra fase 2"}));
    EXPECT_TRUE(DialogScript::Texts("warning").isEmpty());
}

TEST_P(QuestionnaireWindowsTest, RefusedDeletionLeavesEveryNumberAsItWas)
{
    AddGrid();
    QList<int> ids;
    for (int order = 1; order <= 4; ++order)
        ids << db_.AddQuestion(1, 1, order, QStringLiteral("Q%1").arg(order));
    const int compilation = db_.AddCompilation(db_.AddChild(QStringLiteral("Anna")),
                                               db_.AddTeacher(QStringLiteral("Bice")), QStringLiteral("Prova"));
    db_.Db().Execute(QStringLiteral("INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer) "
                                    "VALUES(%1, %2, 1)")
                         .arg(compilation)
                         .arg(ids[1]));
    Open(TRecordWindow::Questions);
    const QStringList before = Questions();
    const TListSnapshot rows = Snapshot();

    DeleteRow(1);
    const QStringList warnings = DialogScript::Texts("warning");
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(Message11202() + "NYADO exception: ")) << warnings[0].toStdString();
    EXPECT_EQ(Questions(), before);
    EXPECT_EQ(Snapshot(), rows);
    EXPECT_EQ(db_.Db().Connection().TransactionLevel(), 0);

    // The window goes on working: the unanswered question next to it goes.
    DeleteRow(2);
    EXPECT_EQ(Questions(), QStringList({"1|1|1|Q1", "1|1|2|Q2", "1|1|3|Q4"}));
}

TEST_P(QuestionnaireWindowsTest, DeletionRepairsNumbersThatQuestionsShare)
{
    AddGrid();
    db_.AddQuestion(1, 1, 1, QStringLiteral("A"));
    db_.AddQuestion(1, 1, 1, QStringLiteral("B"));
    db_.AddQuestion(1, 1, 2, QStringLiteral("C"));
    db_.AddQuestion(1, 1, 3, QStringLiteral("D"));
    Open(TRecordWindow::Questions);

    // A and B share number 1: deleting A still numbers B, C and D apart.
    DeleteRow(RowOf(QStringLiteral("A")));
    EXPECT_TRUE(DialogScript::Texts("warning").isEmpty()) << DialogScript::Texts("warning").join("\n").toStdString();
    EXPECT_EQ(Questions(), QStringList({"1|1|1|B", "1|1|2|C", "1|1|3|D"}));
}

TEST_P(QuestionnaireWindowsTest, EditingAQuestionChangesOnlyItsText)
{
    AddGrid();
    db_.AddQuestion(1, 2, 1, QStringLiteral("Prima domanda"));
    const int id = db_.AddQuestion(1, 2, 2, QStringLiteral("Seconda domanda"));
    Open(TRecordWindow::Questions);

    ClickRow(1);
    ClickAndDrive(Button("BitBtnEdit"), [id](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Modifica dati domanda");
        EXPECT_EQ(Field<QLabel>(dialog, "LabelID")->text(), QString::number(id));
        auto* area = Field<QComboBox>(dialog, "ComboBoxIDArea");
        auto* phase = Field<QComboBox>(dialog, "ComboBoxIDPhase");
        EXPECT_EQ(area->currentText(), "1 (Autonomia)");
        EXPECT_EQ(phase->currentText(), "2 (Seconda)");
        EXPECT_FALSE(area->isEnabled());
        EXPECT_FALSE(phase->isEnabled());
        QTest::keyClick(phase, Qt::Key_Down);
        auto* text = Field<QPlainTextEdit>(dialog, "MemoText");
        EXPECT_EQ(text->toPlainText(), "Seconda domanda");
        text->selectAll();
        TypeText(text, QStringLiteral("Nuovo testo"));
        QTest::keyClick(text, Qt::Key_Return);
        TypeText(text, QStringLiteral("su due righe"));
        ClickOK(dialog);
    });
    EXPECT_EQ(Questions(), QStringList({"1|2|1|Prima domanda", "1|2|2|Nuovo testo\r\nsu due righe"}));
}

TEST_P(QuestionnaireWindowsTest, NewQuestionNeedsAreasAndPhases)
{
    db_.AddArea(1, QStringLiteral("Autonomia"));
    Open(TRecordWindow::Questions);
    ExpectNoDialog([this] { QTest::mouseClick(Button("BitBtnNew"), Qt::LeftButton); });
    EXPECT_EQ(DialogScript::Texts("warning"), QStringList({Message11203()}));

    db_.Db().Execute(QStringLiteral("DELETE FROM Areas"));
    db_.AddPhase(1, QStringLiteral("Prima"));
    ExpectNoDialog([this] { QTest::mouseClick(Button("BitBtnNew"), Qt::LeftButton); });
    EXPECT_EQ(DialogScript::Texts("warning"), QStringList({Message11203(), Message11203()}));
    EXPECT_EQ(db_.Count("Questions"), 0);
    EXPECT_EQ(RowCount(), 0);
}

INSTANTIATE_FOR_EACH_PROVIDER(QuestionnaireWindowsTest);

} // namespace
