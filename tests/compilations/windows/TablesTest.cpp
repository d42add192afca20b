// The compilations list window: the joined list, the refusal of a new
// compilation without registers, deletion with the cascade, duplication all
// or nothing, and a compilation taken from an empty list to a printed report
// through the windows.
#include "WindowTestSupport.h"

#include "CompilationMessages.h"
#include "DatabaseLockHolder.h"
#include "DateTime.h"
#include "NumberFormat.h"
#include "RecordWindows.h"
#include "Settings.h"
#include "UnitRSShow.h"
#include "UnitSetStartPhase.h"
#include "UnitTableEdit.h"
#include "TestReport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <map>
#include <vector>

namespace {

// On the file and on the server.
class Tables : public ProviderTest {
protected:
    void SetUp() override
    {
        ProviderTest::SetUp();
        if (IsSkipped())
            return;
        db.AddArea(1, QStringLiteral("Autonomia"));
        db.AddArea(2, QStringLiteral("Comunicazione"));
        db.AddPhase(1, QStringLiteral("Prima"));
        db.AddPhase(2, QStringLiteral("Seconda"));
        for (int area = 1; area <= 2; ++area)
            for (int phase = 1; phase <= 2; ++phase)
                for (int order = 1; order <= 2; ++order)
                    questions << db.AddQuestion(area, phase, order, QStringLiteral("Domanda %1.%2.%3").arg(area).arg(phase).arg(order));
        anna = db.AddChild(QStringLiteral("Anna"));
        bruno = db.AddChild(QStringLiteral("Bruno"));
        carla = db.AddTeacher(QStringLiteral("Carla"));
        dario = db.AddTeacher(QStringLiteral("Dario"));
        owner.show();
        TSettings::GetInstance()->SetAutoAdvancing(true);
    }
    ~Tables() override
    {
        delete window.data();
        TSettings::ReleaseInstance();
    }

    TFormRSShow& Open()
    {
        window = CreateRecordWindow(TRecordWindow::Compilations, &owner);
        EXPECT_NE(window.data(), nullptr);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.data()));
        return *window;
    }

    QTreeView* List() { return window->ListViewData(); }
    int RowCount() { return List()->model()->rowCount(); }
    QPushButton* Button(const char* name) { return window->findChild<QPushButton*>(QLatin1String(name)); }
    void Click(const char* name) { QTest::mouseClick(Button(name), Qt::LeftButton); }

    int AddCompilation(int child, int teacher, const QString& dateTime, const QString& description)
    {
        db.Db().Execute(QStringLiteral("INSERT INTO CompiledTables(IDChild, IDTeacher, DateTime, Description) "
                                       "VALUES(%1, %2, '%3', '%4')")
                            .arg(child)
                            .arg(teacher)
                            .arg(dateTime, description));
        return db.Db().Lookup(QStringLiteral("SELECT MAX(IDCompiledTable) AS K FROM CompiledTables"),
                              QStringLiteral("K")).toInt();
    }
    // Answers cycling through every code and no answer; area 2 from phase 2.
    void AddAnswers(int key)
    {
        for (int i = 0; i < questions.size(); ++i)
            StoreAnswer(db, key, questions[i], i % 5 == 4 ? -1 : i % 5);
        StoreStartPhase(db, key, 1, 1);
        StoreStartPhase(db, key, 2, 2);
    }
    // "IDQuestion:IDAnswer" and "IDArea:IDPhase" rows of one compilation.
    QStringList Content(int key)
    {
        QStringList rows;
        for (const QString& row : StoredCompilations(db)) {
            const QStringList fields = row.split(QLatin1Char('|'));
            if ((fields[0] == QLatin1String("A") || fields[0] == QLatin1String("S")) && fields[1].toInt() == key)
                rows << fields[0] + fields[2] + QLatin1Char(':') + fields[3];
        }
        return rows;
    }
    QString Field(int key, const char* column)
    {
        return db.Db().Lookup(QStringLiteral("SELECT %1 AS V FROM CompiledTables WHERE IDCompiledTable=%2")
                                  .arg(QLatin1String(column))
                                  .arg(key),
                              QStringLiteral("V"));
    }
    int Newest()
    {
        return db.Db().Lookup(QStringLiteral("SELECT MAX(IDCompiledTable) AS K FROM CompiledTables"),
                              QStringLiteral("K")).toInt();
    }
    int RowOf(const QString& description)
    {
        return Column(List(), 3).indexOf(description);
    }

    TestDatabase db{GetParam()};
    ScriptedDialogs dialogs;
    QWidget owner;
    QPointer<TFormRSShow> window;
    QList<int> questions;
    int anna = 0, bruno = 0, carla = 0, dario = 0;
};

// Another program's read lock is the file's own.
class FileTables : public Tables {};

} // namespace

TEST_P(Tables, ListsTheCompilationsWithChildAndEducatorInDateOrder)
{
    AddCompilation(bruno, carla, QStringLiteral("2025-05-02 00:00:00"), QStringLiteral("Maggio"));
    AddCompilation(anna, dario, QStringLiteral("2025-05-02 00:00:00"), QStringLiteral("Maggio"));
    AddCompilation(bruno, dario, QStringLiteral("2024-11-20 09:15:00"), QStringLiteral("Novembre"));
    Open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Gestione compilazioni"));
    EXPECT_FALSE(owner.isEnabled()) << "the main window waits while the list is open";
    EXPECT_EQ(Column(List(), 0), (QStringList{FormatDateTimeShort(*DateTimeFromStorageText("2024-11-20 09:15:00")),
                                              FormatShortDate(*DateTimeFromStorageText("2025-05-02")),
                                              FormatShortDate(*DateTimeFromStorageText("2025-05-02"))}));
    EXPECT_EQ(Column(List(), 1), (QStringList{"Bruno", "Anna", "Bruno"}));
    EXPECT_EQ(Column(List(), 2), (QStringList{"Dario", "Dario", "Carla"}));
    EXPECT_EQ(Column(List(), 3), (QStringList{"Novembre", "Maggio", "Maggio"}));

    // "Duplica" follows the selection together with "Modifica" and "Elimina".
    for (const char* name : {"BitBtnEdit", "BitBtnDelete", "BitBtnDuplicate"})
        EXPECT_FALSE(Button(name)->isEnabled()) << name;
    ClickRow(List(), 1);
    for (const char* name : {"BitBtnEdit", "BitBtnDelete", "BitBtnDuplicate"})
        EXPECT_TRUE(Button(name)->isEnabled()) << name;
    List()->clearSelection();
    for (const char* name : {"BitBtnEdit", "BitBtnDelete", "BitBtnDuplicate"})
        EXPECT_FALSE(Button(name)->isEnabled()) << name;

    Click("BitBtnClose");
    EXPECT_TRUE(owner.isEnabled());
}

TEST_P(Tables, NewIsRefusedWhileAnyRegisterIsEmpty)
{
    for (const char* table : {"Teachers", "Children", "Questions"}) {
        SCOPED_TRACE(table);
        // Only this one register is empty.
        db.Db().Execute(QStringLiteral("DELETE FROM ") + QLatin1String(table));
        Open();
        DialogScript::ClearShown();
        auto editorOpened = OnModal<TFormTableEdit>([](TFormTableEdit* editor) { editor->reject(); }, 300);
        Click("BitBtnNew");
        QTest::qWait(400);
        EXPECT_EQ(DialogScript::Texts(QStringLiteral("warning")), QStringList{Message11303()});
        EXPECT_FALSE(*editorOpened);
        delete window.data();
        if (QLatin1String(table) == QLatin1String("Teachers"))
            db.AddTeacher(QStringLiteral("Carla"));
        else if (QLatin1String(table) == QLatin1String("Children"))
            db.AddChild(QStringLiteral("Anna"));
    }
    // With all three registers filled "Nuova" opens the editor.
    db.AddQuestion(1, 1, 1, QStringLiteral("Domanda"));
    Open();
    DialogScript::ClearShown();
    auto editorOpened = OnModal<TFormTableEdit>([](TFormTableEdit* editor) { editor->reject(); });
    Click("BitBtnNew");
    EXPECT_TRUE(*editorOpened);
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("warning")).isEmpty());
}

TEST_P(Tables, NewOpensTheEditorAndTheSavedCompilationIsListed)
{
    Open();
    auto ran = OnModal<TFormTableEdit>([](TFormTableEdit* editor) {
        EXPECT_EQ(editor->windowTitle(), QStringLiteral("Nuova compilazione"));
        editor->findChild<QLineEdit*>(QStringLiteral("EditDescription"))->setText(QStringLiteral("Prima"));
        QWidget* questions = editor->findChild<QTreeView*>(QStringLiteral("ListViewData"));
        questions->setFocus();
        for (char key : {'s', 's', 'v', 'n'})
            QTest::keyClick(questions, key);
        QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("BitBtnOK")), Qt::LeftButton);
    });
    Click("BitBtnNew");
    ASSERT_TRUE(*ran);
    EXPECT_EQ(Column(List(), 3), QStringList{"Prima"});
    EXPECT_EQ(Column(List(), 1), QStringList{"Anna"});
    const int key = Newest();
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTablesAnswers"), QStringLiteral("IDCompiledTable=%1 AND IDAnswer>=0").arg(key)), 4);
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTablesAnswers"), QStringLiteral("IDCompiledTable=%1").arg(key)), 8);

    // "Modifica" opens it again; OK with a new description shows in the list.
    ClickRow(List(), 0);
    auto edited = OnModal<TFormTableEdit>([](TFormTableEdit* editor) {
        EXPECT_EQ(editor->windowTitle(), QStringLiteral("Modifica compilazione"));
        auto* description = editor->findChild<QLineEdit*>(QStringLiteral("EditDescription"));
        EXPECT_EQ(description->text(), QStringLiteral("Prima"));
        description->setText(QStringLiteral("Prima, riveduta"));
        QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("BitBtnOK")), Qt::LeftButton);
    });
    Click("BitBtnEdit");
    ASSERT_TRUE(*edited);
    EXPECT_EQ(Column(List(), 3), QStringList{"Prima, riveduta"});
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTables")), 1);
}

TEST_P(Tables, DeleteTakesTheAnswersAndStartPhasesWithIt)
{
    const int kept = AddCompilation(anna, carla, QStringLiteral("2025-01-10 00:00:00"), QStringLiteral("Tenuta"));
    const int gone = AddCompilation(bruno, dario, QStringLiteral("2025-02-10 00:00:00"), QStringLiteral("Tolta"));
    AddAnswers(kept);
    AddAnswers(gone);
    const QStringList keptContent = Content(kept);
    Open();
    ClickRow(List(), RowOf(QStringLiteral("Tolta")));

    DialogScript::PushAnswer(TBoxAnswer::No);
    Click("BitBtnDelete");
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("question")), QStringList{Message11300()});
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTables")), 2);

    DialogScript::PushAnswer(TBoxAnswer::Yes);
    Click("BitBtnDelete");
    EXPECT_EQ(Column(List(), 3), QStringList{"Tenuta"});
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTables"), QStringLiteral("IDCompiledTable=%1").arg(gone)), 0);
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTablesAnswers"), QStringLiteral("IDCompiledTable=%1").arg(gone)), 0);
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTablesStartPhase"), QStringLiteral("IDCompiledTable=%1").arg(gone)), 0);
    EXPECT_EQ(Content(kept), keptContent);
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("warning")).isEmpty());
}

TEST_P(Tables, DuplicateCopiesHeaderAnswersAndStartPhases)
{
    const int source = AddCompilation(bruno, dario, QStringLiteral("2025-04-01 08:45:00"), QStringLiteral("Prova"));
    AddAnswers(source);
    const int empty = AddCompilation(anna, carla, QStringLiteral("2025-06-01 00:00:00"), QString());
    Open();

    // Declining changes nothing.
    ClickRow(List(), RowOf(QStringLiteral("Prova")));
    DialogScript::PushAnswer(TBoxAnswer::Cancel);
    Click("BitBtnDuplicate");
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("question")), QStringList{Message11305()});
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTables")), 2);

    DialogScript::PushAnswer(TBoxAnswer::Yes);
    Click("BitBtnDuplicate");
    const int copy = Newest();
    EXPECT_EQ(Field(copy, "Description"), QStringLiteral("Copia di Prova"));
    for (const char* column : {"IDChild", "IDTeacher", "DateTime"})
        EXPECT_EQ(Field(copy, column), Field(source, column)) << column;
    EXPECT_EQ(Content(copy), Content(source));
    EXPECT_EQ(Content(copy).size(), questions.size() + 2);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    ClickRow(List(), RowOf(QStringLiteral("Copia di Prova")));
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    Click("BitBtnDuplicate");
    EXPECT_EQ(Field(Newest(), "Description"), QStringLiteral("Copia di Copia di Prova"));
    EXPECT_EQ(Content(Newest()), Content(source));

    ClickRow(List(), Column(List(), 0).indexOf(FormatShortDate(*DateTimeFromStorageText("2025-06-01"))));
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    Click("BitBtnDuplicate");
    EXPECT_EQ(Field(Newest(), "Description"), QStringLiteral("Copia di "));
    EXPECT_EQ(Field(Newest(), "IDChild").toInt(), anna);
    EXPECT_NE(Newest(), empty);
    EXPECT_TRUE(Column(List(), 3).contains(QStringLiteral("Copia di Copia di Prova")));
    EXPECT_EQ(RowCount(), 5);
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("warning")).isEmpty());
}

TEST_P(Tables, FailedDuplicationLeavesNoCopy)
{
    const int source = AddCompilation(bruno, dario, QStringLiteral("2025-04-01 00:00:00"), QStringLiteral("Prova"));
    AddAnswers(source);
    const QStringList before = StoredCompilations(db);
    db.RefuseRows("INSERT", QStringLiteral("CompiledTablesAnswers"), QStringLiteral("NEW.IDQuestion=%1").arg(questions[5]));
    Open();
    ClickRow(List(), 0);
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    Click("BitBtnDuplicate");
    const QStringList warnings = DialogScript::Texts(QStringLiteral("warning"));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(Message11306()));
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("refused")));
    EXPECT_EQ(StoredCompilations(db), before) << "no copy, not even a partial one";
    EXPECT_EQ(Column(List(), 3), QStringList{"Prova"});
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The same duplication succeeds once the database accepts it.
    db.StopRefusing();
    ClickRow(List(), 0);
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    Click("BitBtnDuplicate");
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTables")), 2);
    EXPECT_EQ(Content(Newest()), Content(source));
}

TEST_P(FileTables, DuplicationRefusedByAnotherProgramsReadLeavesLaterChangesReachingTheFile)
{
    const int source = AddCompilation(bruno, dario, QStringLiteral("2025-04-01 00:00:00"), QStringLiteral("Prova"));
    AddAnswers(source);
    const QStringList before = StoredCompilations(db);
    db.Db().Connection().SetBusyTimeout(200);
    Open();
    {
        DatabaseLockHolder reader = DatabaseLockHolder::Reader(db.DatabasePath());
        ASSERT_TRUE(reader.Holding());
        ClickRow(List(), 0);
        DialogScript::PushAnswer(TBoxAnswer::Yes);
        Click("BitBtnDuplicate");
        const QStringList warnings = DialogScript::Texts(QStringLiteral("warning"));
        ASSERT_EQ(warnings.size(), 1);
        EXPECT_TRUE(warnings[0].startsWith(Message11306()));
        EXPECT_TRUE(warnings[0].contains(QStringLiteral("database is locked"))) << warnings[0].toStdString();
        EXPECT_TRUE(reader.Release());
    }
    EXPECT_EQ(StoredCompilations(db), before);
    EXPECT_EQ(Column(List(), 3), QStringList{"Prova"});

    // The duplication tried again and a child added afterwards are on disk.
    ClickRow(List(), 0);
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    Click("BitBtnDuplicate");
    db.AddChild(QStringLiteral("Dopo"));
    delete window.data();
    db.Db().Close();
    db.Db().Open(db.DatabasePath());
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTables")), 2);
    EXPECT_EQ(Content(Newest()), Content(source));
    EXPECT_EQ(db.Count(QStringLiteral("Children"), QStringLiteral("Name='Dopo'")), 1);
}

namespace {

// An empty database and the main window standing by, as for a new user.
class EndToEnd : public ProviderTest {
protected:
    void SetUp() override
    {
        ProviderTest::SetUp();
        if (IsSkipped())
            return;
        db.Db().Execute(QStringLiteral("UPDATE Application SET School='Scuola dell''infanzia Arcobaleno'"));
        owner.show();
        TSettings::GetInstance()->SetAutoAdvancing(true);
    }
    ~EndToEnd() override { TSettings::ReleaseInstance(); }

    // Opens the register's window, presses its "new" button, lets fill type
    // into the edit dialog, presses OK there and closes the window.
    void AddThroughWindow(TRecordWindow which, const std::function<void(QDialog*)>& fill)
    {
        QPointer<TFormRSShow> window = CreateRecordWindow(which, &owner);
        ASSERT_NE(window.data(), nullptr);
        window->show();
        const int rows = window->ListViewData()->model()->rowCount();
        auto ran = OnModal<QDialog>([fill](QDialog* dialog) {
            fill(dialog);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BitBtnOK")), Qt::LeftButton);
        });
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("BitBtnNew")), Qt::LeftButton);
        EXPECT_TRUE(*ran);
        EXPECT_EQ(window->ListViewData()->model()->rowCount(), rows + 1)
            << DialogScript::Texts(QStringLiteral("warning")).join(QLatin1Char('\n')).toStdString();
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("BitBtnClose")), Qt::LeftButton);
        delete window.data();
    }

    static void Type(QDialog* dialog, const char* name, const QString& text)
    {
        QWidget* field = dialog->findChild<QWidget*>(QLatin1String(name));
        ASSERT_NE(field, nullptr) << name;
        field->setFocus();
        QTest::keyClicks(field, text);
    }
    static void Choose(QDialog* dialog, const char* name, int index)
    {
        auto* combo = dialog->findChild<QComboBox*>(QLatin1String(name));
        ASSERT_NE(combo, nullptr) << name;
        combo->setCurrentIndex(index);
    }

    TestDatabase db{GetParam()};
    ScriptedDialogs dialogs;
    QWidget owner;
};

} // namespace

TEST_P(EndToEnd, ACompilationGoesFromAnEmptyDatabaseToAPrintedReport)
{
    // The registers and the questionnaire, typed into their windows: an
    // educator, a child, two areas, three phases and a dozen questions.
    AddThroughWindow(TRecordWindow::Teachers, [](QDialog* d) { Type(d, "EditName", QStringLiteral("Maria Rossi")); });
    AddThroughWindow(TRecordWindow::Children, [](QDialog* d) { Type(d, "EditName", QStringLiteral("Luca Verdi")); });
    const char* areas[] = {"Autonomia", "Linguaggio"};
    for (int area = 0; area < 2; ++area)
        AddThroughWindow(TRecordWindow::Areas, [&](QDialog* d) {
            Choose(d, "ComboBoxID", area);
            Type(d, "EditDescription", QString::fromLatin1(areas[area]));
        });
    for (int phase = 0; phase < 3; ++phase)
        AddThroughWindow(TRecordWindow::Phases, [&](QDialog* d) {
            Choose(d, "ComboBoxID", phase);
            Type(d, "EditDescription", QStringLiteral("Fase %1").arg(phase + 1));
        });
    for (int area = 0; area < 2; ++area)
        for (int phase = 0; phase < 3; ++phase)
            for (int order = 1; order <= 2; ++order)
                AddThroughWindow(TRecordWindow::Questions, [&](QDialog* d) {
                    Choose(d, "ComboBoxIDArea", area);
                    Choose(d, "ComboBoxIDPhase", phase);
                    Type(d, "MemoText", QStringLiteral("Domanda %1.%2.%3").arg(area + 1).arg(phase + 1).arg(order));
                });
    ASSERT_EQ(db.Count(QStringLiteral("Questions")), 12);
    ASSERT_EQ(db.Count(QStringLiteral("Children")), 1);

    QPointer<TFormRSShow> window = CreateRecordWindow(TRecordWindow::Compilations, &owner);
    window->show();
    ASSERT_EQ(window->ListViewData()->model()->rowCount(), 0);

    // A new compilation answered with the keyboard, Linguaggio from phase 2.
    auto created = OnModal<TFormTableEdit>([](TFormTableEdit* editor) {
        auto* description = editor->findChild<QLineEdit*>(QStringLiteral("EditDescription"));
        description->setFocus();
        description->selectAll();
        QTest::keyClicks(description, QStringLiteral("Osservazione di prova & verifica"));
        auto* questions = editor->findChild<QTreeView*>(QStringLiteral("ListViewData"));
        questions->setFocus();
        for (char key : QByteArray("svnosvnosvno"))
            QTest::keyClick(questions, key);
        ClickRow(editor->findChild<QTreeWidget*>(QStringLiteral("ListViewAreas")), 1);
        auto chosen = OnModal<TFormSetStartPhase>([](TFormSetStartPhase* dialog) {
            dialog->ComboBoxStartPhase()->setCurrentIndex(1);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BitBtnApplyToCurrentArea")),
                              Qt::LeftButton);
        });
        QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("BitBtnSetStartPhase")), Qt::LeftButton);
        EXPECT_TRUE(*chosen);
        QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("BitBtnOK")), Qt::LeftButton);
    });
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("BitBtnNew")), Qt::LeftButton);
    ASSERT_TRUE(*created);
    ASSERT_EQ(Column(window->ListViewData(), 1), QStringList{"Luca Verdi"});
    EXPECT_EQ(Column(window->ListViewData(), 2), QStringList{"Maria Rossi"});

    // Opened again: the scores it shows are exported and printed.
    const QString file = db.Path(QStringLiteral("Luca.html"));
    auto shown = std::make_shared<QStringList>();
    auto total = std::make_shared<QString>();
    ClickRow(window->ListViewData(), 0);
    auto exported = OnModal<TFormTableEdit>([shown, total, file](TFormTableEdit* editor) {
        *shown = Column(editor->findChild<QTreeWidget*>(QStringLiteral("ListViewAreas")), 1);
        *total = editor->findChild<QLabel*>(QStringLiteral("LabelTotalPoints"))->text();
        DialogScript::PushText(file);
        DialogScript::PushAnswer(TBoxAnswer::Yes);
        DialogScript::PushAnswer(TBoxAnswer::Ok);
        QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("BitBtnExportAndPrint")), Qt::LeftButton);
        QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("BitBtnCancel")), Qt::LeftButton);
    });
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("BitBtnEdit")), Qt::LeftButton);
    ASSERT_TRUE(*exported);
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("question")), QStringList{Message21000()})
        << "every active question answered, nothing changed: no other question";
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("print")), QStringList{file});
    delete window.data();

    QFile report(file);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QString html = QString::fromLatin1(report.readAll());
    for (const char* text : {"Scuola dell'infanzia Arcobaleno", "Luca Verdi", "Maria Rossi",
                             "Osservazione di prova &amp; verifica"})
        EXPECT_TRUE(html.contains(QLatin1String(text))) << text;
    QStringList areaTotals;
    const std::vector<QStringList> rows = ReportRows(html);
    for (const QStringList& row : rows) {
        ASSERT_EQ(row.size(), 8);
        if (row[7] != QLatin1String(" "))
            areaTotals << row[7];
    }
    EXPECT_EQ(rows.size(), 5u) << "Autonomia from phase 1, Linguaggio from phase 2";
    ASSERT_EQ(shown->size(), 2);
    EXPECT_EQ(areaTotals, *shown) << "the report's area totals are the editor's points";
    EXPECT_TRUE(html.contains(QStringLiteral("Totale: ") + *total)) << total->toStdString();
    EXPECT_NE(*total, FormatPoints(0.0));
}

TEST_P(Tables, ChildEducatorAndDatesNarrowTheListTogetherWithTheSearch)
{
    AddCompilation(anna, carla, QStringLiteral("2024-09-10 00:00:00"), QStringLiteral("Settembre"));
    AddCompilation(anna, dario, QStringLiteral("2025-01-15 10:30:00"), QStringLiteral("Gennaio"));
    AddCompilation(bruno, carla, QStringLiteral("2025-03-01 00:00:00"), QStringLiteral("Marzo"));
    AddCompilation(bruno, dario, QStringLiteral("2025-06-30 00:00:00"), QStringLiteral("Giugno"));
    Open();
    auto* child = window->findChild<QComboBox*>(QStringLiteral("ComboBoxFilterChild"));
    auto* teacher = window->findChild<QComboBox*>(QStringLiteral("ComboBoxFilterTeacher"));
    auto* from = window->findChild<QCheckBox*>(QStringLiteral("CheckBoxFilterFrom"));
    auto* to = window->findChild<QCheckBox*>(QStringLiteral("CheckBoxFilterTo"));
    auto* fromDate = window->findChild<QDateEdit*>(QStringLiteral("DateFilterFrom"));
    auto* toDate = window->findChild<QDateEdit*>(QStringLiteral("DateFilterTo"));
    ASSERT_TRUE(child && teacher && from && to && fromDate && toDate);
    EXPECT_EQ(child->count(), 1) << "the names are read when the user first reaches the box";
    for (QComboBox* box : {child, teacher}) {
        QFocusEvent reached(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(box, &reached);
    }
    EXPECT_EQ(child->itemText(0), QStringLiteral("Tutti"));
    EXPECT_EQ(child->count(), 3);

    const struct {
        const char* child;
        const char* teacher;
        QDate from, to; // null: no limit
        const char* search;
        QStringList shown;
    } cases[] = {
        {"Tutti", "Tutti", {}, {}, "", {"Settembre", "Gennaio", "Marzo", "Giugno"}},
        {"Anna", "Tutti", {}, {}, "", {"Settembre", "Gennaio"}},
        {"Tutti", "Carla", {}, {}, "", {"Settembre", "Marzo"}},
        {"Bruno", "Dario", {}, {}, "", {"Giugno"}},
        {"Tutti", "Tutti", {2025, 1, 15}, {}, "", {"Gennaio", "Marzo", "Giugno"}}, // the first day counts
        {"Tutti", "Tutti", {}, {2025, 3, 1}, "", {"Settembre", "Gennaio", "Marzo"}}, // and the last
        {"Tutti", "Tutti", {2025, 1, 1}, {2025, 3, 31}, "", {"Gennaio", "Marzo"}},
        {"Tutti", "Carla", {2025, 1, 1}, {}, "", {"Marzo"}},
        {"Anna", "Tutti", {}, {}, "genn", {"Gennaio"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.child) + " " + c.teacher + " " + c.search);
        child->setCurrentIndex(child->findText(QLatin1String(c.child)));
        teacher->setCurrentIndex(teacher->findText(QLatin1String(c.teacher)));
        from->setChecked(c.from.isValid());
        if (c.from.isValid())
            fromDate->setDate(c.from);
        to->setChecked(c.to.isValid());
        if (c.to.isValid())
            toDate->setDate(c.to);
        window->findChild<QLineEdit*>(QStringLiteral("EditSearch"))->setText(QLatin1String(c.search));
        EXPECT_EQ(Column(List(), 3), c.shown);
        EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("LabelShownRows"))->text(),
                  QStringLiteral("%1 di 4").arg(c.shown.size()));
    }
}

TEST_P(Tables, DuplicateAndDeleteActOnTheSelectedRowOfAnOrderedList)
{
    AddCompilation(bruno, carla, QStringLiteral("2024-09-10 00:00:00"), QStringLiteral("Prima"));
    const int second = AddCompilation(anna, dario, QStringLiteral("2025-01-15 00:00:00"), QStringLiteral("Seconda"));
    Open();
    // By child: Anna's compilation, the second stored, comes first.
    QHeaderView* header = List()->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    ASSERT_EQ(Column(List(), 3), (QStringList{"Seconda", "Prima"}));
    ClickRow(List(), 0);
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    Click("BitBtnDuplicate");
    QCoreApplication::processEvents();
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTables"), QStringLiteral("Description='Copia di Seconda'")), 1);

    const int row = Column(List(), 3).indexOf(QStringLiteral("Seconda"));
    ClickRow(List(), row);
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    Click("BitBtnDelete");
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTables"), QStringLiteral("IDCompiledTable=%1").arg(second)), 0);
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTables")), 2);
}

// The readable report goes to a PDF from the list and from the editor alike,
// and a file that cannot be written is told, not taken for written.
TEST_P(Tables, ReadableReportPdfFromTheListAndTheEditor)
{
    AddAnswers(AddCompilation(anna, carla, QStringLiteral("2026-03-01 00:00:00"), QStringLiteral("Marzo")));
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    auto isPdf = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-" && file.size() > 1000;
    };
    Open();
    ClickRow(List(), 0);
    const QString fromList = folder.filePath(QStringLiteral("lista.pdf"));
    DialogScript::PushText(fromList);
    Click("BitBtnReportPdf");
    EXPECT_TRUE(isPdf(fromList));
    EXPECT_TRUE(DialogScript::Texts(QStringLiteral("warning")).isEmpty());

    const QString fromEditor = folder.filePath(QStringLiteral("editor.pdf"));
    const QString nowhere = folder.filePath(QStringLiteral("manca/relazione.pdf"));
    auto ran = OnModal<TFormTableEdit>([&](TFormTableEdit* editor) {
        auto* report = editor->findChild<QPushButton*>(QStringLiteral("BitBtnReportPdf"));
        for (const QString& path : {fromEditor, nowhere}) {
            DialogScript::PushText(path);
            QTest::mouseClick(report, Qt::LeftButton);
        }
        editor->reject();
    });
    Click("BitBtnEdit");
    ASSERT_TRUE(*ran);
    EXPECT_TRUE(isPdf(fromEditor));
    EXPECT_FALSE(QFile::exists(nowhere));
    const QStringList warnings = DialogScript::Texts(QStringLiteral("warning"));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings.first().startsWith(PdfNotWrittenText()));
}

// Two educators on one compilation: the second save is refused, not made
// over the first; the user reloads or keeps the window. A compilation
// deleted meanwhile is refused too, with nothing else changed.
TEST_P(Tables, ASaveOverAChangeMadeElsewhereIsRefused)
{
    const int key = AddCompilation(anna, carla, QStringLiteral("2026-03-01 00:00:00"), QStringLiteral("Marzo"));
    AddAnswers(key);
    const int other = AddCompilation(bruno, dario, QStringLiteral("2026-03-02 00:00:00"), QStringLiteral("Altra"));
    const QStringList otherContent = Content(other);
    auto changeElsewhere = [&] {
        db.Db().Execute(QStringLiteral("UPDATE CompiledTables SET Description = 'Altrove', "
                                       "ChangeCount = ChangeCount + 1 WHERE IDCompiledTable = %1").arg(key));
    };
    Open();
    ClickRow(List(), 0);
    auto ran = OnModal<TFormTableEdit>([&](TFormTableEdit* editor) {
        auto* description = editor->findChild<QLineEdit*>(QStringLiteral("EditDescription"));
        auto* ok = editor->findChild<QPushButton*>(QStringLiteral("BitBtnOK"));
        description->setText(QStringLiteral("Mia"));
        changeElsewhere();
        // Kept open: nothing of this window is written.
        DialogScript::PushAnswer(TBoxAnswer::No);
        QTest::mouseClick(ok, Qt::LeftButton);
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(Field(key, "Description"), QStringLiteral("Altrove"));
        EXPECT_EQ(description->text(), QStringLiteral("Mia"));
        // Reloaded: the window shows what was saved elsewhere, and saves on it.
        DialogScript::PushAnswer(TBoxAnswer::Yes);
        QTest::mouseClick(ok, Qt::LeftButton);
        EXPECT_EQ(description->text(), QStringLiteral("Altrove"));
        description->setText(QStringLiteral("Dopo"));
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    Click("BitBtnEdit");
    ASSERT_TRUE(*ran);
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("question")).size(), 2);
    EXPECT_EQ(Field(key, "Description"), QStringLiteral("Dopo"));
    EXPECT_EQ(Field(key, "ChangeCount"), QStringLiteral("2"));

    ClickRow(List(), RowOf(QStringLiteral("Dopo")));
    auto deleted = OnModal<TFormTableEdit>([&](TFormTableEdit* editor) {
        db.Db().Execute(QStringLiteral("DELETE FROM CompiledTables WHERE IDCompiledTable = %1").arg(key));
        QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("BitBtnOK")), Qt::LeftButton);
        EXPECT_TRUE(editor->isVisible());
        editor->findChild<QLineEdit*>(QStringLiteral("EditDescription"))->setText(QStringLiteral("x"));
        DialogScript::PushAnswer(TBoxAnswer::Yes);
        editor->reject();
    });
    Click("BitBtnEdit");
    ASSERT_TRUE(*deleted);
    EXPECT_EQ(DialogScript::Texts(QStringLiteral("warning")), QStringList{CompilationDeletedText()});
    EXPECT_EQ(db.Count(QStringLiteral("CompiledTables")), 1);
    EXPECT_EQ(RowCount(), 1);
    EXPECT_EQ(Content(other), otherContent);
}

INSTANTIATE_FOR_EACH_PROVIDER(Tables);
INSTANTIATE_TEST_SUITE_P(, FileTables, ::testing::Values(TestProvider::File), ProviderName);
INSTANTIATE_FOR_EACH_PROVIDER(EndToEnd);
