// The child program of the crash tests: it opens a database as the program
// does and repeats one user action on it through the program's own code
// until it has done it RUNS times (0: until it is killed).
//
//   CrashWorker save|duplicate|compact|import|password|backup|restore DATABASE RUNS
//
// save       edits the least recently saved "Salvataggio" compilation in the
//            compilations list's editor and presses OK (CrashPlan.h)
// duplicate  duplicates the "Origine" compilation from the compilations list
// compact    the Strumenti menu's compaction
// import     imports the question file beside the database that the
//            questionnaire does not hold now (CrashPlan.h)
// password   sets the school's password when the database has the built-in
//            one, and removes it when it has the school's
// backup     writes a backup into the copies folder beside the database
// restore    restores the copy in the copies folder
//
// Each run is framed by the marks of CrashPlan.h on standard error. Exit
// status 2 when an action fails or the program shows a message.
#include "CrashPlan.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "Dialogs.h"
#include "Exception.h"
#include "PasswordTries.h"
#include "Questions.h"
#include "TestEnvironment.h"
#include "UnitTableEdit.h"
#include "UnitTables.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <unistd.h>

namespace {

void Mark(const char* text)
{
    // One write: the tests find each mark as one system call.
    if (::write(STDERR_FILENO, text, std::strlen(text)) < 0)
        std::_Exit(3);
}

[[noreturn]] void Fail(const QString& what)
{
    std::fprintf(stderr, "crash-worker: %s\n", qPrintable(what));
    std::_Exit(2);
}

// Whatever the program had to say in a box is a failure of the action.
void ExpectNoMessages()
{
    const auto& shown = DialogScript::ShownDialogs();
    for (const DialogScript::Shown& box : shown) {
        if (box.kind != QLatin1String("question"))
            Fail(box.kind + QStringLiteral(": ") + box.text);
    }
    DialogScript::ClearShown();
}

void SelectRow(TFormTables& window, int row)
{
    QTreeView* list = window.ListViewData();
    list->clearSelection();
    list->setCurrentIndex(list->model()->index(row, 0));
}

// Runs action on the editor as soon as it is up.
void OnEditor(TFormTables& window, const std::function<void(TFormTableEdit&)>& action)
{
    QTimer::singleShot(0, &window, [&window, action] {
        auto* editor = qobject_cast<TFormTableEdit*>(QApplication::activeModalWidget());
        if (editor)
            action(*editor);
        else
            OnEditor(window, action);
    });
}

void Save(TFormTables& window)
{
    // The compilations list's descriptions say which run saved each: the
    // oldest is edited next and the new run follows the newest.
    const QAbstractItemModel* list = window.ListViewData()->model();
    int oldestRow = -1, oldest = 0, newest = 0;
    for (int row = 0; row < list->rowCount(); ++row) {
        const QString description = list->index(row, 3).data().toString();
        if (!description.startsWith(QStringLiteral("Salvataggio")))
            continue;
        const int run = CrashPlan::RunOf(description);
        if (oldestRow < 0 || run < oldest) {
            oldestRow = row;
            oldest = run;
        }
        newest = std::max(newest, run);
    }
    if (oldestRow < 0)
        Fail(QStringLiteral("no compilation to save"));
    const int run = newest + 1;

    SelectRow(window, oldestRow);
    bool edited = false;
    OnEditor(window, [run, &edited](TFormTableEdit& editor) {
        editor.findChild<QLineEdit*>(QStringLiteral("EditDescription"))->setText(CrashPlan::SavedDescription(run));
        TQuestions& questionnaire = editor.Questionnaire();
        for (int i = 0; i < questionnaire.QuestionCount(); ++i)
            questionnaire.SetAnswer(i, CrashPlan::AnswerOf(run, questionnaire.QuestionList[i].IDQuestion));
        questionnaire.SetStartPhase(CrashPlan::StartPhaseOf(run), true);
        editor.BitBtnOKClick();
        edited = true;
        if (editor.isVisible())
            editor.reject();
    });
    window.BitBtnEditClick();
    ExpectNoMessages();
    if (!edited)
        Fail(QStringLiteral("the editor did not come up"));
}

void Duplicate(TFormTables& window)
{
    const QAbstractItemModel* list = window.ListViewData()->model();
    int origin = -1;
    for (int row = 0; row < list->rowCount() && origin < 0; ++row) {
        if (list->index(row, 3).data().toString() == CrashPlan::OriginDescription())
            origin = row;
    }
    if (origin < 0)
        Fail(QStringLiteral("no compilation to duplicate"));
    SelectRow(window, origin);
    DialogScript::PushAnswer(TBoxAnswer::Yes);
    window.BitBtnDuplicateClick();
    ExpectNoMessages();
}

void Import(const QString& folder)
{
    TDatabase* database = TDatabase::GetInstance();
    const bool holdsA = database->Lookup(QStringLiteral("SELECT QuestionText FROM Questions WHERE IDQuestion = 0"),
                                         QStringLiteral("QuestionText"))
                            .startsWith(QLatin1Char('A'));
    database->ImportLegacyQuestions(
        QDir(folder).filePath(holdsA ? CrashPlan::QuestionFileB() : CrashPlan::QuestionFileA()));
}

} // namespace

int main(int argc, char** argv)
{
    PrepareTestEnvironment();
    if (argc != 4) {
        std::fprintf(stderr, "usage: CrashWorker save|duplicate|compact|import|password|backup|restore DATABASE RUNS\n");
        return 1;
    }
    const QString action = QString::fromLocal8Bit(argv[1]);
    const QString path = QString::fromLocal8Bit(argv[2]);
    const int runs = std::atoi(argv[3]);
    // Windows only for the actions done in windows: a start-up without them
    // costs a fraction.
    const bool windows = action == QLatin1String("save") || action == QLatin1String("duplicate");
    std::unique_ptr<QCoreApplication> app(windows ? new QApplication(argc, argv) : new QCoreApplication(argc, argv));

    DialogScript::Begin();
    try {
        // The password change may have left either password on the file.
        WithPassword({TDatabase::Password(), CrashPlan::SchoolPassword()}, [&path](const QString& password) {
            TDatabase::GetInstance()->SetPassword(password);
            OpenDatabaseFile(path);
        }, {});
        TDatabase* database = TDatabase::GetInstance();
        const QString copies = QDir(QFileInfo(path).path()).filePath(CrashPlan::CopiesFolder());
        std::unique_ptr<TFormTables> window;
        if (windows)
            window = std::make_unique<TFormTables>(nullptr);
        for (int done = 0; runs == 0 || done < runs; ++done) {
            Mark(CrashPlan::BeginMark());
            if (action == QLatin1String("save"))
                Save(*window);
            else if (action == QLatin1String("duplicate"))
                Duplicate(*window);
            else if (action == QLatin1String("compact"))
                TDatabase::GetInstance()->CompactAndRepair();
            else if (action == QLatin1String("import"))
                Import(QFileInfo(path).path());
            else if (action == QLatin1String("password"))
                database->ChangePassword(database->HasOwnPassword() ? QString() : CrashPlan::SchoolPassword());
            else if (action == QLatin1String("backup"))
                database->BackupTo(copies, QDateTime::currentDateTime());
            else if (action == QLatin1String("restore"))
                database->RestoreFrom(QDir(copies).filePath(CrashPlan::RestoredCopy()), TDatabase::Password(),
                                      QDateTime::currentDateTime());
            else
                Fail(QStringLiteral("unknown action ") + action);
            Mark(CrashPlan::EndMark());
        }
    } catch (const Exception& e) {
        Fail(e.Message());
    }
    TDatabase::ReleaseInstance();
    return 0;
}
