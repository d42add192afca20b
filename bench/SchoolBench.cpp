// baltero-bench: every user action at the scale of a whole school, timed
// through the program's own code (real windows on the offscreen platform
// where the user sees one) against the floor: the same work done with the
// engine's own interface on the same connection (SQLCipher's prepared
// statements on the file, libpq's on a server). Program and floor alternate
// in the same process, A B A B..., and the medians of CPU and wall time are
// compared with the targets. One table for the file, then one for a
// PostgreSQL server.
//
//   build/release/bench/baltero-bench [--compilations N] [--only TEXT]
//                                     [--server CONNECTION | --file-only]
//
// The school's database (1000 questions in 6 areas x 8 phases, 200 children,
// 20 educators, N compilations of 1000 answers, default 2000) is built once
// and kept beside the program, and once on the server; every run works on a
// copy of it. Without --server (or BALTERO_BENCH_SERVER) the server is a
// throw-away one started on this machine for the run.
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

#include "RawStatement.h"
#include "SchoolData.h"
#include "ServerSchool.h"

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
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kRuns = 7;

// Rows written with raw INSERT statements, one prepared statement a table.
class TInsertWriter : public TSchoolWriter {
public:
    void Table(const char* table, const std::vector<const char*>& columns) override
    {
        QByteArray sql = QByteArray("INSERT INTO ") + table + "(";
        QByteArray marks;
        for (size_t c = 0; c < columns.size(); ++c) {
            sql += (c > 0 ? ", " : "") + QByteArray(columns[c]);
            marks += c > 0 ? ", ?" : "?";
        }
        sql += ") VALUES(" + marks + ")";
        statement_ = std::make_unique<TRawStatement>(sql.constData());
    }
    void Row(const std::vector<QVariant>& values) override
    {
        for (size_t c = 0; c < values.size(); ++c) {
            if (values[c].typeId() == QMetaType::QByteArray)
                statement_->Bind(static_cast<int>(c + 1), values[c].toByteArray().constData());
            else
                statement_->Bind(static_cast<int>(c + 1), values[c].toLongLong());
        }
        statement_->Run();
    }
    void Finish() override { statement_.reset(); }

private:
    std::unique_ptr<TRawStatement> statement_;
};

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
    // The server's work is done in its own processes, out of reach of this
    // one's CPU clock: on a server the ratio is of wall times.
    row.wall = TDatabase::GetInstance()->UsesServer();
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

void FillSchool(int compilations)
{
    RawExec("BEGIN");
    TInsertWriter writer;
    WriteSchool(writer, compilations);
    RawExec("COMMIT");
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

void SelectRow(QTreeView* list, int row)
{
    list->clearSelection();
    list->selectionModel()->select(list->model()->index(row, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

int RowOfText(QTreeView* list, const QString& text)
{
    for (int i = 0; i < list->model()->rowCount(); ++i)
        if (list->model()->index(i, 0).data().toString() == text)
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
    TRawStatement header("SELECT CompiledTables.*, Children.Name, Children.DateOfBirth, Teachers.Name FROM "
                      "CompiledTables JOIN Children ON Children.IDChild = CompiledTables.IDChild JOIN Teachers ON "
                      "Teachers.IDTeacher = CompiledTables.IDTeacher WHERE IDCompiledTable = ?");
    header.Bind(1, key).ReadAll();
    TRawStatement areas("SELECT * FROM Areas ORDER BY IDArea");
    areas.ReadAll();
    TRawStatement phases("SELECT * FROM Phases ORDER BY IDPhase");
    phases.ReadAll();
    TRawStatement questions("SELECT * FROM Questions ORDER BY IDArea, IDPhase, QuestionOrder");
    questions.ReadAll();
    TRawStatement answers("SELECT * FROM CompiledTablesAnswers WHERE IDCompiledTable = ? ORDER BY IDQuestion");
    answers.Bind(1, key).ReadAll();
    TRawStatement starts("SELECT * FROM CompiledTablesStartPhase WHERE IDCompiledTable = ? ORDER BY IDArea");
    starts.Bind(1, key).ReadAll();
}

void SaveCompilationRaw(long long key)
{
    RawExec("BEGIN");
    TRawStatement header("UPDATE CompiledTables SET IDChild = IDChild, IDTeacher = IDTeacher, DateTime = DateTime, "
                      "Description = Description WHERE IDCompiledTable = ?");
    header.Bind(1, key).Run();
    TRawStatement deleteStarts("DELETE FROM CompiledTablesStartPhase WHERE IDCompiledTable = ?");
    deleteStarts.Bind(1, key).Run();
    TRawStatement deleteAnswers("DELETE FROM CompiledTablesAnswers WHERE IDCompiledTable = ?");
    deleteAnswers.Bind(1, key).Run();
    TRawStatement start("INSERT INTO CompiledTablesStartPhase(IDCompiledTable, IDArea, IDPhase) VALUES(?, ?, ?)");
    for (int a = 1; a <= kAreas; ++a)
        start.Bind(1, key).Bind(2, a).Bind(3, 1).Run();
    TRawStatement answer("INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer) VALUES(?, ?, ?)");
    for (int q = 1; q <= kQuestions; ++q)
        answer.Bind(1, key).Bind(2, q).Bind(3, q % 4).Run();
    RawExec("COMMIT");
}

void DuplicateRaw(long long source)
{
    RawExec("BEGIN");
    TRawStatement header("INSERT INTO CompiledTables(IDChild, IDTeacher, DateTime, Description) SELECT IDChild, "
                         "IDTeacher, DateTime, 'Copia di ' || Description FROM CompiledTables WHERE IDCompiledTable = ?",
                         "IDCompiledTable");
    const long long copy = header.Bind(1, source).Insert();
    TRawStatement starts("INSERT INTO CompiledTablesStartPhase(IDCompiledTable, IDArea, IDPhase) SELECT ?, IDArea, "
                         "IDPhase FROM CompiledTablesStartPhase WHERE IDCompiledTable = ?");
    starts.Bind(1, copy).Bind(2, source).Run();
    TRawStatement answers("INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer) SELECT ?, "
                          "IDQuestion, IDAnswer FROM CompiledTablesAnswers WHERE IDCompiledTable = ?");
    answers.Bind(1, copy).Bind(2, source).Run();
    RawExec("COMMIT");
}

void DeleteNewestCompilation()
{
    const long long newest = RawLastKey("CompiledTables", "IDCompiledTable");
    TRawStatement remove("DELETE FROM CompiledTables WHERE IDCompiledTable = ?");
    remove.Bind(1, newest).Run();
}

// A child with ten compilations of 1000 answers, to be deleted.
long long AddChildToDelete(int compilations = 10)
{
    RawExec("BEGIN");
    TRawStatement child("INSERT INTO Children(Name, DateOfBirth, Info) VALUES('Zeta da eliminare', "
                        "'2021-05-01 00:00:00', '')",
                        "IDChild");
    const long long id = child.Insert();
    TRawStatement compilation("INSERT INTO CompiledTables(IDChild, IDTeacher, DateTime, Description) "
                              "VALUES(?, 1, '2026-01-10 00:00:00', 'Da eliminare')",
                              "IDCompiledTable");
    TRawStatement answer("INSERT INTO CompiledTablesAnswers(IDCompiledTable, IDQuestion, IDAnswer) VALUES(?, ?, 1)");
    TRawStatement start("INSERT INTO CompiledTablesStartPhase(IDCompiledTable, IDArea, IDPhase) VALUES(?, ?, 1)");
    for (int k = 0; k < compilations; ++k) {
        const long long key = compilation.Bind(1, id).Insert();
        for (int q = 1; q <= kQuestions; ++q)
            answer.Bind(1, key).Bind(2, q).Run();
        for (int a = 1; a <= kAreas; ++a)
            start.Bind(1, key).Bind(2, a).Run();
    }
    RawExec("COMMIT");
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
    RawExec("BEGIN");
    RawExec("DELETE FROM Questions");
    RawExec("DELETE FROM Areas");
    RawExec("DELETE FROM Phases");
    TInsertWriter writer;
    WriteQuestionnaire(writer, "Domanda %1: sa fare una cosa descritta con un testo lungo");
    RawExec("COMMIT");
}

// ---- the measurements -----------------------------------------------------

void MeasureWindows(const QTemporaryDir& dir, bool server)
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
                        TRawStatement statement(kListSql);
                        statement.ReadAll();
                    }),
                    {}};
        Compare(QStringLiteral("open the compilations list"), program, floor, 3.0);
    }

    auto* list = new TFormTables(nullptr);
    list->show();
    Settle();
    QTreeView* rowsView = list->ListViewData();
    const int row = rowsView->model()->rowCount() / 2;

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
        if (list->Finder()->ShownRows() == 0 || list->Finder()->ShownRows() >= list->ListModel()->RecordCount())
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
        // On a server the floor pays a round trip a statement, as the
        // program does: what counts there is the wait the educator sees.
        if (server)
            Absolute(QStringLiteral("OK in the editor until the list shows it"), program, &floor, 100.0, true);
        else
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
                          // The user clicks on a list that shows its row chosen, not
                          // one still to repaint after the last run's clean-up.
                          Settle();
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
                          Settle();
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
                        TRawStatement remove("DELETE FROM Children WHERE IDChild = ?");
                        remove.Bind(1, child).Run();
                    }),
                    {}};
        Compare(QStringLiteral("delete a child with 10 compilations"), program, floor, 1.1);
    }

    // Export one report.
    {
        const QString report = dir.filePath(QStringLiteral("report.html"));
        const long long key = 1000 > RawLastKey("CompiledTables", "IDCompiledTable") ? 1 : 1000;
        TStep program{{}, Timed([&] { ExportStoredCompilationReport(static_cast<int>(key), report); }),
                      [&] { QFile::remove(report); }};
        TStep floor{{}, Timed([&] {
                        ReadCompilation(key);
                        TRawStatement school("SELECT School FROM Application");
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
                        TRawStatement answers("SELECT A.IDCompiledTable, A.IDQuestion, A.IDAnswer FROM "
                                           "CompiledTablesAnswers A JOIN CompiledTables C ON C.IDCompiledTable = "
                                           "A.IDCompiledTable WHERE C.IDChild = ?");
                        answers.Bind(1, child).ReadAll();
                    }),
                    {}};
        Absolute(QStringLiteral("open a child's progress (20 compilations)"), program, &floor, 100.0, true);
        TRawStatement remove("DELETE FROM Children WHERE IDChild = ?");
        remove.Bind(1, child).Run();
    }

    // The school's data as CSV: every compilation scored, every answer written.
    {
        QTemporaryDir folder;
        TStep program{{}, Timed([&] { ExportSchoolData(folder.path()); }), {}};
        TStep floor{{}, Timed([&] {
                        TRawStatement answers("SELECT A.IDCompiledTable, Q.QuestionText, A.IDAnswer FROM "
                                           "CompiledTablesAnswers A JOIN Questions Q ON Q.IDQuestion = A.IDQuestion "
                                           "ORDER BY A.IDCompiledTable, A.IDQuestion");
                        answers.ReadAll();
                    }),
                    {}};
        Absolute(QStringLiteral("export the school's data (CSV)"), program, &floor, 10000.0, true, 3);
    }
}

void MeasureCompaction(const QTemporaryDir& dir, bool server)
{
    TStep program{{}, Timed([] { TDatabase::GetInstance()->CompactAndRepair(); }), {}};
    if (server) {
        // The server's compaction: VACUUM (ANALYZE) of the program's tables.
        TStep floor{{}, Timed([] {
                        RawExec("VACUUM (ANALYZE) Application, Children, Teachers, Areas, Phases, Questions, "
                                "CompiledTables, CompiledTablesAnswers, CompiledTablesStartPhase");
                    }),
                    {}};
        Compare(QStringLiteral("compact and repair"), program, floor, 1.8);
        return;
    }
    const QString copy = dir.filePath(QStringLiteral("export.mdb"));
    const QByteArray attach = (QStringLiteral("ATTACH DATABASE '") + copy + QStringLiteral("' AS compacted KEY '")
                               + TDatabase::Password() + QStringLiteral("'"))
                                  .toUtf8();
    // The connection opens existing files only, attached ones too: the
    // copy starts as an empty file.
    TStep floor{[&] { QFile(copy).open(QIODevice::WriteOnly); }, Timed([&] {
                    RawExec(attach.constData());
                    RawExec("SELECT sqlcipher_export('compacted')");
                    RawExec("DETACH DATABASE compacted");
                }),
                [&] { QFile::remove(copy); }};
    Compare(QStringLiteral("compact and repair"), program, floor, 1.8);
}

// Opens the server database of connection through the program's database
// object, as the program does when its settings name a server.
void OpenServerDatabase(const QString& connection)
{
    TDatabase* database = TDatabase::GetInstance();
    database->SetConnectionTemplate(connection);
    database->Open(QString());
}

// Into a new, empty database: a new file, or a new database on the server
// (server names it).
void MeasureImport(const QTemporaryDir& dir, const QString& server)
{
    if (!Wanted(QStringLiteral("import a 1000-question file")))
        return;
    std::unique_ptr<TServerDatabase> serverDatabase;
    if (server.isEmpty()) {
        const QString path = dir.filePath(QStringLiteral("questionario.mdb"));
        CreateDatabaseFile(path);
        OpenDatabaseFile(path);
    } else {
        serverDatabase = std::make_unique<TServerDatabase>(
            server, QStringLiteral("baltero_bench_import_%1").arg(QCoreApplication::applicationPid()));
        OpenServerDatabase(serverDatabase->Connection());
    }
    const QString file = WriteQuestionFile(dir);
    TStep program{{}, Timed([&] { TDatabase::GetInstance()->ImportLegacyQuestions(file); }), {}};
    TStep floor{{}, Timed([] { ImportRaw(); }), {}};
    Compare(QStringLiteral("import a 1000-question file"), program, floor, 1.2);
    TDatabase::GetInstance()->Close();
}

// Where the memory child reads a server's connection string (not from its
// command line, which anyone on the machine may read).
const char* const kMemoryServer = "BALTERO_BENCH_MEMORY_SERVER";

// path: the file; server: the server database's connection string instead.
void MeasureMemory(const QString& path, const QString& server)
{
    if (!Wanted(QStringLiteral("peak memory")))
        return;
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QLatin1String(kMemoryServer));
    if (!server.isEmpty())
        environment.insert(QLatin1String(kMemoryServer), server);
    child.setProcessEnvironment(environment);
    // A program of its own, linked as Baltero is: the bench's raw server
    // floor links libpq, which Baltero loads only for a server.
    child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/baltero-bench-memory"), {path});
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        throw std::runtime_error("the memory measurement failed: " + child.readAllStandardError().toStdString());
    TRow row;
    row.operation = server.isEmpty() ? QStringLiteral("peak memory, big file, editor open")
                                     : QStringLiteral("peak memory, big school, editor open");
    row.program.cpu = row.program.wall = QString::fromUtf8(child.readAllStandardOutput()).trimmed().toLong() / 1024.0;
    row.hasFloor = false;
    row.target = 40.0;
    row.absolute = true;
    row.unit = QStringLiteral("MB");
    rows.push_back(row);
}

// Prints the rows measured so far under title and starts a new table;
// returns the targets met.
int PrintTable(const char* title)
{
    std::printf("\n%s\n%-42s %21s %21s %7s %9s %4s\n", title, "operation", "program cpu/wall", "floor cpu/wall",
                "ratio", "target", "met");
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
            target = QStringLiteral("<= %1x%2").arg(row.target).arg(row.wall ? QStringLiteral("w") : QString());
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
    std::printf("%s: %d of %d targets met\n", title, met, static_cast<int>(rows.size()));
    std::fflush(stdout);
    return met;
}

// The file's table: a working copy of the cached school file.
void MeasureFile(int compilations, const QTemporaryDir& dir)
{
    const QString cached = SchoolDatabase(compilations);
    OpenDatabaseFile(WorkingCopy(cached, dir));
    MeasureWindows(dir, false);
    MeasureCompaction(dir, false);
    TDatabase::GetInstance()->Close();
    MeasureMemory(WorkingCopy(cached, dir), QString());
    MeasureImport(dir, QString());
}

// The server's table: a working copy of the school's database kept on the
// server, the same operations.
void MeasureServer(int compilations, const QTemporaryDir& dir, const QString& server)
{
    const QString school = ServerSchoolDatabase(server, compilations, [&](TSchoolWriter& writer) {
        WriteSchool(writer, compilations);
    });
    {
        const TServerDatabase work(server, QStringLiteral("baltero_bench_work_%1").arg(QCoreApplication::applicationPid()),
                                   school);
        OpenServerDatabase(work.Connection());
        MeasureWindows(dir, true);
        MeasureCompaction(dir, true);
        TDatabase::GetInstance()->Close();
        MeasureMemory(QString(), work.Connection());
    }
    MeasureImport(dir, server);
}

const char* const kUsage = "usage: baltero-bench [--compilations N] [--only TEXT] [--server CONNECTION | --file-only]\n";

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    try {
        auto value = [&](const char* option) {
            const int at = arguments.indexOf(QLatin1String(option));
            return at > 0 && at + 1 < arguments.size() ? arguments[at + 1] : QString();
        };
        const int compilations = value("--compilations").isEmpty() ? 2000 : value("--compilations").toInt();
        onlyOperations = value("--only");
        QString server = value("--server");
        if (server.isEmpty())
            server = qEnvironmentVariable("BALTERO_BENCH_SERVER");
        const bool fileOnly = arguments.contains(QStringLiteral("--file-only"));
        if (compilations < 1 || (fileOnly && !server.isEmpty())) {
            std::fprintf(stderr, "%s", kUsage);
            return 2;
        }
        if (!server.isEmpty() && !TDatabase::IsServerConnection(server)) {
            std::fprintf(stderr, "baltero-bench: --server takes a connection string \"Provider=PostgreSQL;...\"\n");
            return 2;
        }
        TSettings::GetInstance()->SetAutoAdvancing(true);
        QTemporaryDir dir;
        DialogScript::Begin();

        MeasureFile(compilations, dir);
        int met = PrintTable("file");
        int measured = static_cast<int>(rows.size());
        rows.clear();

        if (!fileOnly) {
            // Without a server of its own the benchmark starts a throw-away
            // one on this machine.
            std::unique_ptr<TThrowAwayCluster> cluster;
            if (server.isEmpty()) {
                cluster = std::make_unique<TThrowAwayCluster>();
                server = cluster->Connection();
            }
            MeasureServer(compilations, dir, server);
            met += PrintTable("server");
            measured += static_cast<int>(rows.size());
            rows.clear();
        }

        DialogScript::End();
        std::printf("bench: %d of %d targets met\n", met, measured);
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
