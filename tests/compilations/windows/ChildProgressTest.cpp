// A child's progress, the readable report and the school's CSV export, on a
// real database with texts that need care (";", quotes, line breaks,
// accents, other scripts): the scores agree with the editor's, the CSV reads
// back to exactly the stored rows, the export is all or nothing, and the
// PDF's text holds every question with its answer.
#include "NumberFormat.h"
#include "ProgressChart.h"
#include "ProgressTable.h"
#include "ReadableReportPdf.h"
#include "SchoolDataExport.h"
#include "StoredScores.h"
#include "UnitChildProgress.h"
#include "UnitTableEdit.h"
#include "WindowTestSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTableWidget>

namespace {

// RFC 4180 as a spreadsheet reads it: fields apart by ';', quoted fields may
// hold ';', doubled quotes and line breaks; records end with CR LF.
std::vector<QStringList> ParseCsv(const QByteArray& bytes)
{
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF")) << "no BOM";
    const QString text = QString::fromUtf8(bytes.mid(3));
    std::vector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u';') {
            row << field;
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            row << field;
            field.clear();
            rows.push_back(row);
            row.clear();
            ++i;
        } else {
            field += c;
        }
    }
    EXPECT_TRUE(field.isEmpty() && row.isEmpty()) << "the last record has no CR LF";
    return rows;
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString Comma(double value)
{
    return FormatPoints(value).replace(QLatin1Char('.'), QLatin1Char(','));
}

class ChildProgress : public ::testing::Test {
protected:
    ChildProgress()
    {
        db.AddArea(10, QStringLiteral("Motricit\u00e0"));
        db.AddArea(20, QStringLiteral("Linguaggio; \"parole\""));
        db.AddArea(30, QStringLiteral("Vuota"));
        for (int phase = 1; phase <= 3; ++phase)
            db.AddPhase(phase, QStringLiteral("Fase %1").arg(phase));
        const QStringList texts = {QStringLiteral("Salta su un piede; poi sull'altro"),
                                   QStringLiteral("Dice \"ciao\" e \"grazie\""),
                                   QStringLiteral("Disegna\nun cerchio"),
                                   QStringLiteral("Si \u00e8 vestito da s\u00e9"),
                                   QStringLiteral("Conta in giapponese \u65e5\u672c\u8a9e"),
                                   QStringLiteral("\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac lettere"),
                                   QStringLiteral("Nomina i colori"),
                                   QStringLiteral("Racconta una storia")};
        const int cells[][3] = {{10, 1, 2}, {10, 2, 1}, {10, 3, 1}, {20, 1, 1}, {20, 2, 2}, {20, 3, 1}};
        int t = 0;
        for (const auto& cell : cells)
            for (int order = 1; order <= cell[2]; ++order)
                keys << db.AddQuestion(cell[0], cell[1], order, texts[t++]);
        anna = db.AddChild(QStringLiteral("Anna; la \"piccola\""));
        db.Db().Execute(QStringLiteral("UPDATE Children SET DateOfBirth='2022-05-31 00:00:00', Info='riga 1\nriga 2' "
                                       "WHERE IDChild=%1").arg(anna));
        bruno = db.AddChild(QStringLiteral("Bruno"));
        db.Db().Execute(QStringLiteral("UPDATE Children SET DateOfBirth=NULL WHERE IDChild=%1").arg(bruno));
        carla = db.AddTeacher(QStringLiteral("Carla Rossi"));
    }

    // A compilation of the child on the date, with an answer per question
    // (-2 leaves the question without a stored row) and start phases.
    int Compilation(int child, const char* date, const std::vector<int>& answers,
                    const std::vector<std::pair<int, int>>& startPhases = {})
    {
        const int key = db.AddCompilation(child, carla, QStringLiteral("Osservazione; \"prima\"\ndi giugno"));
        db.Db().Execute(QStringLiteral("UPDATE CompiledTables SET DateTime='%1' WHERE IDCompiledTable=%2")
                            .arg(QLatin1String(date))
                            .arg(key));
        for (int i = 0; i < keys.size(); ++i)
            if (answers[i] != -2)
                StoreAnswer(db, key, keys[i], answers[i]);
        for (const auto& [area, phase] : startPhases)
            StoreStartPhase(db, key, area, phase);
        return key;
    }

    // Three compilations of Anna, stored out of date order, and one of Bruno.
    void ThreeCompilations()
    {
        march = Compilation(anna, "2025-03-10 00:00:00", {0, 0, 1, 2, 0, 1, 3, -1}, {{10, 1}, {20, 2}});
        january = Compilation(anna, "2025-01-15 00:00:00", {2, 1, 2, 2, -1, 3, 2, -2});
        june = Compilation(anna, "2025-06-30 09:15:00", {0, 0, 0, 1, 0, 0, 0, 0}, {{10, 2}});
        Compilation(bruno, "2025-02-01 00:00:00", {0, 0, 0, 0, 0, 0, 0, 0});
    }

    // The editor's score of a stored compilation, opened as the list opens it.
    TScore EditorScore(int key)
    {
        auto list = db.Db().OpenRecordset(CompilationsListSql());
        for (int position = 1; position <= list->RecordCount(); ++position) {
            list->SetAbsolutePosition(position);
            if (list->GetFieldAsInteger(QStringLiteral("IDCompiledTable")) == key)
                break;
        }
        TFormTableEdit editor(nullptr, *list, true);
        return editor.Questionnaire().Score();
    }

    TestDatabase db;
    ScriptedDialogs dialogs;
    QList<int> keys;
    int anna = 0, bruno = 0, carla = 0;
    int january = 0, march = 0, june = 0;
};

TEST_F(ChildProgress, TableHoldsTheEditorsScoresInDateOrder)
{
    ThreeCompilations();
    TFormChildProgress window(nullptr, anna);
    const TChildProgress& progress = window.Progress();
    ASSERT_EQ(progress.Compilations.size(), 3u);
    const int order[] = {january, march, june};
    QTableWidget* table = window.Table();
    ASSERT_EQ(table->rowCount(), 3);
    // Date, age, educator, description, Motricità, Linguaggio, total: the
    // area without questions has no column.
    ASSERT_EQ(table->columnCount(), 7);
    EXPECT_EQ(table->horizontalHeaderItem(4)->text(), QStringLiteral("Motricit\u00e0"));
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        const TCompilationResult& result = progress.Compilations[row];
        EXPECT_EQ(result.Header.IDCompiledTable, order[row]);
        const TScore editor = EditorScore(order[row]);
        ASSERT_EQ(result.Score.Areas.size(), editor.Areas.size());
        for (std::size_t a = 0; a < editor.Areas.size(); ++a)
            EXPECT_EQ(result.Score.Areas[a].Points, editor.Areas[a].Points) << a;
        EXPECT_EQ(result.Score.Total, editor.Total);
        EXPECT_EQ(result.Score.Unanswered, editor.Unanswered);
        EXPECT_TRUE(table->item(row, 4)->text().startsWith(FormatPoints(editor.Areas[0].Points)));
        EXPECT_TRUE(table->item(row, 6)->text().startsWith(FormatPoints(editor.Total)));
    }
    // Born 31 May 2022: 2 years 7 months on 15 January 2025, 3 years on 30 June 2025
    // (June has no 31st).
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("2 a 7 m"));
    EXPECT_EQ(table->item(2, 1)->text(), QStringLiteral("3 a 1 m"));
    EXPECT_EQ(table->item(0, 3)->text(), QStringLiteral("Osservazione; \"prima\""));
    // The first row has nothing to compare with; later rows show the change.
    EXPECT_EQ(table->item(0, 4)->text(), FormatPoints(progress.Compilations[0].Score.Areas[0].Points));
    const double change = progress.Compilations[1].Score.Total - progress.Compilations[0].Score.Total;
    EXPECT_EQ(table->item(1, 6)->text(), FormatPoints(progress.Compilations[1].Score.Total) + QStringLiteral("  ")
                                            + DifferenceText(change));
}

TEST(ProgressTexts, AgesAndDifferencesReadWithoutColour)
{
    const struct {
        double difference;
        const char* text;
    } cases[] = {{0.5, "\u25B2 +0,50"}, {-0.25, "\u25BC \u22120,25"}, {0.004, "="}, {-0.004, "="}, {0.0, "="}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.difference);
        EXPECT_EQ(DifferenceText(c.difference), QString::fromUtf8(c.text));
    }
    const TDateTime birth = DateTimeFromQDate(QDate(2020, 1, 31));
    EXPECT_EQ(AgeText(AgeInMonths(birth, DateTimeFromQDate(QDate(2023, 5, 30)))), QStringLiteral("3 a 3 m"));
    EXPECT_EQ(AgeText(AgeInMonths(birth, DateTimeFromQDate(QDate(2020, 2, 29)))), QStringLiteral("0 a 1 m"));
    EXPECT_EQ(AgeInMonths(birth, DateTimeFromQDate(QDate(2019, 12, 1))), -1);
    EXPECT_EQ(AgeInMonths(0.0, DateTimeFromQDate(QDate(2023, 1, 1))), -1);
}

TEST_F(ChildProgress, WindowSaysWhenThereAreNoCompilations)
{
    TFormChildProgress window(nullptr, bruno);
    window.show();
    EXPECT_TRUE(window.findChild<QLabel*>(QStringLiteral("LabelNoCompilations"))->isVisible());
    EXPECT_FALSE(window.Table()->isVisible());
    EXPECT_FALSE(window.ChartView()->isVisible());
}

TEST_F(ChildProgress, WithoutTheChartModuleTheWindowSaysWhyAndKeepsTheTable)
{
    ThreeCompilations();
    QTemporaryDir folder;
    const QString damaged = folder.filePath(QStringLiteral("baltero-chart.so"));
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    const QString missing = folder.filePath(QStringLiteral("missing/baltero-chart.so"));

    const QByteArray ownModule = qgetenv(kChartModuleVariable);
    const struct {
        QString moduleFile;
        QString message; // empty: the chart is drawn
    } cases[] = {
        {missing, QStringLiteral("Il grafico non si pu\u00f2 mostrare: manca il modulo dei grafici (") + missing},
        {damaged, QStringLiteral("Il grafico non si pu\u00f2 mostrare: il modulo dei grafici non si carica (")},
        {QString::fromLocal8Bit(ownModule), QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.moduleFile.toStdString());
        qputenv(kChartModuleVariable, c.moduleFile.toLocal8Bit());
        TFormChildProgress window(nullptr, anna);
        window.show();
        EXPECT_EQ(window.Table()->rowCount(), 3);
        EXPECT_TRUE(window.ChartView()->isVisible());
        auto* label = qobject_cast<QLabel*>(window.ChartView());
        if (c.message.isEmpty()) {
            EXPECT_EQ(label, nullptr);
            EXPECT_FALSE(window.ChartImage().isNull());
        } else {
            ASSERT_NE(label, nullptr);
            EXPECT_TRUE(label->text().startsWith(c.message)) << qPrintable(label->text());
            EXPECT_TRUE(label->text().endsWith(QStringLiteral("Reinstallare Baltero."))) << qPrintable(label->text());
            // The PDF goes without the chart.
            EXPECT_TRUE(window.ChartImage().isNull());
        }
    }
    qputenv(kChartModuleVariable, ownModule);
}

TEST_F(ChildProgress, CsvReadsBackToTheStoredRowsAndTheEditorsScores)
{
    ThreeCompilations();
    QTemporaryDir folder;
    ExportSchoolData(folder.path());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({QStringLiteral("bambini.csv"),
              QStringLiteral("compilazioni.csv"), QStringLiteral("educatori.csv"), QStringLiteral("risposte.csv")}));

    const auto children = ParseCsv(Read(folder.filePath(QStringLiteral("bambini.csv"))));
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(children[1], QStringList({QString::number(anna), QStringLiteral("Anna; la \"piccola\""),
                                        QStringLiteral("31/05/2022"), QStringLiteral("riga 1\nriga 2")}));
    EXPECT_EQ(children[2], QStringList({QString::number(bruno), QStringLiteral("Bruno"), QString(), QString()}));

    const auto compilations = ParseCsv(Read(folder.filePath(QStringLiteral("compilazioni.csv"))));
    ASSERT_EQ(compilations.size(), 5u);
    EXPECT_EQ(compilations[0].mid(8), QStringList({QStringLiteral("Motricit\u00e0"),
                                                   QStringLiteral("Linguaggio; \"parole\""), QStringLiteral("Vuota"),
                                                   QStringLiteral("totale"), QStringLiteral("senza risposta")}));
    for (std::size_t r = 1; r < compilations.size(); ++r) {
        const QStringList& row = compilations[r];
        SCOPED_TRACE(row.join(QLatin1Char('|')).toStdString());
        ASSERT_EQ(row.size(), 13);
        const TScore editor = EditorScore(row[0].toInt());
        for (int a = 0; a < 3; ++a)
            EXPECT_EQ(row[8 + a], Comma(editor.Areas[a].Points));
        EXPECT_EQ(row[11], Comma(editor.Total));
        EXPECT_EQ(row[12], QString::number(editor.Unanswered));
        EXPECT_EQ(row[7], QStringLiteral("Osservazione; \"prima\"\ndi giugno"));
    }
    EXPECT_EQ(compilations[3][1], QStringLiteral("30/06/2025 09:15:00"));
    EXPECT_EQ(compilations[3][4], QStringLiteral("37"));

    // Every stored answer row, and nothing else, with its question's texts.
    QStringList stored = db.Rows(QStringLiteral(
        "SELECT A.IDCompiledTable, R.Description, P.Description, Q.QuestionOrder, Q.QuestionText, "
        "CASE A.IDAnswer WHEN 0 THEN 'S\u00ec' WHEN 1 THEN 'A volte' WHEN 2 THEN 'No' WHEN 3 THEN 'Non so' "
        "ELSE '' END FROM CompiledTablesAnswers A JOIN Questions Q ON Q.IDQuestion = A.IDQuestion JOIN Areas R "
        "ON R.IDArea = Q.IDArea JOIN Phases P ON P.IDPhase = Q.IDPhase ORDER BY A.IDCompiledTable, Q.IDArea, "
        "Q.IDPhase, Q.QuestionOrder"));
    const auto answers = ParseCsv(Read(folder.filePath(QStringLiteral("risposte.csv"))));
    QStringList read;
    for (std::size_t r = 1; r < answers.size(); ++r)
        read << answers[r].join(QLatin1Char('|'));
    EXPECT_EQ(read, stored);
    EXPECT_EQ(answers[0].size(), 6);
}

// A failing write leaves the files that were in the folder exactly as they
// were, and no part of the new set.
TEST_F(ChildProgress, CsvExportIsAllOrNothing)
{
    ThreeCompilations();
    const struct {
        const char* name;
        std::function<void(const QDir&)> spoil;
    } cases[] = {
        {"a folder in the way of the last file",
         [](const QDir& dir) { ASSERT_TRUE(dir.mkdir(QStringLiteral("risposte.csv"))); }},
        {"a folder in the way of the first file",
         [](const QDir& dir) { ASSERT_TRUE(dir.mkdir(QStringLiteral("bambini.csv"))); }},
        {"a database that cannot be read",
         [this](const QDir&) { db.Db().Execute(QStringLiteral("DROP TABLE CompiledTablesStartPhase")); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        const QDir dir(folder.path());
        for (const QString& name : {QStringLiteral("compilazioni.csv"), QStringLiteral("educatori.csv")}) {
            QFile old(dir.filePath(name));
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("old " + name.toUtf8());
        }
        c.spoil(dir);
        const QStringList before = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        EXPECT_THROW(ExportSchoolData(folder.path()), Exception);
        EXPECT_EQ(dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
        EXPECT_EQ(Read(dir.filePath(QStringLiteral("compilazioni.csv"))), QByteArray("old compilazioni.csv"));
        EXPECT_EQ(Read(dir.filePath(QStringLiteral("educatori.csv"))), QByteArray("old educatori.csv"));
    }
}

TEST_F(ChildProgress, ReportPdfTextHoldsEveryQuestionWithItsAnswerAndTheAreaPoints)
{
    ThreeCompilations();
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("relazione.pdf"));
    ExportReadableReport(march, pdf);
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(pdftotext.waitForFinished(60000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    // One blank between words, whatever the layout put there.
    QString words = text;
    words.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));

    const TReadableReport report = LoadReadableReport(march);
    EXPECT_TRUE(words.contains(QStringLiteral("Anna; la \"piccola\"")));
    EXPECT_TRUE(text.contains(QStringLiteral("Pagina 1 di ")));
    EXPECT_TRUE(words.contains(QStringLiteral("2 a 9 m")));
    ASSERT_EQ(report.Areas.size(), 2u);
    for (const TReportArea& area : report.Areas) {
        SCOPED_TRACE(area.Name.toStdString());
        EXPECT_TRUE(words.contains(QStringLiteral("%1 su %2").arg(FormatPoints(area.Points)).arg(area.MostPoints)));
        for (const TReportPhase& phase : area.Phases)
            for (const TReportQuestion& question : phase.Questions) {
                // The question's first line, then its answer on the same line.
                const QString last = question.Text.section(QLatin1Char('\n'), 0, 0);
                const QString answer = phase.Achieved ? QStringLiteral("raggiunta") : question.Answer;
                EXPECT_TRUE(text.contains(QRegularExpression(QRegularExpression::escape(last) + QStringLiteral(" +")
                                                             + QRegularExpression::escape(answer))))
                    << last.toStdString() << " / " << answer.toStdString();
            }
    }
    // Area 20 starts at phase 2: its phase-1 question counts as achieved.
    EXPECT_TRUE(report.Areas[1].Phases[0].Achieved);
    EXPECT_TRUE(words.contains(QStringLiteral("considerate raggiunte")));
    // The previous compilation (January) is shown beside this one.
    EXPECT_TRUE(words.contains(QStringLiteral("compilazione precedente, del 15/01/2025")));
}

} // namespace

