// The children and educators registers.
#include "RecordWindowsTestSupport.h"

#include "DateEntry.h"
#include "RecordMessages.h"
#include "UnitChildEdit.h"
#include "Regional.h"

#include <QDateEdit>
#include <QLabel>

namespace {

class RegisterWindowsTest : public ProviderRecordWindowTest {
protected:
    // A compilation of the child and educator with two answers and a start
    // phase.
    int AddAnsweredCompilation(int child, int teacher, int question)
    {
        const int id = db_.AddCompilation(child, teacher, QStringLiteral("Osservazione"));
        db_.Db().Execute(QStringLiteral("INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer) "
                                        "VALUES(%1, %2, 0)")
                             .arg(id)
                             .arg(question));
        db_.Db().Execute(QStringLiteral("INSERT INTO CompiledTablesStartPhase(IDCompiledTable, IDArea, IDPhase) "
                                        "VALUES(%1, 1, 1)")
                             .arg(id));
        return id;
    }

    int AddQuestionnaire()
    {
        db_.AddArea(1, QStringLiteral("Autonomia"));
        db_.AddPhase(1, QStringLiteral("Prima"));
        return db_.AddQuestion(1, 1, 1, QStringLiteral("Si veste da solo?"));
    }
};

TEST_P(RegisterWindowsTest, NewChildIsStoredAndListedInNameOrder)
{
    db_.AddChild(QStringLiteral("Marco"));
    db_.AddChild(QStringLiteral("Bice"));
    Open(TRecordWindow::Children);

    ClickAndDrive(Button("BitBtnNew"), [](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Nuovo bambino");
        EXPECT_EQ(Field<QLabel>(dialog, "LabelID")->text(), "-");
        auto* birth = Field<QDateEdit>(dialog, "DTPDateOfBirth");
        EXPECT_EQ(birth->date(), QDate::currentDate());
        EXPECT_EQ(birth->displayFormat(), RegionalShortDateFormat());
        EXPECT_EQ(dialog->focusWidget(), Field<QLineEdit>(dialog, "EditName"));

        TypeText(dialog->focusWidget(), QStringLiteral("Luca d'Amico"));
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(dialog->focusWidget(), birth);
        // Tab walks day, month and year of the date before leaving it.
        for (int i = 0; i < 3 && dialog->focusWidget() == birth; ++i)
            QTest::keyClick(birth, Qt::Key_Tab);
        auto* info = Field<QPlainTextEdit>(dialog, "MemoInfo");
        EXPECT_EQ(dialog->focusWidget(), info);
        // Enter in the notes starts a new line instead of pressing OK.
        TypeText(info, QStringLiteral("Allergico"));
        QTest::keyClick(info, Qt::Key_Return);
        TypeText(info, QStringLiteral("al\u00a0latte"));
        EXPECT_TRUE(dialog->isVisible());
        ClickOK(dialog);
    });

    EXPECT_EQ(Column(0), QStringList({"Bice", "Luca d'Amico", "Marco"}));
    EXPECT_EQ(Column(1)[1], FormatShortDate(DateTimeFromQDate(QDate::currentDate())));
    EXPECT_EQ(Rows("SELECT Info FROM Children WHERE Name='Luca d''Amico'"),
              QStringList({QStringLiteral("Allergico\r\nal\u00a0latte")}));
    EXPECT_EQ(Rows("SELECT CAST(DateOfBirth AS TEXT) AS D FROM Children WHERE Name='Luca d''Amico'"),
              QStringList({QDate::currentDate().toString(Qt::ISODate) + " 00:00:00"}));
}

TEST_P(RegisterWindowsTest, TextsThatLookLikePlaceholdersAreStoredAsTyped)
{
    const QString texts[] = {
        QStringLiteral("Riconosce il 50%3 dei colori"),
        QStringLiteral("%1"),
        QStringLiteral("%%"),
        QStringLiteral("%L1 d'%2"),
    };
    struct Register {
        TRecordWindow window;
        const char* table;
        const char* key;
    };
    for (const Register& r : {Register{TRecordWindow::Children, "Children", "IDChild"},
                              Register{TRecordWindow::Teachers, "Teachers", "IDTeacher"}}) {
        SCOPED_TRACE(r.table);
        Open(r.window);
        QStringList expected;
        for (const QString& text : texts) {
            ClickAndDrive(Button("BitBtnNew"), [&text](QDialog* dialog) {
                TypeText(Field<QLineEdit>(dialog, "EditName"), text);
                TypeText(Field<QPlainTextEdit>(dialog, "MemoInfo"), QStringLiteral("Note: ") + text);
                ClickOK(dialog);
            });
            expected << text + QStringLiteral("|Note: ") + text;
        }
        EXPECT_EQ(Rows(QStringLiteral("SELECT Name, Info FROM %1 ORDER BY %2").arg(QLatin1String(r.table), QLatin1String(r.key))),
                  expected);
        EXPECT_TRUE(DialogScript::Texts("warning").isEmpty());
    }
}

TEST_P(RegisterWindowsTest, DuplicateChildNameKeepsTheDialogAndAnnullaChangesNothing)
{
    db_.AddChild(QStringLiteral("Anna"));
    Open(TRecordWindow::Children);

    const QString refusal = db_.EngineText("UNIQUE constraint failed: Children.Name",
                                           "duplicate key value violates unique constraint");
    ClickAndDrive(Button("BitBtnNew"), [&refusal](QDialog* dialog) {
        auto* name = Field<QLineEdit>(dialog, "EditName");
        Type(name, QStringLiteral("anna"));
        // Enter in the name presses OK.
        QTest::keyClick(name, Qt::Key_Return);
        const QStringList warnings = DialogScript::Texts("warning");
        EXPECT_EQ(warnings.size(), 1);
        if (!warnings.isEmpty()) {
            EXPECT_TRUE(warnings[0].startsWith(Message11003() + "NYADO exception: ")) << warnings[0].toStdString();
            EXPECT_TRUE(warnings[0].contains(refusal)) << warnings[0].toStdString();
        }
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(name->text(), "anna");
        ClickCancel(dialog);
    });
    EXPECT_EQ(Rows("SELECT IDChild, Name FROM Children"), QStringList({"1|Anna"}));
    EXPECT_EQ(Column(0), QStringList({"Anna"}));
    EXPECT_EQ(window_->Recordset()->RecordCount(), 1);

    // Correcting the name in the dialog left open stores the child.
    ClickAndDrive(Button("BitBtnNew"), [](QDialog* dialog) {
        auto* name = Field<QLineEdit>(dialog, "EditName");
        Type(name, QStringLiteral("Anna"));
        ClickOK(dialog);
        EXPECT_TRUE(dialog->isVisible());
        Replace(name, QStringLiteral("Anna B."));
        ClickOK(dialog);
        EXPECT_FALSE(dialog->isVisible());
    });
    EXPECT_EQ(Column(0), QStringList({"Anna", "Anna B."}));
    EXPECT_EQ(db_.Count("Children"), 2);
}

TEST_P(RegisterWindowsTest, EditingAChildKeepsItsIdAndTimeOfBirth)
{
    db_.AddChild(QStringLiteral("Anna"));
    const int id = db_.AddChild(QStringLiteral("Piero"));
    db_.Db().Execute(QStringLiteral("UPDATE Children SET DateOfBirth='2019-05-06 10:30:00', Info='a\r\nb' WHERE IDChild=%1").arg(id));
    Open(TRecordWindow::Children);
    ClickRow(1);
    ClickAndDrive(Button("BitBtnEdit"), [id](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Modifica dati bambino");
        EXPECT_EQ(Field<QLabel>(dialog, "LabelID")->text(), QString::number(id));
        EXPECT_EQ(Field<QDateEdit>(dialog, "DTPDateOfBirth")->date(), QDate(2019, 5, 6));
        EXPECT_EQ(Field<QPlainTextEdit>(dialog, "MemoInfo")->toPlainText(), "a\nb");
        Replace(Field<QLineEdit>(dialog, "EditName"), QStringLiteral("Pietro"));
        ClickOK(dialog);
    });
    EXPECT_EQ(Rows(QStringLiteral("SELECT IDChild, Name, CAST(DateOfBirth AS TEXT) AS D, Info FROM Children "
                                  "WHERE IDChild=%1")
                       .arg(id)),
              QStringList({QStringLiteral("%1|Pietro|2019-05-06 10:30:00|a\r\nb").arg(id)}));
}

TEST_P(RegisterWindowsTest, DeletingAChildRemovesItsCompilationsOnly)
{
    const int question = AddQuestionnaire();
    const int anna = db_.AddChild(QStringLiteral("Anna"));
    const int bruno = db_.AddChild(QStringLiteral("Bruno"));
    const int teacher = db_.AddTeacher(QStringLiteral("Maestra Bice"));
    AddAnsweredCompilation(anna, teacher, question);
    AddAnsweredCompilation(anna, teacher, question);
    const int kept = AddAnsweredCompilation(bruno, teacher, question);
    Open(TRecordWindow::Children);

    ClickRow(0);
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    QTest::mouseClick(Button("BitBtnDelete"), Qt::LeftButton);

    EXPECT_EQ(DialogScript::Texts("question"), QStringList({Message11005()}));
    EXPECT_EQ(Column(0), QStringList({"Bruno"}));
    EXPECT_EQ(Rows("SELECT IDCompiledTable FROM CompiledTables"), QStringList({QString::number(kept)}));
    EXPECT_EQ(Rows("SELECT IDCompiledTable FROM CompiledTablesAnswers"), QStringList({QString::number(kept)}));
    EXPECT_EQ(Rows("SELECT IDCompiledTable FROM CompiledTablesStartPhase"), QStringList({QString::number(kept)}));
    EXPECT_EQ(db_.Count("Teachers"), 1);
    EXPECT_EQ(db_.Count("Questions"), 1);
}

// The cascade refused at the child's second compilation: the first one,
// already gone inside the statement, comes back with it.
TEST_P(RegisterWindowsTest, AChildDeletionRefusedHalfWayLeavesEveryCompilation)
{
    const int question = AddQuestionnaire();
    const int anna = db_.AddChild(QStringLiteral("Anna"));
    const int teacher = db_.AddTeacher(QStringLiteral("Maestra Bice"));
    AddAnsweredCompilation(anna, teacher, question);
    const int second = AddAnsweredCompilation(anna, teacher, question);
    db_.RefuseRows("DELETE", QStringLiteral("CompiledTables"), QStringLiteral("OLD.IDCompiledTable = %1").arg(second),
                   QStringLiteral("rifiutata"));
    Open(TRecordWindow::Children);

    ClickRow(0);
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    QTest::mouseClick(Button("BitBtnDelete"), Qt::LeftButton);

    const QStringList warnings = DialogScript::Texts("warning");
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(Message11008()) && warnings[0].contains(QStringLiteral("rifiutata")))
        << warnings[0].toStdString();
    EXPECT_EQ(Column(0), QStringList({"Anna"}));
    EXPECT_EQ(db_.Count("Children"), 1);
    EXPECT_EQ(db_.Count("CompiledTables"), 2);
    EXPECT_EQ(db_.Count("CompiledTablesAnswers"), 2);
    EXPECT_EQ(db_.Count("CompiledTablesStartPhase"), 2);
    db_.StopRefusing();
}

// The desktop's keys: Ctrl+N for Nuovo anywhere in the window, Del on the
// list for Elimina with its confirmation (declined, then given).
TEST_P(RegisterWindowsTest, NewAndDeleteByKeys)
{
    db_.AddChild(QStringLiteral("Bice"));
    Open(TRecordWindow::Children);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_));

    // The key presses the button as a click would, a moment later: the
    // dialog is driven once it runs.
    QTest::keyClick(window_, Qt::Key_N, Qt::ControlModifier);
    QTimer::singleShot(300, qApp, [] {
        DriveNextDialog([](QDialog* dialog) {
            TypeText(dialog->focusWidget(), QStringLiteral("Luca"));
            ClickOK(dialog);
        });
    });
    QTest::qWait(1000);
    EXPECT_EQ(Column(0), QStringList({"Bice", "Luca"}));

    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_Down);
    QTest::keyClick(List(), Qt::Key_Home);
    ASSERT_EQ(SelectedRow(), 0);
    DialogScript::PushAnswer(TBoxAnswer::No);
    QTest::keyClick(List(), Qt::Key_Delete);
    QTest::qWait(300);
    EXPECT_EQ(DialogScript::Texts("question"), QStringList({Message11005()}));
    EXPECT_EQ(Column(0), QStringList({"Bice", "Luca"}));
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    QTest::keyClick(List(), Qt::Key_Delete);
    QTest::qWait(300);
    EXPECT_EQ(Column(0), QStringList({"Luca"}));
}

TEST_P(RegisterWindowsTest, EducatorsAreListedByNameThenNotesAndDeletedWithTheirCompilations)
{
    const int question = AddQuestionnaire();
    const int child = db_.AddChild(QStringLiteral("Anna"));
    const int first = db_.AddTeacher(QStringLiteral("Rossi"));
    db_.AddTeacher(QStringLiteral("Bianchi"));
    db_.Db().Execute(QStringLiteral("UPDATE Teachers SET Info='sezione B' WHERE Name='Rossi'"));
    db_.Db().Execute(QStringLiteral("UPDATE Teachers SET Info='sezione A' WHERE Name='Bianchi'"));
    AddAnsweredCompilation(child, first, question);
    Open(TRecordWindow::Teachers);

    // A second Rossi cannot be stored.
    ClickAndDrive(Button("BitBtnNew"), [](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Nuovo educatore");
        Type(Field<QLineEdit>(dialog, "EditName"), QStringLiteral("Rossi"));
        ClickOK(dialog);
        EXPECT_TRUE(dialog->isVisible());
        ClickCancel(dialog);
    });
    ASSERT_EQ(DialogScript::Texts("warning").size(), 1);
    EXPECT_TRUE(DialogScript::Texts("warning")[0].startsWith(Message11007()));

    ClickAndDrive(Button("BitBtnNew"), [](QDialog* dialog) {
        // Typing stops at 100 characters.
        auto* name = Field<QLineEdit>(dialog, "EditName");
        Type(name, QString(120, QLatin1Char('x')));
        EXPECT_EQ(name->text().size(), 100);
        Replace(name, QStringLiteral("Bianchi Rosa"));
        Type(Field<QPlainTextEdit>(dialog, "MemoInfo"), QStringLiteral("sezione A"));
        ClickOK(dialog);
    });
    EXPECT_EQ(Column(0), QStringList({"Bianchi", "Bianchi Rosa", "Rossi"}));
    EXPECT_EQ(Column(1), QStringList({"sezione A", "sezione A", "sezione B"}));

    ClickRow(2);
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    QTest::mouseClick(Button("BitBtnDelete"), Qt::LeftButton);
    EXPECT_EQ(DialogScript::Texts("question"), QStringList({Message11006()}));
    EXPECT_EQ(Column(0), QStringList({"Bianchi", "Bianchi Rosa"}));
    EXPECT_EQ(db_.Count("CompiledTables"), 0);
    EXPECT_EQ(db_.Count("CompiledTablesAnswers"), 0);
    EXPECT_EQ(db_.Count("Children"), 1);
}

struct TypedBirthCase {
    QString typed;
    QDate stored;     // invalid: refused
    QString refusal;  // the warning when refused
    const char* leaveBy; // "tab", "enter" or "ok"
};

// Each date is typed key by key into the date-of-birth field of a new child;
// the child is stored with exactly that date, or the dialog refuses it,
// names the field and stays open.
TEST_P(RegisterWindowsTest, DateOfBirthTypedByHandIsStoredAsTyped)
{
    const QString field = TFormChildEdit::DateOfBirthFieldName();
    const QString tomorrow = FormatShortDate(DateTimeFromQDate(QDate::currentDate().addDays(1)));
    const TypedBirthCase cases[] = {
        {"12/03/2023", QDate(2023, 3, 12), {}, "tab"},
        {"12-3-23", QDate(2023, 3, 12), {}, "enter"},
        {"12032023", QDate(2023, 3, 12), {}, "ok"},
        {"5.11.2019", QDate(2019, 11, 5), {}, "tab"},
        {"31/02/2023", {}, DateNotValidText(field, QStringLiteral("31/02/2023")), "tab"},
        {"12/03", {}, DateNotValidText(field, QStringLiteral("12/03")), "ok"},
        {tomorrow, {}, DateInFutureText(field), "enter"},
    };
    Open(TRecordWindow::Children);
    int number = 0;
    for (const TypedBirthCase& c : cases) {
        SCOPED_TRACE((c.typed + QLatin1Char(' ') + QLatin1String(c.leaveBy)).toStdString());
        const QString name = QStringLiteral("Bambino ") + QString::number(++number);
        DialogScript::ClearShown();
        ClickAndDrive(Button("BitBtnNew"), [&](QDialog* dialog) {
            TypeText(dialog->focusWidget(), name);
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
            auto* birth = Field<QDateEdit>(dialog, "DTPDateOfBirth");
            ASSERT_EQ(dialog->focusWidget(), birth);
            TypeText(birth, c.typed);
            if (QLatin1String(c.leaveBy) == QLatin1String("tab"))
                QTest::keyClick(birth, Qt::Key_Tab);
            if (QLatin1String(c.leaveBy) == QLatin1String("enter"))
                QTest::keyClick(birth, Qt::Key_Return);
            else
                ClickOK(dialog);
            if (c.stored.isValid()) {
                EXPECT_FALSE(dialog->isVisible());
                EXPECT_TRUE(DialogScript::ShownDialogs().empty());
                return;
            }
            EXPECT_TRUE(dialog->isVisible());
            EXPECT_EQ(DialogScript::Texts("warning"), QStringList{c.refusal});
            EXPECT_EQ(dialog->focusWidget(), birth) << "the refused field takes the focus";
            // A date of the picker's own making never stands in for the text.
            if (c.refusal.startsWith(DateNotValidText(field, QString()).left(40))) {
                EXPECT_EQ(birth->date(), QDate::currentDate());
            }
            ClickCancel(dialog);
        });
        const QStringList stored =
            Rows("SELECT CAST(DateOfBirth AS TEXT) AS D FROM Children WHERE Name='" + name + "'");
        if (c.stored.isValid())
            EXPECT_EQ(stored, QStringList{c.stored.toString(Qt::ISODate) + " 00:00:00"});
        else
            EXPECT_TRUE(stored.isEmpty());
    }
}

INSTANTIATE_FOR_EACH_PROVIDER(RegisterWindowsTest);

} // namespace
