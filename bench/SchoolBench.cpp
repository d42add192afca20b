// baltero-bench: every user action at the scale of a whole school, timed
// through the program's own code (real windows on the offscreen platform
// where the user sees one) against the floor: the same work done with raw
// SQLCipher prepared statements on the same connection. Program and floor
// alternate in the same process, A B A B..., and the medians of CPU and wall
// time are compared with the targets.
//
//   build/release/bench/baltero-bench [--compilations N] [--only TEXT]
//
// The school's database (1000 questions in 6 areas x 8 phases, 200 children,
// 20 educators, N compilations of 1000 answers, default 2000) is built once
// and kept beside the program; every run works on a copy of it.
#include "Database.h"
#include "DatabaseFile.h"
#include "Dialogs.h"
#include "Exception.h"
#include "ListFinder.h"
#include "NyTransaction.h"
#include "Settings.h"
#include "StoredCompilationReport.h"
#include "SchoolDataExport.h"
#include "SchemaVersion.h"
#include "UnitChildProgress.h"
#include "UnitChildren.h"
#include "UnitTableEdit.h"
#include "UnitTables.h"

#include <sqlcipher/sqlite3.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kAreas = 6;
constexpr int kPhases = 8;
constexpr int kQuestions = 1000;
constexpr int kChildren = 200;
constexpr int kTeachers = 20;
constexpr int kRuns = 7;

sqlite3* Handle()
{
    return TDatabase::GetInstance()->Connection().Handle();
}

// One raw prepared statement; any failure stops the benchmark.
class TStatement {
public:
    explicit TStatement(const char* sql)
    {
        if (sqlite3_prepare_v2(Handle(), sql, -1, &statement_, nullptr) != SQLITE_OK)
            Fail(sql);
    }
    ~TStatement() { sqlite3_finalize(statement_); }
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    TStatement& Bind(int index, long long value)
    {
        sqlite3_bind_int64(statement_, index, value);
        return *this;
    }
    TStatement& Bind(int index, const char* text)
    {
        sqlite3_bind_text(statement_, index, text, -1, SQLITE_TRANSIENT);
        return *this;
    }
    // Steps once; true while a row is there.
    bool Step()
    {
        const int rc = sqlite3_step(statement_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            Fail(sqlite3_sql(statement_));
        return false;
    }
    // Runs to the end and makes it ready to be bound again.
    void Run()
    {
        while (Step()) {
        }
        sqlite3_reset(statement_);
    }
    // Reads every column of every row, as a reader of the rows would.
    long long ReadAll()
    {
        long long sink = 0;
        while (Step()) {
            for (int c = 0; c < sqlite3_column_count(statement_); ++c) {
                if (sqlite3_column_type(statement_, c) == SQLITE_TEXT)
                    sink += sqlite3_column_bytes(statement_, c) + (sqlite3_column_text(statement_, c) ? 1 : 0);
                else
                    sink += sqlite3_column_int64(statement_, c);
            }
        }
        sqlite3_reset(statement_);
        return sink;
    }

private:
    [[noreturn]] static void Fail(const char* sql)
    {
        throw std::runtime_error(std::string(sql) + ": " + sqlite3_errmsg(Handle()));
    }
    sqlite3_stmt* statement_ = nullptr;
};

void Exec(const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(Handle(), sql, nullptr, nullptr, &error) != SQLITE_OK) {
        // Only the statement's start: an ATTACH carries the key.
        const std::string message = std::string(sql).substr(0, 24) + "...: " + (error ? error : "");
        sqlite3_free(error);
        throw std::runtime_error(message);
    }
}

long long LastKey(const char* table, const char* key)
{
    const QByteArray sql = QStringLiteral("SELECT MAX(%1) FROM %2").arg(QLatin1String(key), QLatin1String(table)).toUtf8();
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(Handle(), sql.constData(), -1, &statement, nullptr);
    long long value = 0;
    if (sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return value;
}

// ---- timing ---------------------------------------------------------------

struct TSample {
    double cpu = 0.0;  // ms
    double wall = 0.0; // ms
};

double CpuNow()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

class TStopwatch {
public:
    void Start()
    {
        cpu_ = CpuNow();
        wall_.start();
    }
    TSample Stop() const { return {CpuNow() - cpu_, wall_.nsecsElapsed() / 1e6}; }

private:
    double cpu_ = 0.0;
    QElapsedTimer wall_;
};

TSample Median(std::vector<TSample> samples)
{
    if (samples.empty())
        return {};
    auto middle = [&](auto member) {
        std::vector<double> values;
        for (const TSample& s : samples)
            values.push_back(s.*member);
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    return {middle(&TSample::cpu), middle(&TSample::wall)};
}

// A timed step: prepare (untimed), the timed work, clean up (untimed). A
// step that times itself (from inside a modal dialog) returns its sample.
struct TStep {
    std::function<void()> prepare;
    std::function<TSample()> timed;
    std::function<void()> cleanUp;
};

TSample RunStep(const TStep& step)
{
    if (step.prepare)
        step.prepare();
    const TSample sample = step.timed();
    if (step.cleanUp)
        step.cleanUp();
    return sample;
}

std::function<TSample()> Timed(std::function<void()> work)
{
    return [work = std::move(work)] {
        TStopwatch watch;
        watch.Start();
        work();
        return watch.Stop();
    };
}

// How a row is judged: against the floor (ratio) or against an absolute
// figure, on CPU or wall time.
struct TRow {
    QString operation;
    TSample program;
    TSample floor;
    bool hasFloor = true;
    bool wall = false;     // the target is on wall time
    double target = 0.0;   // ratio, or ms/MB when absolute
    bool absolute = false; // target is an absolute figure
    QString unit = QStringLiteral("ms");
};

std::vector<TRow> rows;

// --only TEXT: measure only the operations whose name holds TEXT.
QString onlyOperations;

bool Wanted(const QString& operation)
{
    return onlyOperations.isEmpty() || operation.contains(onlyOperations, Qt::CaseInsensitive);
}

void Compare(const QString& operation, const TStep& program, const TStep& floor, double targetRatio,
             int runs = kRuns)
{
    if (!Wanted(operation))
        return;
    std::vector<TSample> a, b;
    for (int i = 0; i < runs; ++i) {
        a.push_back(RunStep(program));
        b.push_back(RunStep(floor));
    }
    TRow row;
    row.operation = operation;
    row.program = Median(a);
    row.floor = Median(b);
    row.target = targetRatio;
    rows.push_back(row);
    std::fprintf(stderr, "  measured: %s\n", qPrintable(operation));
}

void Absolute(const QString& operation, const TStep& program, const TStep* floor, double targetMs, bool wall,
              int runs = kRuns)
{
    if (!Wanted(operation))
        return;
    std::vector<TSample> a, b;
    for (int i = 0; i < runs; ++i) {
        a.push_back(RunStep(program));
        if (floor)
            b.push_back(RunStep(*floor));
    }
    TRow row;
    row.operation = operation;
    row.program = Median(a);
    row.floor = Median(b);
    row.hasFloor = floor != nullptr;
    row.target = targetMs;
    row.absolute = true;
    row.wall = wall;
    rows.push_back(row);
    std::fprintf(stderr, "  measured: %s\n", qPrintable(operation));
}

// ---- the school's database ------------------------------------------------

// 1000 questions spread over the 48 cells of 6 areas x 8 phases, in order.
int CellOf(int q)
{
    return q * kAreas * kPhases / kQuestions;
}

// The areas, phases and questions of the school's questionnaire, the
// questions' text made from textPattern ("%1" is the question's number).
void InsertQuestionnaire(const QString& textPattern)
{
    TStatement area("INSERT INTO Areas(IDArea, Description) VALUES(?, ?)");
    for (int a = 1; a <= kAreas; ++a)
        area.Bind(1, a).Bind(2, QStringLiteral("Area %1").arg(a).toUtf8().constData()).Run();
    TStatement phase("INSERT INTO Phases(IDPhase, Description) VALUES(?, ?)");
    for (int p = 1; p <= kPhases; ++p)
        phase.Bind(1, p).Bind(2, QStringLiteral("Fase %1").arg(p).toUtf8().constData()).Run();
    TStatement question("INSERT INTO Questions(IDQuestion, QuestionText, IDArea, IDPhase, QuestionOrder) "
                        "VALUES(?, ?, ?, ?, ?)");
    int order = 0;
    for (int q = 0; q < kQuestions; ++q) {
        const int cell = CellOf(q);
        order = (q > 0 && CellOf(q - 1) == cell) ? order + 1 : 1;
        const QByteArray text = textPattern.arg(q + 1).toUtf8();
        question.Bind(1, q + 1).Bind(2, text.constData()).Bind(3, cell / kPhases + 1).Bind(4, cell % kPhases + 1);
        question.Bind(5, order).Run();
    }
}

void FillSchool(int compilations)
{
    Exec("BEGIN");
    {
        InsertQuestionnaire(
            QStringLiteral("Domanda %1: sa fare una cosa descritta con un testo lungo quanto una vera domanda"));
        TStatement child("INSERT INTO Children(IDChild, Name, DateOfBirth, Info) VALUES(?, ?, ?, '')");
        for (int c = 1; c <= kChildren; ++c) {
            const QByteArray name = QStringLiteral("Bambino %1").arg(c, 3, 10, QLatin1Char('0')).toUtf8();
            child.Bind(1, c).Bind(2, name.constData()).Bind(3, "2021-03-01 00:00:00").Run();
        }
        TStatement teacher("INSERT INTO Teachers(IDTeacher, Name, Info) VALUES(?, ?, '')");
        for (int t = 1; t <= kTeachers; ++t) {
            const QByteArray name = QStringLiteral("Educatrice %1").arg(t, 2, 10, QLatin1Char('0')).toUtf8();
            teacher.Bind(1, t).Bind(2, name.constData()).Run();
        }
        TStatement compilation("INSERT INTO CompiledTables(IDCompiledTable, IDChild, IDTeacher, DateTime, "
                               "Description) VALUES(?, ?, ?, ?, ?)");
        TStatement answer("INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer) VALUES(?, ?, ?)");
        TStatement start("INSERT INTO CompiledTablesStartPhase(IDCompiledTable, IDArea, IDPhase) VALUES(?, ?, ?)");
        for (int k = 1; k <= compilations; ++k) {
            const QByteArray date = QStringLiteral("20%1-%2-%3 00:00:00")
                                        .arg(24 + k % 3)
                                        .arg(1 + k % 12, 2, 10, QLatin1Char('0'))
                                        .arg(1 + k % 28, 2, 10, QLatin1Char('0'))
                                        .toUtf8();
            const QByteArray description = QStringLiteral("Osservazione %1").arg(k).toUtf8();
            compilation.Bind(1, k).Bind(2, (k - 1) % kChildren + 1).Bind(3, (k - 1) % kTeachers + 1);
            compilation.Bind(4, date.constData()).Bind(5, description.constData()).Run();
            for (int q = 1; q <= kQuestions; ++q)
                answer.Bind(1, k).Bind(2, q).Bind(3, (k * 7 + q) % 5 - 1).Run();
            for (int a = 1; a <= kAreas; ++a)
                start.Bind(1, k).Bind(2, a).Bind(3, 1 + (k + a) % 3).Run();
        }
    }
    Exec("COMMIT");
}

// The cached database of the given scale and of this program's layout,
// built when missing.
QString SchoolDatabase(int compilations)
{
    const QString cached = QCoreApplication::applicationDirPath()
        + QStringLiteral("/school-%1-v%2.mdb").arg(compilations).arg(NewestSchemaVersion());
    if (QFile::exists(cached))
        return cached;
    std::fprintf(stderr, "building the school's database (%d compilations), once...\n", compilations);
    const QString building = cached + QStringLiteral(".building");
    QFile::remove(building);
    CreateDatabaseFile(building);
    OpenDatabaseFile(building);
    FillSchool(compilations);
    TDatabase::GetInstance()->Close();
    if (!QFile::rename(building, cached))
        throw std::runtime_error("cannot keep the school's database");
    return cached;
}

QString WorkingCopy(const QString& cached, const QTemporaryDir& dir)
{
    const QString copy = dir.filePath(QStringLiteral("school.mdb"));
    QFile::remove(copy);
    if (!QFile::copy(cached, copy))
        throw std::runtime_error("cannot copy the school's database");
    QFile(copy).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return copy;
}

// ---- the windows ----------------------------------------------------------

void Settle()
{
    QApplication::processEvents();
    QApplication::processEvents();
}

void SelectRow(QTreeWidget* list, int row)
{
    list->clearSelection();
    list->topLevelItem(row)->setSelected(true);
}

int RowOfText(QTreeWidget* list, const QString& text)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(0) == text)
            return i;
    throw std::runtime_error("row not found in the list");
}

// A box the benchmark did not expect means the step did not do what it
// should: stop rather than time it.
void ExpectNoWarnings(const char* what)
{
    for (const DialogScript::Shown& shown : DialogScript::ShownDialogs())
        if (shown.kind != QLatin1String("question"))
            throw std::runtime_error(std::string(what) + ": " + shown.text.toStdString());
    DialogScript::ClearShown();
}

// ---- the floors -----------------------------------------------------------

const char* const kListSql =
    "SELECT CompiledTables.*, Children.Name, Teachers.Name FROM Teachers INNER JOIN (Children INNER JOIN "
    "CompiledTables ON Children.IDChild = CompiledTables.IDChild) ON Teachers.IDTeacher = CompiledTables.IDTeacher "
    "ORDER BY CompiledTables.DateTime, Children.Name COLLATE ITALIAN, Teachers.Name COLLATE ITALIAN, "
    "CompiledTables.Description COLLATE ITALIAN, CompiledTables.IDCompiledTable";

void ReadCompilation(long long key)
{
    TStatement header("SELECT CompiledTables.*, Children.Name, Children.DateOfBirth, Teachers.Name FROM "
                      "CompiledTables JOIN Children ON Children.IDChild = CompiledTables.IDChild JOIN Teachers ON "
                      "Teachers.IDTeacher = CompiledTables.IDTeacher WHERE IDCompiledTable = ?");
    header.Bind(1, key).ReadAll();
    TStatement areas("SELECT * FROM Areas ORDER BY IDArea");
    areas.ReadAll();
    TStatement phases("SELECT * FROM Phases ORDER BY IDPhase");
    phases.ReadAll();
    TStatement questions("SELECT * FROM Questions ORDER BY IDArea, IDPhase, QuestionOrder");
    questions.ReadAll();
    TStatement answers("SELECT * FROM CompiledTablesAnswers WHERE IDCompiledTable = ? ORDER BY IDQuestion");
    answers.Bind(1, key).ReadAll();
    TStatement starts("SELECT * FROM CompiledTablesStartPhase WHERE IDCompiledTable = ? ORDER BY IDArea");
    starts.Bind(1, key).ReadAll();
}

void SaveCompilationRaw(long long key)
{
    Exec("BEGIN");
    TStatement header("UPDATE CompiledTables SET IDChild = IDChild, IDTeacher = IDTeacher, DateTime = DateTime, "
                      "Description = Description WHERE IDCompiledTable = ?");
    header.Bind(1, key).Run();
    TStatement deleteStarts("DELETE FROM CompiledTablesStartPhase WHERE IDCompiledTable = ?");
    deleteStarts.Bind(1, key).Run();
    TStatement deleteAnswers("DELETE FROM CompiledTablesAnswers WHERE IDCompiledTable = ?");
    deleteAnswers.Bind(1, key).Run();
    TStatement start("INSERT INTO CompiledTablesStartPhase(IDCompiledTable, IDArea, IDPhase) VALUES(?, ?, ?)");
    for (int a = 1; a <= kAreas; ++a)
        start.Bind(1, key).Bind(2, a).Bind(3, 1).Run();
    TStatement answer("INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer) VALUES(?, ?, ?)");
    for (int q = 1; q <= kQuestions; ++q)
        answer.Bind(1, key).Bind(2, q).Bind(3, q % 4).Run();
    Exec("COMMIT");
}

void DuplicateRaw(long long source)
{
    Exec("BEGIN");
    TStatement header("INSERT INTO CompiledTables(IDChild, IDTeacher, DateTime, Description) SELECT IDChild, "
                      "IDTeacher, DateTime, 'Copia di ' || Description FROM CompiledTables WHERE IDCompiledTable = ?");
    header.Bind(1, source).Run();
    const long long copy = sqlite3_last_insert_rowid(Handle());
    TStatement starts("INSERT INTO CompiledTablesStartPhase(IDCompiledTable, IDArea, IDPhase) SELECT ?, IDArea, "
                      "IDPhase FROM CompiledTablesStartPhase WHERE IDCompiledTable = ?");
    starts.Bind(1, copy).Bind(2, source).Run();
    TStatement answers("INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer) SELECT ?, "
                       "IDQuestion, IDAnswer FROM CompiledTablesAnswers WHERE IDCompiledTable = ?");
    answers.Bind(1, copy).Bind(2, source).Run();
    Exec("COMMIT");
}

void DeleteNewestCompilation()
{
    const long long newest = LastKey("CompiledTables", "IDCompiledTable");
    TStatement remove("DELETE FROM CompiledTables WHERE IDCompiledTable = ?");
    remove.Bind(1, newest).Run();
}

// A child with ten compilations of 1000 answers, to be deleted.
long long AddChildToDelete(int compilations = 10)
{
    Exec("BEGIN");
    TStatement child("INSERT INTO Children(Name, DateOfBirth, Info) VALUES('Zeta da eliminare', "
                     "'2021-05-01 00:00:00', '')");
    child.Run();
    const long long id = sqlite3_last_insert_rowid(Handle());
    TStatement compilation("INSERT INTO CompiledTables(IDChild, IDTeacher, DateTime, Description) "
                           "VALUES(?, 1, '2026-01-10 00:00:00', 'Da eliminare')");
    TStatement answer("INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer) VALUES(?, ?, 1)");
    TStatement start("INSERT INTO CompiledTablesStartPhase(IDCompiledTable, IDArea, IDPhase) VALUES(?, ?, 1)");
    for (int k = 0; k < compilations; ++k) {
        compilation.Bind(1, id).Run();
        const long long key = sqlite3_last_insert_rowid(Handle());
        for (int q = 1; q <= kQuestions; ++q)
            answer.Bind(1, key).Bind(2, q).Run();
        for (int a = 1; a <= kAreas; ++a)
            start.Bind(1, key).Bind(2, a).Run();
    }
    Exec("COMMIT");
    return id;
}

// ---- the legacy question file ---------------------------------------------

QString WriteQuestionFile(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("domande.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write the question file");
    int previousCell = -1;
    for (int q = 0; q < kQuestions; ++q) {
        const int cell = CellOf(q);
        if (cell != previousCell) {
            if (cell % kPhases == 0)
                file.write(QStringLiteral("*Area %1\n").arg(cell / kPhases + 1).toUtf8());
            file.write(QStringLiteral("#Fase %1\n").arg(cell % kPhases + 1).toUtf8());
            previousCell = cell;
        }
        file.write(QStringLiteral("Domanda %1: sa fare una cosa descritta con un testo lungo\n").arg(q + 1).toUtf8());
    }
    return path;
}

void ImportRaw()
{
    Exec("BEGIN");
    Exec("DELETE FROM Questions");
    Exec("DELETE FROM Areas");
    Exec("DELETE FROM Phases");
    InsertQuestionnaire(QStringLiteral("Domanda %1: sa fare una cosa descritta con un testo lungo"));
    Exec("COMMIT");
}

// ---- peak memory, in a process of its own ---------------------------------

long PeakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// The program with the big file, its compilations list and the editor open.
int MemoryChild(const QString& path)
{
    OpenDatabaseFile(path);
    auto* list = new TFormTables(nullptr);
    list->show();
    Settle();
    list->Recordset()->SetAbsolutePosition(1);
    auto editor = std::make_unique<TFormTableEdit>(list, *list->Recordset(), true);
    editor->show();
    Settle();
    std::printf("%ld\n", PeakResidentKb());
    editor.reset();
    delete list;
    TDatabase::GetInstance()->Close();
    return 0;
}

// ---- the measurements -----------------------------------------------------

void MeasureWindows(const QTemporaryDir& dir)
{
    // The compilations list window: query, fill and paint.
    {
        TStep program{{}, Timed([] {
                          auto* list = new TFormTables(nullptr);
                          list->show();
                          Settle();
                          delete list;
                      }),
                      {}};
        TStep floor{{}, Timed([] {
                        TStatement statement(kListSql);
                        statement.ReadAll();
                    }),
                    {}};
        Compare(QStringLiteral("open the compilations list"), program, floor, 3.0);
    }

    auto* list = new TFormTables(nullptr);
    list->show();
    Settle();
    QTreeWidget* rowsView = list->ListViewData();
    const int row = rowsView->topLevelItemCount() / 2;

    // One key typed into the compilations list's search field, until the
    // list shows the rows that match: a name typed letter by letter down to
    // a few dozen rows, then taken back with Backspace.
    {
        auto* field = list->findChild<QLineEdit*>(QStringLiteral("EditSearch"));
        if (!field)
            throw std::runtime_error("the compilations list has no search field");
        field->setFocus();
        const QString typed = QStringLiteral("bambino 17");
        // The search must narrow the list, or the figure times nothing.
        field->setText(typed);
        if (list->Finder()->ShownRows() == 0 || list->Finder()->ShownRows() >= rowsView->topLevelItemCount())
            throw std::runtime_error("the search field does not narrow the compilations list");
        field->clear();
        int k = 0;
        TStep program{{}, Timed([&] {
                          const int step = k++ % (2 * typed.size());
                          if (step < typed.size())
                              QTest::keyClick(field, typed.at(step).toLatin1());
                          else
                              QTest::keyClick(field, Qt::Key_Backspace);
                          // The list's new layout and paint belong to the key.
                          QApplication::processEvents();
                      }),
                      {}};
        Absolute(QStringLiteral("filter one key at school scale"), program, nullptr, 20.0, true, 201);
        field->clear();
        Settle();
    }

    // The editor on one compilation, opened and painted.
    {
        std::unique_ptr<TFormTableEdit> editor;
        long long key = 0;
        TStep program{[&] {
                          list->Recordset()->SetAbsolutePosition(row + 1);
                          key = list->Recordset()->GetFieldAsInteger(QStringLiteral("IDCompiledTable"));
                      },
                      Timed([&] {
                          editor = std::make_unique<TFormTableEdit>(list, *list->Recordset(), true);
                          editor->show();
                          Settle();
                      }),
                      [&] {
                          ExpectNoWarnings("opening the editor");
                          editor.reset();
                      }};
        TStep floor{{}, Timed([&] { ReadCompilation(key); }), {}};
        Absolute(QStringLiteral("open the compilation editor"), program, &floor, 10.0, true);
    }

    // One answer key in the editor's question list with auto-advance.
    {
        list->Recordset()->SetAbsolutePosition(row + 1);
        TFormTableEdit editor(list, *list->Recordset(), true);
        editor.show();
        Settle();
        auto* questions = editor.findChild<QTreeView*>(QStringLiteral("ListViewData"));
        questions->setFocus();
        const char keys[] = "svno";
        int k = 0;
        TStep program{{}, Timed([&] {
                          QTest::keyClick(questions, keys[k++ % 4]);
                          // The repaint the key causes belongs to the keystroke.
                          QApplication::processEvents();
                      }),
                      {}};
        Absolute(QStringLiteral("one answer key"), program, nullptr, 0.5, false, 201);
        ExpectNoWarnings("answering");
        editor.reject();
    }

    // OK in the editor until the list shows the saved row.
    {
        long long key = 0;
        TStep program{[&] {
                          SelectRow(rowsView, row);
                          list->Recordset()->SetAbsolutePosition(row + 1);
                          key = list->Recordset()->GetFieldAsInteger(QStringLiteral("IDCompiledTable"));
                      },
                      [&] {
                          // The clock starts at the click on OK, inside the
                          // editor's own loop, and stops once the list has
                          // been reloaded and painted.
                          TStopwatch watch;
                          bool opened = false;
                          QTimer::singleShot(0, [&] {
                              auto* editor = qobject_cast<TFormTableEdit*>(QApplication::activeModalWidget());
                              if (!editor)
                                  return;
                              opened = true;
                              Settle();
                              auto* questions = editor->findChild<QTreeView*>(QStringLiteral("ListViewData"));
                              QTest::keyClick(questions, 's');
                              Settle();
                              DialogScript::PushAnswer(TBoxAnswer::Yes); // unanswered questions
                              watch.Start();
                              QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("BitBtnOK")),
                                                Qt::LeftButton);
                          });
                          list->BitBtnEditClick();
                          Settle();
                          if (!opened)
                              throw std::runtime_error("the editor did not open");
                          return watch.Stop();
                      },
                      [&] { ExpectNoWarnings("saving"); }};
        TStep floor{{}, Timed([&] { SaveCompilationRaw(key); }), {}};
        Compare(QStringLiteral("OK in the editor until the list shows it"), program, floor, 1.3);
    }

    // Duplicate until the list shows the copy.
    {
        long long source = 0;
        TStep program{[&] {
                          SelectRow(rowsView, row);
                          list->Recordset()->SetAbsolutePosition(row + 1);
                          source = list->Recordset()->GetFieldAsInteger(QStringLiteral("IDCompiledTable"));
                          DialogScript::PushAnswer(TBoxAnswer::Yes);
                      },
                      Timed([&] {
                          list->BitBtnDuplicateClick();
                          Settle();
                      }),
                      [&] {
                          ExpectNoWarnings("duplicating");
                          DeleteNewestCompilation();
                          list->RefreshList();
                      }};
        TStep floor{{}, Timed([&] { DuplicateRaw(source); }), [] { DeleteNewestCompilation(); }};
        Compare(QStringLiteral("duplicate until the list shows the copy"), program, floor, 1.3);
    }
    delete list;

    // Delete a child with ten compilations from the children's list.
    {
        std::unique_ptr<TFormChildren> children;
        long long child = 0;
        TStep program{[&] {
                          AddChildToDelete();
                          children = std::make_unique<TFormChildren>(nullptr);
                          children->show();
                          Settle();
                          SelectRow(children->ListViewData(),
                                    RowOfText(children->ListViewData(), QStringLiteral("Zeta da eliminare")));
                          DialogScript::PushAnswer(TBoxAnswer::Yes);
                      },
                      Timed([&] {
                          children->BitBtnDeleteClick();
                          Settle();
                      }),
                      [&] {
                          ExpectNoWarnings("deleting a child");
                          children.reset();
                      }};
        TStep floor{[&] { child = AddChildToDelete(); }, Timed([&] {
                        TStatement remove("DELETE FROM Children WHERE IDChild = ?");
                        remove.Bind(1, child).Run();
                    }),
                    {}};
        Compare(QStringLiteral("delete a child with 10 compilations"), program, floor, 1.1);
    }

    // Export one report.
    {
        const QString report = dir.filePath(QStringLiteral("report.html"));
        const long long key = 1000 > LastKey("CompiledTables", "IDCompiledTable") ? 1 : 1000;
        TStep program{{}, Timed([&] { ExportStoredCompilationReport(static_cast<int>(key), report); }),
                      [&] { QFile::remove(report); }};
        TStep floor{{}, Timed([&] {
                        ReadCompilation(key);
                        TStatement school("SELECT School FROM Application");
                        school.ReadAll();
                    }),
                    {}};
        Compare(QStringLiteral("export one report"), program, floor, 2.0);
    }

    // A child's progress: 20 compilations scored and drawn.
    if (Wanted(QStringLiteral("open a child's progress"))) {
        const long long child = AddChildToDelete(20);
        std::unique_ptr<TFormChildProgress> progress;
        TStep program{{}, Timed([&] {
                          progress = std::make_unique<TFormChildProgress>(nullptr, static_cast<int>(child));
                          progress->show();
                          Settle();
                      }),
                      [&] { progress.reset(); }};
        TStep floor{{}, Timed([&] {
                        TStatement answers("SELECT A.IDCompiledTable, A.IDQuestion, A.IDAnswer FROM "
                                           "CompiledTablesAnswers A JOIN CompiledTables C ON C.IDCompiledTable = "
                                           "A.IDCompiledTable WHERE C.IDChild = ?");
                        answers.Bind(1, child).ReadAll();
                    }),
                    {}};
        Absolute(QStringLiteral("open a child's progress (20 compilations)"), program, &floor, 100.0, true);
        TStatement remove("DELETE FROM Children WHERE IDChild = ?");
        remove.Bind(1, child).Run();
    }

    // The school's data as CSV: every compilation scored, every answer written.
    {
        QTemporaryDir folder;
        TStep program{{}, Timed([&] { ExportSchoolData(folder.path()); }), {}};
        TStep floor{{}, Timed([&] {
                        TStatement answers("SELECT A.IDCompiledTable, Q.QuestionText, A.IDAnswer FROM "
                                           "CompiledTablesAnswers A JOIN Questions Q ON Q.IDQuestion = A.IDQuestion "
                                           "ORDER BY A.IDCompiledTable, A.IDQuestion");
                        answers.ReadAll();
                    }),
                    {}};
        Absolute(QStringLiteral("export the school's data (CSV)"), program, &floor, 10000.0, true, 3);
    }
}

void MeasureCompaction(const QTemporaryDir& dir)
{
    const QString copy = dir.filePath(QStringLiteral("export.mdb"));
    const QByteArray attach = (QStringLiteral("ATTACH DATABASE '") + copy + QStringLiteral("' AS compacted KEY '")
                               + TDatabase::Password() + QStringLiteral("'"))
                                  .toUtf8();
    TStep program{{}, Timed([] { TDatabase::GetInstance()->CompactAndRepair(); }), {}};
    // The connection opens existing files only, attached ones too: the
    // copy starts as an empty file.
    TStep floor{[&] { QFile(copy).open(QIODevice::WriteOnly); }, Timed([&] {
                    Exec(attach.constData());
                    Exec("SELECT sqlcipher_export('compacted')");
                    Exec("DETACH DATABASE compacted");
                }),
                [&] { QFile::remove(copy); }};
    Compare(QStringLiteral("compact and repair"), program, floor, 1.8);
}

void MeasureImport(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("questionario.mdb"));
    CreateDatabaseFile(path);
    OpenDatabaseFile(path);
    const QString file = WriteQuestionFile(dir);
    TStep program{{}, Timed([&] { TDatabase::GetInstance()->ImportLegacyQuestions(file); }), {}};
    TStep floor{{}, Timed([] { ImportRaw(); }), {}};
    Compare(QStringLiteral("import a 1000-question file"), program, floor, 1.2);
    TDatabase::GetInstance()->Close();
}

void MeasureMemory(const QString& path)
{
    if (!Wanted(QStringLiteral("peak memory")))
        return;
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory"), path});
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        throw std::runtime_error("the memory measurement failed: " + child.readAllStandardError().toStdString());
    TRow row;
    row.operation = QStringLiteral("peak memory, big file, editor open");
    row.program.cpu = row.program.wall = QString::fromUtf8(child.readAllStandardOutput()).trimmed().toLong() / 1024.0;
    row.hasFloor = false;
    row.target = 40.0;
    row.absolute = true;
    row.unit = QStringLiteral("MB");
    rows.push_back(row);
}

int PrintTable()
{
    std::printf("\n%-42s %21s %21s %7s %9s %4s\n", "operation", "program cpu/wall", "floor cpu/wall", "ratio",
                "target", "met");
    int met = 0;
    for (const TRow& row : rows) {
        const double program = row.wall ? row.program.wall : row.program.cpu;
        const double floor = row.wall ? row.floor.wall : row.floor.cpu;
        const double ratio = row.hasFloor && floor > 0 ? program / floor : 0.0;
        bool ok = false;
        QString target;
        if (row.absolute) {
            ok = program <= row.target;
            target = QStringLiteral("<= %1 %2%3").arg(row.target).arg(row.unit, row.wall ? QStringLiteral("w") : QString());
        } else {
            ok = ratio <= row.target;
            target = QStringLiteral("<= %1x").arg(row.target);
        }
        met += ok ? 1 : 0;
        const QString programText = row.unit == QLatin1String("MB")
                                        ? QStringLiteral("%1 MB").arg(program, 0, 'f', 1)
                                        : QStringLiteral("%1 / %2").arg(row.program.cpu, 0, 'f', 2).arg(row.program.wall, 0, 'f', 2);
        const QString floorText = row.hasFloor
                                      ? QStringLiteral("%1 / %2").arg(row.floor.cpu, 0, 'f', 2).arg(row.floor.wall, 0, 'f', 2)
                                      : QStringLiteral("-");
        const QString ratioText = row.hasFloor ? QStringLiteral("%1x").arg(ratio, 0, 'f', 2) : QStringLiteral("-");
        std::printf("%-42s %21s %21s %7s %9s %4s\n", qPrintable(row.operation), qPrintable(programText),
                    qPrintable(floorText), qPrintable(ratioText), qPrintable(target), ok ? "yes" : "no");
    }
    std::printf("(times in ms, medians of %d runs; ratios on CPU time, \"w\" targets on wall time)\n", kRuns);
    std::printf("bench: %d of %d targets met\n", met, static_cast<int>(rows.size()));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    try {
        if (arguments.size() == 3 && arguments[1] == QLatin1String("--memory"))
            return MemoryChild(arguments[2]);
        int compilations = 2000;
        const int at = arguments.indexOf(QStringLiteral("--compilations"));
        if (at > 0 && at + 1 < arguments.size())
            compilations = arguments[at + 1].toInt();
        const int only = arguments.indexOf(QStringLiteral("--only"));
        if (only > 0 && only + 1 < arguments.size())
            onlyOperations = arguments[only + 1];
        if (compilations < 1) {
            std::fprintf(stderr, "usage: baltero-bench [--compilations N] [--only TEXT]\n");
            return 2;
        }
        TSettings::GetInstance()->SetAutoAdvancing(true);
        const QString cached = SchoolDatabase(compilations);
        QTemporaryDir dir;
        const QString path = WorkingCopy(cached, dir);
        DialogScript::Begin();

        OpenDatabaseFile(path);
        MeasureWindows(dir);
        MeasureCompaction(dir);
        TDatabase::GetInstance()->Close();
        MeasureMemory(WorkingCopy(cached, dir));
        MeasureImport(dir);

        DialogScript::End();
        PrintTable();
        TSettings::ReleaseInstance();
        TDatabase::ReleaseInstance();
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "baltero-bench: %s\n", qPrintable(e.Message()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "baltero-bench: %s\n", e.what());
    }
    return 1;
}
