// The engine's one scoring, without any window: the result per area and in
// total, and the report printing the same points the editor shows.
#include "DateTime.h"
#include "NumberFormat.h"
#include "Questions.h"
#include "StoredCompilationReport.h"
#include "TestDatabase.h"
#include "TestReport.h"
#include "TestText.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

namespace {

struct Item {
    int area, phase, answer; // answer -1: none
};

struct ScoreCase {
    const char* name;
    std::vector<int> phases;
    std::vector<Item> items;
    std::vector<std::pair<int, int>> startPhases; // area, phase
    // Per area 1, 2: points as shown, unanswered, has questions.
    std::vector<std::tuple<const char*, int, bool>> areas;
    const char* total;
};

void PrintTo(const ScoreCase& c, std::ostream* out)
{
    *out << c.name;
}

const ScoreCase kCases[] = {
    {"mean without dont-know and unanswered", {1}, {{1, 1, 0}, {1, 1, 1}, {1, 1, 2}, {1, 1, 3}, {1, 1, -1}, {2, 1, 1}},
     {}, {{"0,50", 1, true}, {"0,50", 0, true}}, "1,00"},
    // Phase 1 holds no question of area 1: only phase 2 lies before the
    // start phase with questions, and counts 1.
    {"start phase after a phase without questions", {1, 2, 3, 4}, {{1, 2, 2}, {1, 3, 0}, {1, 4, 0}, {2, 1, 0}},
     {{1, 4}}, {{"3,00", 0, true}, {"1,00", 0, true}}, "4,00"},
    {"start phase beyond every phase", {1, 2, 5}, {{1, 1, -1}, {1, 5, 2}, {2, 2, 1}},
     {{1, 9}}, {{"2,00", 0, true}, {"0,50", 0, true}}, "2,50"},
    {"area without questions", {1, 2, 3}, {{1, 1, -1}}, {{2, 3}}, {{"0,00", 1, true}, {"0,00", 0, false}}, "0,00"},
};

class Scoring : public ::testing::TestWithParam<ScoreCase> {
protected:
    void SetUp() override
    {
        const ScoreCase& c = GetParam();
        db.AddArea(1, QStringLiteral("Autonomia"));
        db.AddArea(2, QStringLiteral("Linguaggio"));
        for (int phase : c.phases)
            db.AddPhase(phase, QStringLiteral("Fase %1").arg(phase));
        compilation = db.AddCompilation(db.AddChild(QStringLiteral("Anna")), db.AddTeacher(QStringLiteral("Maria")),
                                        QString());
        int order = 0;
        for (const Item& item : c.items) {
            ++order;
            const int key = db.AddQuestion(item.area, item.phase, order, QStringLiteral("Domanda %1").arg(order));
            StoreAnswer(db, compilation, key, item.answer);
        }
        for (const auto& [area, phase] : c.startPhases)
            StoreStartPhase(db, compilation, area, phase);
        q.Load();
        q.LoadAnswers(compilation);
        q.LoadStartPhases(compilation);
    }

    TestDatabase db;
    TQuestions q;
    int compilation = 0;
};

} // namespace

TEST_P(Scoring, ResultPerAreaAndInTotal)
{
    const ScoreCase& c = GetParam();
    const TScore score = q.Score();

    ASSERT_EQ(score.Areas.size(), c.areas.size());
    int unanswered = 0;
    for (size_t i = 0; i < c.areas.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "area index " << i);
        const auto& [points, areaUnanswered, hasQuestions] = c.areas[i];
        EXPECT_EQ(FormatPoints(score.Areas[i].Points), QString::fromLatin1(points));
        EXPECT_EQ(score.Areas[i].Unanswered, areaUnanswered);
        EXPECT_EQ(score.Areas[i].HasQuestions, hasQuestions);
        EXPECT_EQ(score.Areas[i].StartPhase, q.Areas[i].StartPhase);
        unanswered += areaUnanswered;
    }
    EXPECT_EQ(FormatPoints(score.Total), QString::fromLatin1(c.total));
    EXPECT_EQ(score.Unanswered, unanswered);
    EXPECT_EQ(q.UnansweredCount, unanswered);
}

// The report's area totals and its total are the scoring's, for the
// compilation in memory and for the stored one the tool exports.
TEST_P(Scoring, TheReportPrintsTheSamePoints)
{
    const ScoreCase& c = GetParam();
    QTemporaryDir dir;
    const QString fromMemory = dir.filePath(QStringLiteral("memory.html"));
    const QString fromStore = dir.filePath(QStringLiteral("stored.html"));
    QString errorText;
    ASSERT_TRUE(q.ExportReport(fromMemory, DateTimeFromQDate(QDate(2026, 10, 1)), QStringLiteral("Anna"),
                               DateTimeFromQDate(QDate(2021, 1, 2)), QStringLiteral("Maria"), QString(), errorText))
        << errorText.toStdString();
    ExportStoredCompilationReport(compilation, fromStore);

    for (const QString& path : {fromMemory, fromStore}) {
        SCOPED_TRACE(path.toStdString());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromLatin1(file.readAll());
        // The last row of each area carries its total in the last column.
        QStringList totals;
        for (const QStringList& row : ReportRows(html)) {
            if (row.size() == 8 && row.at(7) != QLatin1String(" "))
                totals << row.at(7);
        }
        QStringList expected;
        for (const auto& area : c.areas)
            expected << QString::fromLatin1(std::get<0>(area));
        EXPECT_EQ(totals, expected);
        EXPECT_TRUE(html.contains(QStringLiteral("\r\nTotale: ") + QString::fromLatin1(c.total) + QStringLiteral("\r\n")));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Scoring, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ScoreCase>& info) {
                             QString name = QString::fromLatin1(info.param.name);
                             name.replace(QLatin1Char(' '), QLatin1Char('_')).remove(QLatin1Char('-'));
                             return name.toStdString();
                         });
