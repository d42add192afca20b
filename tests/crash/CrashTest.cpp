// The program killed in the middle of its writes: a child process
// (CrashWorker) repeats one user action on a real database file and is killed
// with SIGKILL, at random moments and at each write, rename, link, unlink and
// sync of the action in turn (strace's fault injection). After every kill the
// database must stand whole under its name, pass the engine's integrity check
// as it is and once the program has opened it, and hold every compilation,
// the questionnaire and the register as one run of the action left them; the
// program's next open must clear away or ignore whatever the kill left
// beside it.
#include "CrashPlan.h"
#include "DatabaseFile.h"
#include "Exception.h"
#include "IntegrityCheck.h"
#include "MaintenanceMessages.h"
#include "NyConnection.h"
#include "NyRecordset.h"
#include "TestDatabase.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

const QString DatabaseName = QStringLiteral("Baltero.mdb");
const QString BackupName = QStringLiteral("Baltero.mdbbak");

// The system calls a kill is aimed at: every way the action changes a file
// or a folder, and every sync.
const QStringList KilledCalls{QStringLiteral("write"),     QStringLiteral("pwrite64"),  QStringLiteral("fsync"),
                              QStringLiteral("fdatasync"), QStringLiteral("rename"),    QStringLiteral("renameat"),
                              QStringLiteral("renameat2"), QStringLiteral("link"),      QStringLiteral("linkat"),
                              QStringLiteral("unlink"),    QStringLiteral("unlinkat"),  QStringLiteral("ftruncate")};

struct TCrashCase {
    const char* action;
    int tracedRuns;     // runs of the action whose calls are kill points
    int extraKills;     // kills besides the first and last call of each kind on each file
    int randomKills;    // kills at random moments, the worker running on
    int minimumKills;   // kills during the action, both kinds together
};

void PrintTo(const TCrashCase& crash, std::ostream* out)
{
    *out << crash.action;
}

// Every row of the statement, fields joined by '|'.
QStringList Rows(TNyConnection& connection, const QString& sql)
{
    TNyRecordset rs(connection);
    rs.Open(sql);
    QStringList rows;
    for (; !rs.Eof(); rs.MoveNext()) {
        QStringList fields;
        for (int i = 0; i < rs.FieldCount(); ++i)
            fields << rs.GetFieldAsString(rs.FieldName(i));
        rows << fields.join(QLatin1Char('|'));
    }
    return rows;
}

// The rows of the tables that a run of an action changes whole or not at all.
struct TTables {
    QStringList registerRows;
    QStringList questionnaireRows;
    QStringList compilations; // IDCompiledTable|IDChild|IDTeacher|DateTime|Description

    static TTables Read(TNyConnection& connection)
    {
        TTables tables;
        for (const char* sql : {"SELECT * FROM Application", "SELECT * FROM Children ORDER BY IDChild",
                                "SELECT * FROM Teachers ORDER BY IDTeacher"})
            tables.registerRows << Rows(connection, QString::fromLatin1(sql));
        for (const char* sql : {"SELECT * FROM Areas ORDER BY IDArea", "SELECT * FROM Phases ORDER BY IDPhase",
                                "SELECT * FROM Questions ORDER BY IDQuestion"})
            tables.questionnaireRows << Rows(connection, QString::fromLatin1(sql));
        tables.compilations = Rows(connection, QStringLiteral("SELECT IDCompiledTable, IDChild, IDTeacher, DateTime, "
                                                              "Description FROM CompiledTables ORDER BY IDCompiledTable"));
        return tables;
    }
};

// A process killed loses nothing the system was given: the page cache
// outlives it. Where a file system in memory is at hand the kills' files go
// there, so that the action's syncs do not wait on a busy disk.
QString WorkFolderTemplate()
{
    const QFileInfo memory(QStringLiteral("/dev/shm"));
    const QString base = memory.isDir() && memory.isWritable() ? memory.filePath() : QDir::tempPath();
    return base + QStringLiteral("/CrashTest-XXXXXX");
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

void WriteFile(const QString& path, const QString& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

// A question file with areas of phases of questions, each text starting with
// letter.
QString QuestionFile(QChar letter, int areas, int phases, int questions)
{
    QString text;
    for (int a = 1; a <= areas; ++a) {
        text += QStringLiteral("*%1 area %2\r\n").arg(letter).arg(a);
        for (int p = 1; p <= phases; ++p) {
            text += QStringLiteral("#%1 fase %2\r\n").arg(letter).arg(p);
            for (int q = 1; q <= questions; ++q)
                text += QStringLiteral("%1 domanda %2.%3.%4\r\n").arg(letter).arg(a).arg(p).arg(q);
        }
    }
    return text;
}

struct TStraceCall {
    QString name;
    int number = 0; // its count among the calls of the same name of the worker's main thread
    QString file;   // the file or folder it works on
    QString line;
};

// The calls of the worker's main thread on the files of folder between each
// begin and end mark, from a log of strace -f that also traced the opening
// and closing of files.
std::vector<TStraceCall> CallsDuringTheAction(const QString& log, const QString& folder)
{
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    static const QRegularExpression call(QStringLiteral("^(\\d+) +(\\w+)\\((.*)\\) += (-?\\d+)"));
    static const QRegularExpression firstPath(QStringLiteral("^(?:AT_FDCWD, )?\"([^\"]*)\""));
    const QString begin = QStringLiteral("write(2, \"crash-worker: begin\\n\"");
    const QString end = QStringLiteral("write(2, \"crash-worker: end\\n\"");
    QString mainThread;
    for (const QString& line : lines) {
        if (line.contains(begin)) {
            mainThread = line.section(QLatin1Char(' '), 0, 0);
            break;
        }
    }
    std::vector<TStraceCall> calls;
    std::map<QString, int> counts;
    std::map<QString, QString> openFiles; // descriptor -> path
    bool inside = false;
    for (const QString& line : lines) {
        const QRegularExpressionMatch match = call.match(line);
        if (!match.hasMatch() || match.captured(1) != mainThread)
            continue;
        const QString name = match.captured(2);
        const QString arguments = match.captured(3);
        const QString descriptor = arguments.section(QLatin1Char(','), 0, 0);
        const QRegularExpressionMatch path = firstPath.match(arguments);
        if (name == QLatin1String("openat") || name == QLatin1String("open")) {
            if (path.hasMatch() && match.captured(4).toInt() >= 0)
                openFiles[match.captured(4)] = path.captured(1);
            continue;
        }
        if (name == QLatin1String("close")) {
            openFiles.erase(descriptor);
            continue;
        }
        const int number = ++counts[name];
        if (line.contains(begin)) {
            inside = true;
        } else if (line.contains(end)) {
            inside = false;
        } else if (inside) {
            const QString target = path.hasMatch() ? path.captured(1) : openFiles[descriptor];
            if (target == folder || target.startsWith(folder + QLatin1Char('/')))
                calls.push_back({name, number, target, line.section(QLatin1Char(' '), 1).trimmed()});
        }
    }
    return calls;
}

// The first and the last call of each kind on each file, so that every step
// of the action is hit, and as many others as extra, spread evenly.
std::vector<TStraceCall> KillPoints(const std::vector<TStraceCall>& calls, int extra)
{
    std::map<QString, std::pair<std::size_t, std::size_t>> steps; // first and last call of each
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const QString step = calls[i].name + QLatin1Char(' ') + calls[i].file;
        if (!steps.count(step))
            steps[step] = {i, i};
        steps[step].second = i;
    }
    std::vector<bool> chosen(calls.size(), false);
    for (const auto& [step, ends] : steps)
        chosen[ends.first] = chosen[ends.second] = true;
    std::vector<std::size_t> others;
    for (std::size_t i = 0; i < calls.size(); ++i)
        if (!chosen[i])
            others.push_back(i);
    for (int k = 0; k < extra && !others.empty(); ++k)
        chosen[others[others.size() * k / std::min<std::size_t>(extra, others.size())]] = true;
    std::vector<TStraceCall> points;
    for (std::size_t i = 0; i < calls.size(); ++i)
        if (chosen[i])
            points.push_back(calls[i]);
    return points;
}

class Crash : public ::testing::TestWithParam<TCrashCase> {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
            GTEST_SKIP() << "strace is not installed";
        action_ = QString::fromLatin1(GetParam().action);
        if (UsesCopiesFolder())
            expectedEntries_ << CrashPlan::CopiesFolder();
        expectedEntries_.sort();
        BuildTemplate();
    }
    void TearDown() override { TDatabase::ReleaseInstance(); }

    // The database every kill starts from: 50 questions, three children, two
    // educators, and for all but the import three saved compilations and
    // the one that is duplicated.
    void BuildTemplate()
    {
        template_ = std::make_unique<TestDatabase>();
        TestDatabase& t = *template_;
        WriteFile(t.Path(CrashPlan::QuestionFileA()),
                  QuestionFile(QLatin1Char('A'), CrashPlan::AreaCount, CrashPlan::PhaseCount, CrashPlan::QuestionsPerCell));
        WriteFile(t.Path(CrashPlan::QuestionFileB()), QuestionFile(QLatin1Char('B'), 3, 3, 4));
        const int children[] = {t.AddChild(QStringLiteral("Anna")), t.AddChild(QStringLiteral("Bruno")),
                                t.AddChild(QStringLiteral("Carlo"))};
        const int teachers[] = {t.AddTeacher(QStringLiteral("Dora")), t.AddTeacher(QStringLiteral("Elena"))};
        if (action_ == QLatin1String("import")) {
            t.Db().ImportLegacyQuestions(t.Path(CrashPlan::QuestionFileA()));
        } else {
            for (int area = 1; area <= CrashPlan::AreaCount; ++area)
                t.AddArea(area, QStringLiteral("Area %1").arg(area));
            for (int phase = 1; phase <= CrashPlan::PhaseCount; ++phase)
                t.AddPhase(phase, QStringLiteral("Fase %1").arg(phase));
            for (int area = 1; area <= CrashPlan::AreaCount; ++area)
                for (int phase = 1; phase <= CrashPlan::PhaseCount; ++phase)
                    for (int order = 1; order <= CrashPlan::QuestionsPerCell; ++order)
                        t.AddQuestion(area, phase, order, QStringLiteral("Domanda %1.%2.%3").arg(area).arg(phase).arg(order));
            const QString descriptions[] = {CrashPlan::SavedDescription(0), CrashPlan::SavedDescription(0),
                                            CrashPlan::SavedDescription(1), CrashPlan::OriginDescription()};
            for (int i = 0; i < 4; ++i) {
                const int key = t.AddCompilation(children[i % 3], teachers[i % 2], descriptions[i]);
                const int run = CrashPlan::RunOf(descriptions[i]);
                for (const QString& id : Rows(t.Db().Connection(), QStringLiteral("SELECT IDQuestion FROM Questions")))
                    StoreAnswer(t, key, id.toInt(), CrashPlan::AnswerOf(run, id.toInt()));
                for (int area = 1; area <= CrashPlan::AreaCount; ++area)
                    StoreStartPhase(t, key, area, CrashPlan::StartPhaseOf(run));
            }
        }
        before_ = TTables::Read(t.Db().Connection());
        questionIds_ = Rows(t.Db().Connection(), QStringLiteral("SELECT IDQuestion FROM Questions ORDER BY IDQuestion"));
        areaIds_ = Rows(t.Db().Connection(), QStringLiteral("SELECT IDArea FROM Areas ORDER BY IDArea"));
        if (action_ == QLatin1String("import")) {
            // The questionnaire of file B, imported whole.
            t.Db().ImportLegacyQuestions(t.Path(CrashPlan::QuestionFileB()));
            otherQuestionnaire_ = TTables::Read(t.Db().Connection()).questionnaireRows;
            t.Db().ImportLegacyQuestions(t.Path(CrashPlan::QuestionFileA()));
            ASSERT_EQ(TTables::Read(t.Db().Connection()).questionnaireRows, before_.questionnaireRows);
        }
        t.Db().Close();
    }

    // A fresh copy of the template in folder, which is emptied first.
    void CopyTemplate(const QString& folder)
    {
        for (const QString& entry : Entries(folder)) {
            const QString path = QDir(folder).filePath(entry);
            if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink())
                QDir(path).removeRecursively();
            else
                QFile::remove(path);
        }
        for (const QString& name : {DatabaseName, CrashPlan::QuestionFileA(), CrashPlan::QuestionFileB()})
            ASSERT_TRUE(QFile::copy(template_->Path(name), QDir(folder).filePath(name)));
        if (UsesCopiesFolder()) {
            const QString copies = QDir(folder).filePath(CrashPlan::CopiesFolder());
            ASSERT_TRUE(QDir().mkpath(copies));
            if (action_ == QLatin1String("restore")) {
                ASSERT_TRUE(QFile::copy(template_->Path(DatabaseName), QDir(copies).filePath(CrashPlan::RestoredCopy())));
            }
        }
    }

    bool UsesCopiesFolder() const { return action_ == QLatin1String("backup") || action_ == QLatin1String("restore"); }

    // The password that opens the file: the built-in one or, after the
    // password change, the school's; empty when neither does.
    static QString PasswordOf(const QString& path)
    {
        for (const QString& password : {TDatabase::Password(), CrashPlan::SchoolPassword()}) {
            TNyConnection connection;
            try {
                connection.Open(TDatabase::BuildConnectionString(DefaultConnectionTemplate(), path, password));
                return password;
            } catch (const EKeyRefused&) {
            }
        }
        return QString();
    }

    QStringList WorkerArguments(const QString& folder, int runs) const
    {
        return {QStringLiteral(BALTERO_CRASH_WORKER), action_, QDir(folder).filePath(DatabaseName),
                QString::number(runs)};
    }

    static void PrepareWorker(QProcess& process)
    {
        // A killed process has no leaks worth reporting. A smaller quarantine
        // of freed memory still catches a use after free in one action, and
        // more than halves what each start of the worker costs.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0:quarantine_size_mb=16"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
    }

    // The worker under strace -f; true when it ended as asked (killed or not).
    static bool RunTraced(const QStringList& straceOptions, const QStringList& worker, bool& killed, QString& err)
    {
        QProcess process;
        PrepareWorker(process);
        process.start(QStringLiteral("strace"),
                      QStringList{QStringLiteral("-f"), QStringLiteral("-qq")}
                          + straceOptions + worker);
        const bool finished = process.waitForFinished(60000);
        err = QString::fromLocal8Bit(process.readAllStandardError());
        // strace ends as the worker did, killed by the same signal (or, where
        // it cannot, with status 128 + 9).
        killed = process.exitStatus() == QProcess::CrashExit || process.exitCode() == 128 + 9;
        return finished && (killed || process.exitCode() == 0);
    }

    // What the kill left in folder, put to every test the program's files
    // must pass.
    void CheckAfterKill(const QString& folder, const QString& what)
    {
        SCOPED_TRACE(what.toStdString());
        const QString path = QDir(folder).filePath(DatabaseName);
        ASSERT_TRUE(QFileInfo(path).isFile()) << "no database under its name: " << Entries(folder).join(' ').toStdString();
        for (const QString& entry : Entries(folder)) {
            if (!expectedEntries_.contains(entry) && !KeptBackup(entry))
                ++leftovers_[entry.mid(entry.indexOf(QLatin1Char('.')))];
        }

        // As the kill left it, read by the engine alone, with one of the two
        // passwords.
        const QString password = PasswordOf(path);
        ASSERT_FALSE(password.isEmpty()) << "opens with neither password";
        {
            TNyConnection connection;
            connection.Open(TDatabase::BuildConnectionString(DefaultConnectionTemplate(), path, password));
            ExpectSound(connection);
        }
        // Opened by the program, which puts right what a kill left behind or
        // leaves it aside: the next change goes through as on any day, and
        // afterwards nothing is left beside the database.
        TDatabase* database = TDatabase::GetInstance();
        database->SetPassword(password);
        OpenDatabaseFile(path);
        // What the program tells the user of a password change cut short
        // names the password the file has: the first run of the kills
        // started from the built-in one.
        const QString note = database->TakeRecoveryNote();
        if (!note.isEmpty())
            ++leftovers_[QStringLiteral("(told: ") + note.left(60) + QStringLiteral("...)")];
        if (fromTemplate && note == PasswordChangeUndoneText())
            EXPECT_EQ(password, TDatabase::Password());
        else if (fromTemplate && note == PasswordChangeCompletedText())
            EXPECT_EQ(password, CrashPlan::SchoolPassword());
        else
            EXPECT_TRUE(note.isEmpty() || action_ == QLatin1String("restore") || !fromTemplate) << note.toStdString();
        ExpectSound(database->Connection());
        EXPECT_EQ(database->Execute(QStringLiteral("UPDATE Application SET School = 'Scuola'")), 1);
        database->Close();
        // A backup kept beside the database, and every copy written to the
        // copies folder, is a whole database too.
        QStringList wholeCopies;
        for (const QString& entry : Entries(folder)) {
            if (KeptBackup(entry))
                wholeCopies << QDir(folder).filePath(entry);
        }
        const QDir copies(QDir(folder).filePath(CrashPlan::CopiesFolder()));
        for (const QString& entry : copies.entryList(QDir::Files | QDir::Hidden)) {
            if (entry.endsWith(QStringLiteral(".mdb")))
                wholeCopies << copies.filePath(entry);
            else
                ++leftovers_[QStringLiteral("copie/") + entry.mid(entry.lastIndexOf(QLatin1Char('.')))];
        }
        for (const QString& copy : wholeCopies) {
            SCOPED_TRACE(copy.toStdString());
            const QString copyPassword = PasswordOf(copy);
            ASSERT_FALSE(copyPassword.isEmpty()) << "a copy that opens with neither password";
            TNyConnection connection;
            connection.Open(TDatabase::BuildConnectionString(DefaultConnectionTemplate(), copy, copyPassword));
            ExpectSound(connection);
        }
        QStringList entries = Entries(folder);
        entries.removeIf([](const QString& entry) { return KeptBackup(entry); });
        EXPECT_EQ(entries.join(QLatin1Char(' ')), expectedEntries_.join(QLatin1Char(' ')))
            << "left beside the database after the program's open and a change";
    }

    // The file passes the engine's checks, and every compilation, the
    // questionnaire and the register are as one run of the action left them.
    void ExpectSound(TNyConnection& connection)
    {
        EXPECT_EQ(IntegrityProblems(connection), QStringList());
        EXPECT_EQ(Rows(connection, QStringLiteral("PRAGMA foreign_key_check")), QStringList());
        const TTables now = TTables::Read(connection);
        // Only the school's name changes: the checks after each kill write it.
        QStringList registerRows = now.registerRows;
        registerRows.replaceInStrings(QStringLiteral("Scuola"), QString());
        EXPECT_EQ(registerRows, before_.registerRows);
        if (action_ == QLatin1String("import") && now.questionnaireRows != before_.questionnaireRows)
            EXPECT_EQ(now.questionnaireRows, otherQuestionnaire_) << "a questionnaire of neither file";
        else
            EXPECT_EQ(now.questionnaireRows, before_.questionnaireRows);
        ExpectWholeCompilations(connection, now.compilations);
    }

    void ExpectWholeCompilations(TNyConnection& connection, const QStringList& compilations)
    {
        // The header fields that no action changes, and the description.
        auto header = [](const QString& row) { return row.section(QLatin1Char('|'), 1, 3); };
        auto description = [](const QString& row) { return row.section(QLatin1Char('|'), 4); };
        const QString origin = before_.compilations.isEmpty() ? QString() : before_.compilations.last();
        for (int i = 0; i < compilations.size(); ++i) {
            const QString& row = compilations[i];
            if (i < before_.compilations.size()) {
                const QString& was = before_.compilations[i];
                EXPECT_EQ(row.section(QLatin1Char('|'), 0, 3), was.section(QLatin1Char('|'), 0, 3));
                if (action_ != QLatin1String("save") || !description(was).startsWith(QStringLiteral("Salvataggio"))) {
                    EXPECT_EQ(description(row), description(was));
                }
            } else {
                EXPECT_EQ(action_, QStringLiteral("duplicate")) << "a compilation nobody added: " << row.toStdString();
                EXPECT_EQ(description(row), CrashPlan::CopyDescription());
                EXPECT_EQ(header(row), header(origin));
            }
        }
        EXPECT_GE(compilations.size(), before_.compilations.size());

        // The answers and start phases are those of the run that wrote the
        // description, all of them.
        std::map<QString, QStringList> answers, startPhases;
        for (const QString& row : Rows(connection, QStringLiteral("SELECT IDCompiledTable, IDQuestion, IDAnswer FROM "
                                                                  "CompiledTablesAnswers ORDER BY 1, 2")))
            answers[row.section(QLatin1Char('|'), 0, 0)] << row.section(QLatin1Char('|'), 1);
        for (const QString& row : Rows(connection, QStringLiteral("SELECT IDCompiledTable, IDArea, IDPhase FROM "
                                                                  "CompiledTablesStartPhase ORDER BY 1, 2")))
            startPhases[row.section(QLatin1Char('|'), 0, 0)] << row.section(QLatin1Char('|'), 1);
        for (const QString& row : compilations) {
            const QString key = row.section(QLatin1Char('|'), 0, 0);
            const int run = CrashPlan::RunOf(description(row));
            ASSERT_GE(run, 0) << row.toStdString();
            QStringList expectedAnswers, expectedPhases;
            for (const QString& id : questionIds_)
                expectedAnswers << QStringLiteral("%1|%2").arg(id).arg(CrashPlan::AnswerOf(run, id.toInt()));
            for (const QString& id : areaIds_)
                expectedPhases << QStringLiteral("%1|%2").arg(id).arg(CrashPlan::StartPhaseOf(run));
            EXPECT_EQ(answers[key], expectedAnswers) << row.toStdString();
            EXPECT_EQ(startPhases[key], expectedPhases) << row.toStdString();
            answers.erase(key);
            startPhases.erase(key);
        }
        EXPECT_TRUE(answers.empty() && startPhases.empty()) << "answers of a compilation that is gone";
    }

    void ReportLeftovers() const
    {
        QStringList seen;
        for (const auto& [suffix, count] : leftovers_)
            seen << QStringLiteral("%1 x%2").arg(suffix).arg(count);
        std::printf("[ crash    ] left beside the database by the kills: %s\n", qPrintable(seen.join(", ")));
    }

    // The backups the program keeps beside the database: compaction's, and
    // the dated ones of the restore.
    static bool KeptBackup(const QString& entry) { return entry.endsWith(QStringLiteral(".mdbbak")); }

    QString action_;
    // The kills each start from a fresh copy of the template.
    bool fromTemplate = true;
    std::unique_ptr<TestDatabase> template_;
    TTables before_;
    QStringList questionIds_, areaIds_;
    QStringList otherQuestionnaire_;
    QStringList expectedEntries_{DatabaseName, CrashPlan::QuestionFileA(), CrashPlan::QuestionFileB()};
    std::map<QString, int> leftovers_;
};

// Each write, sync, rename, link and unlink of the action, one per kill: the
// worker runs on a fresh copy of the template each time, so the n-th call of
// a kind is the same call as in the traced run that listed them.
TEST_P(Crash, KilledAtEachWriteRenameAndSync)
{
    const TCrashCase crash = GetParam();
    QTemporaryDir folder(WorkFolderTemplate());
    ASSERT_TRUE(folder.isValid());
    CopyTemplate(folder.path());
    const QString log = folder.filePath(QStringLiteral("strace.log"));
    bool killed = false;
    QString err;
    ASSERT_TRUE(RunTraced({QStringLiteral("-s"), QStringLiteral("512"), QStringLiteral("-o"), log, QStringLiteral("-e"),
                           QStringLiteral("trace=open,openat,close,%1").arg(KilledCalls.join(QLatin1Char(',')))},
                          WorkerArguments(folder.path(), crash.tracedRuns), killed, err))
        << err.toStdString();
    const std::vector<TStraceCall> calls = CallsDuringTheAction(log, folder.path());
    ASSERT_FALSE(calls.empty()) << "no call traced during the action";
    const std::vector<TStraceCall> points = KillPoints(calls, crash.extraKills);

    const QString work = folder.filePath(QStringLiteral("kill"));
    ASSERT_TRUE(QDir().mkpath(work));
    int kills = 0;
    for (const TStraceCall& point : points) {
        const QString what =
            QStringLiteral("killed at %1 #%2: %3").arg(point.name).arg(point.number).arg(point.line.left(120));
        CopyTemplate(work);
        ASSERT_TRUE(RunTraced({QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-e"),
                               QStringLiteral("trace=%1").arg(point.name), QStringLiteral("-e"),
                               QStringLiteral("inject=%1:signal=KILL:when=%2").arg(point.name).arg(point.number)},
                              WorkerArguments(work, crash.tracedRuns), killed, err))
            << what.toStdString() << err.toStdString();
        EXPECT_TRUE(killed) << "not killed: " << what.toStdString();
        if (!killed)
            continue;
        ++kills;
        CheckAfterKill(work, what);
        if (HasFatalFailure())
            return;
    }

    // Compaction: every step of its swap was one of the kill points.
    if (action_ == QLatin1String("compact")) {
        const QString at = folder.path();
        const QString steps[] = {QStringLiteral("link(\"%1/Baltero.mdb\", \"%1/Baltero.mdbbak.new\"").arg(at),
                                 QStringLiteral("rename(\"%1/Baltero.mdb.compacting\", \"%1/Baltero.mdb\"").arg(at),
                                 QStringLiteral("rename(\"%1/Baltero.mdbbak.new\", \"%1/Baltero.mdbbak\"").arg(at)};
        for (const QString& step : steps) {
            bool found = false;
            for (const TStraceCall& point : points)
                found = found || point.line.startsWith(step);
            EXPECT_TRUE(found) << "no kill at " << step.toStdString();
        }
    }
    std::printf("[ crash    ] %s: %d kills at %zu of the action's %zu calls\n", qPrintable(action_), kills,
                points.size(), calls.size());
    ReportLeftovers();
    EXPECT_GE(kills, crash.minimumKills - crash.randomKills);
}

// The worker left running, killed at a random moment of a run, again and
// again on the same file: each time it starts from what the last kill left.
TEST_P(Crash, KilledAtRandomMoments)
{
    const TCrashCase crash = GetParam();
    QTemporaryDir folder(WorkFolderTemplate());
    ASSERT_TRUE(folder.isValid());
    CopyTemplate(folder.path());
    fromTemplate = false;
    std::mt19937 random(20261012);
    qint64 runMs = 0;
    int kills = 0;
    for (int i = 0; i < crash.randomKills; ++i) {
        QProcess worker;
        PrepareWorker(worker);
        const QStringList arguments = WorkerArguments(folder.path(), 0);
        worker.start(arguments.first(), arguments.mid(1));
        ASSERT_TRUE(worker.waitForStarted());
        // The first run ends: the worker is under way.
        QByteArray err;
        QElapsedTimer clock;
        auto waitForEnd = [&](int ends) {
            while (err.count(CrashPlan::EndMark()) < ends && worker.state() == QProcess::Running) {
                worker.waitForReadyRead(50);
                err += worker.readAllStandardError();
            }
        };
        waitForEnd(1);
        if (runMs == 0) {
            // How long a run takes, measured once over a few runs.
            const int ended = err.count(CrashPlan::EndMark());
            clock.start();
            waitForEnd(ended + 3);
            runMs = std::max<qint64>(clock.elapsed() / std::max<qsizetype>(err.count(CrashPlan::EndMark()) - ended, 1), 1);
        }
        ASSERT_EQ(worker.state(), QProcess::Running) << err.toStdString();
        const int delay = std::uniform_int_distribution<int>(0, int(runMs))(random);
        QThread::msleep(delay);
        worker.kill();
        ASSERT_TRUE(worker.waitForFinished(10000));
        err += worker.readAllStandardError();
        ASSERT_EQ(worker.exitStatus(), QProcess::CrashExit) << "the worker stopped by itself: " << err.toStdString();
        ++kills;
        CheckAfterKill(folder.path(), QStringLiteral("killed %1 ms into a run").arg(delay));
        if (HasFatalFailure())
            return;
    }
    std::printf("[ crash    ] %s: %d kills at random moments, a run taking %lld ms\n", qPrintable(action_), kills,
                runMs);
    ReportLeftovers();
    EXPECT_EQ(kills, crash.randomKills);
}

INSTANTIATE_TEST_SUITE_P(Actions, Crash,
                         ::testing::Values(TCrashCase{"save", 2, 28, 12, 50}, TCrashCase{"duplicate", 1, 8, 5, 20},
                                           TCrashCase{"compact", 1, 4, 5, 20}, TCrashCase{"import", 1, 8, 5, 20},
                                           TCrashCase{"password", 1, 0, 2, 20}, TCrashCase{"backup", 1, 0, 2, 15},
                                           TCrashCase{"restore", 1, 0, 2, 20}),
                         [](const ::testing::TestParamInfo<TCrashCase>& info) {
                             return std::string(info.param.action);
                         });

} // namespace
