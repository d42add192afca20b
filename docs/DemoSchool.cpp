#include "DemoSchool.h"

#include "AgeStartPhase.h"
#include "Database.h"
#include "DateTime.h"
#include "Questions.h"
#include "SqlText.h"

#include <QDate>
#include <functional>
#include <vector>

namespace {

struct TDemoChild {
    const char* name;
    QDate born;
    const char* info;
};

int AddRow(const QString& table, const QString& key, const std::function<void(TNyRecordset&)>& fill)
{
    auto rows = TDatabase::GetInstance()->OpenRecordset(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(table));
    rows->AddNew();
    fill(*rows);
    rows->Update();
    return rows->GetFieldAsInteger(key);
}

std::vector<TPhaseAgeRange> PhaseRanges()
{
    std::vector<TPhaseAgeRange> ranges;
    auto phases = TDatabase::GetInstance()->OpenRecordset(
        QStringLiteral("SELECT IDPhase, AgeFromMonths, AgeToMonths FROM Phases ORDER BY IDPhase"));
    for (; !phases->Eof(); phases->MoveNext()) {
        TPhaseAgeRange range;
        range.IDPhase = phases->GetFieldAsInteger(QStringLiteral("IDPhase"));
        if (!phases->GetFieldAsString(QStringLiteral("AgeFromMonths")).isEmpty())
            range.FromMonths = phases->GetFieldAsInteger(QStringLiteral("AgeFromMonths"));
        if (!phases->GetFieldAsString(QStringLiteral("AgeToMonths")).isEmpty())
            range.ToMonths = phases->GetFieldAsInteger(QStringLiteral("AgeToMonths"));
        ranges.push_back(range);
    }
    return ranges;
}

// One observation: the areas start at the phase of the child's age, as a
// new compilation proposes; the questions are answered in a pattern that
// grows with `progress` (0 to 1), the last `unanswered` ones left open.
int AddCompilation(int idChild, QDate born, int idTeacher, QDate date, const QString& description, double progress,
                   int unanswered)
{
    const int key = AddRow(QStringLiteral("CompiledTables"), QStringLiteral("IDCompiledTable"), [&](TNyRecordset& row) {
        row.SetField(QStringLiteral("IDChild"), idChild);
        row.SetField(QStringLiteral("IDTeacher"), idTeacher);
        row.SetField(QStringLiteral("DateTime"), DateTimeFromQDate(date));
        row.SetField(QStringLiteral("Description"), description);
    });
    TQuestions questions;
    questions.Load();
    const auto proposals = ProposeStartPhases(questions.Areas.size(), PhaseRanges(), AgeInMonths(born, date));
    for (std::size_t i = 0; i < questions.Areas.size(); ++i)
        questions.Areas[i].StartPhase = proposals[i].value_or(1);

    std::vector<int> active;
    for (int q = 0; q < questions.QuestionCount(); ++q)
        if (questions.IsActive(q))
            active.push_back(q);
    const int answered = static_cast<int>(active.size()) - unanswered;
    for (int i = 0; i < answered; ++i) {
        // A fixed pattern: more "Sì" as the child grows, some areas ahead
        // of others, now and then "A volte", "No" or "Non so".
        const int area = questions.AreaIndex(questions.QuestionList[active[i]].IDArea);
        const int step = (i * 7 + idChild * 3) % 10;
        const double yes = 2.5 + 6.0 * progress - 1.2 * (area % 3);
        std::uint8_t answer = AnswerYes;
        if (step >= yes + 1.5)
            answer = AnswerNo;
        else if (step >= yes)
            answer = AnswerSometimes;
        if (step == 9 && progress < 0.5)
            answer = AnswerDontKnow;
        questions.SetAnswer(active[i], answer);
    }
    questions.SaveStartPhasesAndAnswers(key);
    return key;
}

} // namespace

TDemoSchool FillDemoSchool()
{
    TDatabase* database = TDatabase::GetInstance();
    database->Execute(QStringLiteral("UPDATE Application SET School='%1'")
                          .arg(SQLQuote(QStringLiteral("Scuola dell'infanzia \"Il Girasole\""))));

    const TDemoChild children[] = {
        {"Bianchi Giulia", QDate(2021, 3, 12), "Allergica alle arachidi"},
        {"Colombo Pietro", QDate(2020, 11, 2), ""},
        {"Esposito Nicolò", QDate(2021, 7, 28), "Sezione Girasoli"},
        {"Ferrari Sofia", QDate(2022, 1, 9), ""},
        {"Ricci Matteo", QDate(2020, 5, 17), "Inserito a gennaio"},
        {"Romano Aurora", QDate(2021, 10, 4), ""},
    };
    std::vector<int> childKeys;
    for (const TDemoChild& child : children) {
        childKeys.push_back(AddRow(QStringLiteral("Children"), QStringLiteral("IDChild"), [&](TNyRecordset& row) {
            row.SetField(QStringLiteral("Name"), QString::fromUtf8(child.name));
            row.SetField(QStringLiteral("DateOfBirth"), DateTimeFromQDate(child.born));
            row.SetField(QStringLiteral("Info"), QString::fromUtf8(child.info));
        }));
    }
    std::vector<int> teacherKeys;
    for (const char* name : {"Marchetti Laura", "Greco Paola"}) {
        teacherKeys.push_back(AddRow(QStringLiteral("Teachers"), QStringLiteral("IDTeacher"), [&](TNyRecordset& row) {
            row.SetField(QStringLiteral("Name"), QString::fromUtf8(name));
            row.SetField(QStringLiteral("Info"), QStringLiteral("Sezione Girasoli"));
        }));
    }

    TDemoSchool demo;
    demo.ChildFollowed = childKeys[0];
    demo.ChildFollowedName = QString::fromUtf8(children[0].name);
    // The child followed through a school year and a half.
    const QDate born = children[0].born;
    AddCompilation(childKeys[0], born, teacherKeys[0], QDate(2023, 10, 16), QStringLiteral("Inserimento"), 0.1, 0);
    AddCompilation(childKeys[0], born, teacherKeys[0], QDate(2024, 2, 12), QStringLiteral("Osservazione di febbraio"),
                   0.4, 0);
    AddCompilation(childKeys[0], born, teacherKeys[1], QDate(2024, 6, 3), QStringLiteral("Fine anno"), 0.7, 0);
    demo.CompilationShown = AddCompilation(childKeys[0], born, teacherKeys[0], QDate(2024, 10, 21),
                                           QStringLiteral("Osservazione di ottobre"), 0.9, 4);
    AddCompilation(childKeys[1], children[1].born, teacherKeys[1], QDate(2024, 10, 14), QStringLiteral("Ottobre"),
                   0.5, 0);
    AddCompilation(childKeys[2], children[2].born, teacherKeys[0], QDate(2024, 10, 18), QStringLiteral("Ottobre"),
                   0.6, 0);
    AddCompilation(childKeys[4], children[4].born, teacherKeys[1], QDate(2024, 10, 22), QStringLiteral("Ottobre"),
                   0.8, 0);
    return demo;
}
