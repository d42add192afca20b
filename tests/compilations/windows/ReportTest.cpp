// The compilation report, compared byte for byte with a document written by
// hand, and the report of a stored compilation.
#include "EditorWidgets.h"

#include "DateTime.h"
#include "Exception.h"
#include "SqlText.h"
#include "StoredCompilationReport.h"
#include "TestReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <vector>

namespace {

const QString kChild = QStringLiteral("Niccol\u00f2 Gio\u00e8");
const QString kTeacher = QStringLiteral("Maria Rossi");
const QString kDescription = QStringLiteral("Note <prima> & dopo  fine");

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable: ") + path.toUtf8() + '>';
    return file.readAll();
}

// The cells of the results table of the report file, row by row.
std::vector<QStringList> ResultRows(const QString& path)
{
    return ReportRows(QString::fromLatin1(ReadAll(path)));
}

// Three areas (10, 20, 30) and four phases numbered 1, 2, 5 and 7, so that
// positions and numbers differ; area 20 starts at phase 5. Every answer code
// appears, unanswered questions both with a stored -1 and without a row.
class Report : public ::testing::Test {
protected:
    Report()
    {
        db.Db().Execute(QStringLiteral("UPDATE Application SET School='%1'")
                            .arg(SQLQuote(QStringLiteral("Scuola dell'Infanzia \"Girasole\""))));
        db.AddPhase(7, QStringLiteral("Settima"));
        db.AddPhase(1, QStringLiteral("Prima"));
        db.AddPhase(5, QStringLiteral("Quinta"));
        db.AddPhase(2, QStringLiteral("Seconda"));
        db.AddArea(30, QStringLiteral("Motricit\u00e0"));
        db.AddArea(10, QStringLiteral("Autonomia"));
        db.AddArea(20, QStringLiteral("Linguaggio"));
        compilation = db.AddCompilation(db.AddChild(kChild), db.AddTeacher(kTeacher), kDescription);
        db.Db().Execute(QStringLiteral("UPDATE CompiledTables SET DateTime='2026-10-01 09:05:07' "
                                       "WHERE IDCompiledTable=%1")
                            .arg(compilation));

        struct Row {
            int area, phase, order, answer; // answer -2: no row stored
        };
        const Row rows[] = {
            {10, 1, 1, 0}, {10, 1, 2, 2}, {10, 1, 3, 0}, {10, 1, 4, -1}, //
            {10, 2, 1, 1}, {10, 2, 2, 3},                                //
            {10, 7, 9, 1}, {10, 7, 5, 2},                                // stored out of order
            {20, 1, 1, 2}, {20, 2, 1, -2},                               // before the start phase
            {20, 5, 1, 0}, {20, 5, 2, 1}, {20, 5, 3, 1},                 //
            {20, 7, 1, 3}, {20, 7, 2, -1},                               //
            {30, 2, 1, 0}, {30, 2, 2, 1}, {30, 2, 3, 2}, {30, 2, 4, 3},  //
            {30, 7, 1, 0},
        };
        for (const Row& row : rows) {
            const int key = db.AddQuestion(row.area, row.phase, row.order,
                                           QStringLiteral("Domanda %1-%2-%3").arg(row.area).arg(row.phase).arg(row.order));
            if (row.answer != -2)
                StoreAnswer(db, compilation, key, row.answer);
        }
        StoreStartPhase(db, compilation, 20, 5);
        StoreStartPhase(db, compilation, 30, 1);
    }

    // What the editor has done by the time the user exports.
    void OpenInEditor()
    {
        q.Load();
        q.LoadAnswers(compilation);
        q.LoadStartPhases(compilation);
        w.View().FillQuestionList(q);
        w.View().FillAreaList(q);
        w.View().Score(q);
    }

    bool Export(const QString& fileName, QString& errorText)
    {
        return q.ExportReport(fileName, DateTimeFromQDateTime(QDateTime(QDate(2026, 10, 1), QTime(9, 5, 7))), kChild,
                              DateTimeFromQDate(QDate(2020, 3, 4)), kTeacher, kDescription, errorText);
    }

    TestDatabase db;
    TQuestions q;
    EditorWidgets w;
    QTemporaryDir dir;
    int compilation = 0;
};

} // namespace

TEST_F(Report, ExportWritesTheExpectedDocumentOverAnOldFile)
{
    const QByteArray expected = ReadAll(QStringLiteral(BALTERO_EXPECTED_REPORT));
    ASSERT_TRUE(expected.endsWith("</html>\r\n\r\n")) << "the expected file lost its CR LF line ends";
    const QString fileName = dir.filePath(QStringLiteral("report.html"));
    {
        QFile old(fileName);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(expected.size() * 2, 'x'));
    }
    OpenInEditor();
    // The report's area totals are the points the editor shows.
    ASSERT_EQ(w.AreaRow(0).mid(1, 2), QStringList({QStringLiteral("1,42"), QStringLiteral("1")}));
    ASSERT_EQ(w.AreaRow(1).mid(1, 2), QStringList({QStringLiteral("2,67"), QStringLiteral("1")}));
    ASSERT_EQ(w.AreaRow(2).mid(1, 2), QStringList({QStringLiteral("1,50"), QStringLiteral("0")}));
    ASSERT_EQ(w.total.text(), QStringLiteral("5,58"));

    QString errorText;
    ASSERT_TRUE(Export(fileName, errorText)) << errorText.toStdString();

    EXPECT_TRUE(errorText.isEmpty());
    EXPECT_EQ(ReadAll(fileName), expected);
}

TEST_F(Report, AStoredCompilationGivesTheSameDocument)
{
    const QString fromEditor = dir.filePath(QStringLiteral("editor.html"));
    const QString fromStore = dir.filePath(QStringLiteral("stored.html"));
    OpenInEditor();
    QString errorText;
    ASSERT_TRUE(Export(fromEditor, errorText)) << errorText.toStdString();

    ExportStoredCompilationReport(compilation, fromStore);

    EXPECT_EQ(ReadAll(fromStore), ReadAll(fromEditor));
    EXPECT_EQ(ReadAll(fromStore), ReadAll(QStringLiteral(BALTERO_EXPECTED_REPORT)));
}

TEST_F(Report, AnUnknownStoredCompilationRaisesAndWritesNothing)
{
    const QString fileName = dir.filePath(QStringLiteral("none.html"));

    EXPECT_THROW(ExportStoredCompilationReport(compilation + 1, fileName), Exception);

    EXPECT_FALSE(QFileInfo::exists(fileName));
}

TEST_F(Report, AFileThatCannotBeCreatedFailsWithAMessageAndWritesNothing)
{
    const QString folder = dir.filePath(QStringLiteral("missing"));
    const QString fileName = folder + QStringLiteral("/report.html");
    OpenInEditor();

    QString errorText;
    EXPECT_FALSE(Export(fileName, errorText));

    EXPECT_FALSE(errorText.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(fileName));
    EXPECT_FALSE(QFileInfo::exists(folder));
    // The stored compilation's report fails the same way.
    EXPECT_THROW(ExportStoredCompilationReport(compilation, fileName), Exception);
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST_F(Report, AnUnreadableInstituteLeavesItEmpty)
{
    OpenInEditor();
    for (const char* sql : {"DELETE FROM Application", "DROP TABLE Application"}) {
        SCOPED_TRACE(sql);
        db.Db().Execute(QString::fromLatin1(sql));
        const QString fileName = dir.filePath(QStringLiteral("report.html"));

        QString errorText;
        ASSERT_TRUE(Export(fileName, errorText)) << errorText.toStdString();

        const QStringList lines = QString::fromLatin1(ReadAll(fileName)).split(QStringLiteral("\r\n"));
        const qsizetype label = lines.indexOf(QStringLiteral("Istituto: "));
        ASSERT_GE(label, 0);
        EXPECT_EQ(lines.mid(label, 4), QStringList({QStringLiteral("Istituto: "), QStringLiteral("</b>"), QString(),
                                                    QStringLiteral("</td>")}));
        EXPECT_EQ(ResultRows(fileName).size(), 10u);
    }
}

TEST_F(Report, AStartPhaseNamingNoLoadedPhaseStartsTheAreaAtTheFirstPhase)
{
    const QString fileName = dir.filePath(QStringLiteral("report.html"));
    OpenInEditor();
    // Phase 3 does not exist: phases 1 and 2 lie before it and count 1.0.
    q.Areas[1].StartPhase = 3;
    q.Areas[2].StartPhase = 9; // beyond every phase
    w.View().Score(q);

    QString errorText;
    ASSERT_TRUE(Export(fileName, errorText)) << errorText.toStdString();

    const std::vector<QStringList> rows = ResultRows(fileName);
    ASSERT_EQ(rows.size(), 12u);
    const QString space = QStringLiteral(" ");
    const QStringList expected[] = {
        {"2", "1", "", "1", "", "", "1,00", space},
        {"2", "2", "", "", "", "1", "1,00", space},
        {"2", "3", "1", "", "2, 3", "", "0,67", space},
        {"2", "4", "", "", "", "1, 2", "0,00", "2,67"},
        // Phases without questions of the area keep their 0.
        {"3", "1", "", "", "", "", "0,00", space},
        {"3", "2", "1", "3", "2", "4", "1,00", space},
        {"3", "3", "", "", "", "", "0,00", space},
        {"3", "4", "1", "", "", "", "1,00", "2,00"},
    };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(rows[4 + i], expected[i]) << "row " << 4 + i;

    const QStringList lines = QString::fromLatin1(ReadAll(fileName)).split(QStringLiteral("\r\n"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Totale: 6,08")));
}

TEST_F(Report, AChildWithoutADateOfBirthGetsAnEmptyField)
{
    db.Db().Execute(QStringLiteral("UPDATE Children SET DateOfBirth=NULL"));
    OpenInEditor();
    const QString fromEditor = dir.filePath(QStringLiteral("editor.html"));
    const QString fromStore = dir.filePath(QStringLiteral("stored.html"));
    QString errorText;
    // The editor reads the missing date as day zero, as the recordset gives it.
    ASSERT_TRUE(q.ExportReport(fromEditor, DateTimeFromQDate(QDate(2026, 10, 1)), kChild, 0.0, kTeacher, kDescription,
                               errorText))
        << errorText.toStdString();
    ExportStoredCompilationReport(compilation, fromStore);

    for (const QString& fileName : {fromEditor, fromStore}) {
        SCOPED_TRACE(fileName.toStdString());
        const QStringList lines = QString::fromLatin1(ReadAll(fileName)).split(QStringLiteral("\r\n"));
        const qsizetype label = lines.indexOf(QStringLiteral("Data di nascita: "));
        ASSERT_GE(label, 0);
        EXPECT_EQ(lines.mid(label, 4), QStringList({QStringLiteral("Data di nascita: "), QStringLiteral("</b>"),
                                                    QString(), QStringLiteral("</td>")}));
    }
}
