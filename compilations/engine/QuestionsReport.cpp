// The compilation report: an HTML page with the header data, one row per
// area and phase from the area's start phase on, and the points.
#include "AHTML.h"
#include "BuildConfig.h"
#include "Database.h"
#include "Exception.h"
#include "NumberFormat.h"
#include "Questions.h"
#include "ReportPrinting.h"

#include <charconv>
#include <functional>
#include <string>
#include <vector>

namespace {

const QString kApplicationTitle = QStringLiteral(BALTERO_APPLICATION_TITLE);
// The style classes of the results table and of its cells.
const QString kResultsTable = QStringLiteral("resultstable");
const QString kResultCell = QStringLiteral("rtd");

void LabelledCell(TAHTML& html, const QString& label, const QString& value)
{
    html.BeginCell();
    html.AddHTML(QStringLiteral("<b>"));
    html.AddText(label);
    html.AddHTML(QStringLiteral("</b>"));
    html.AddText(value);
    html.EndCell();
}

void HeaderRow(TAHTML& html, const QString& leftLabel, const QString& leftValue, const QString& rightLabel,
               const QString& rightValue)
{
    html.BeginRow();
    LabelledCell(html, leftLabel, leftValue);
    html.AddHTML(QStringLiteral("<td width=\"10%\"> </td>"));
    LabelledCell(html, rightLabel, rightValue);
    html.EndRow();
}

void ResultCell(TAHTML& html, const QString& value)
{
    html.BeginCell(kResultCell, QString());
    html.AddText(value);
    html.EndCell();
}

// Lists of numbers are plain ASCII, built as bytes and made text once.
void AppendNumber(std::string& list, int number)
{
    if (!list.empty())
        list += ", ";
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    list.append(digits, end);
}

QString ListText(const std::string& list)
{
    return QString::fromLatin1(list.data(), qsizetype(list.size()));
}

// The positions of a cell's questions (1 for its first) listed by answer.
struct TCellAnswers {
    std::string yes;
    std::string no;
    std::string sometimes;
    std::string dontKnow;
    int count = 0;
};

} // namespace

bool TQuestions::ExportReport(const QString& fileName, TDateTime observationDate, const QString& childName,
                              TDateTime childDateOfBirth, const QString& teacherName, const QString& description,
                              QString& errorText)
{
    // The report is written without the institute when its name cannot be read.
    QString school;
    try {
        auto rs = TDatabase::GetInstance()->OpenRecordset(QStringLiteral("SELECT School FROM Application"));
        school = rs->GetFieldAsString(QStringLiteral("School"));
    } catch (const Exception&) {
        school.clear();
    }

    try {
        const TScore score = Score();
        TAHTML html;
        WriteReport(html, score, observationDate, childName, childDateOfBirth, teacherName, description, school);
        html.SaveToFile(fileName);
    } catch (const Exception& e) {
        errorText = e.Message();
        return false;
    }
    return true;
}

void TQuestions::WriteReport(TAHTML& html, const TScore& score, TDateTime observationDate, const QString& childName,
                             TDateTime childDateOfBirth, const QString& teacherName, const QString& description,
                             const QString& school) const
{
    html.BeginDocument();
    html.Head(kApplicationTitle, kApplicationTitle + QStringLiteral(" - ") + QStringLiteral(BALTERO_WEB_SITE), QString(),
              0, true);

    html.BeginStyle(QString());
    for (const char* line : {".resultstable", "{", "border: 1px Black;", "border-style: solid;", "width: 100%;",
                             "border-collapse: collapse;", "}", ".rtd", "{", "border: 1px Black;",
                             "border-style: solid;", "text-align: center;", "vertical-align: middle;",
                             "padding: 1% 1% 1% 1%;", "}"})
        html.AddText(QString::fromLatin1(line));
    html.EndStyle();

    html.BeginBody();

    html.BeginTable();
    HeaderRow(html, QStringLiteral("Istituto: "), school, QStringLiteral("Educatore: "), teacherName);
    HeaderRow(html, QStringLiteral("Bambino: "), childName, QStringLiteral("Data osservazione: "),
              FormatDateTimeShort(observationDate));
    // A child registered without a date of birth reads back as day zero,
    // 30/12/1899, which is no one's birthday: the field stays empty.
    const QString dateOfBirth = childDateOfBirth == 0.0 ? QString() : FormatDateTimeShort(childDateOfBirth);
    HeaderRow(html, QStringLiteral("Data di nascita: "), dateOfBirth, QStringLiteral("Note: "), description);
    html.EndTable();
    html.LineBreak(1);

    html.BeginTable(kResultsTable, QString());
    html.BeginRow();
    for (const char* heading : {"AREA", "FASE", "SI", "NO", "A VOLTE", "NON SO", "VALORI", "TOTALE"}) {
        html.BeginHeaderCell(kResultCell, QString());
        html.AddText(QString::fromLatin1(heading));
        html.EndHeaderCell();
    }
    html.EndRow();

    // Every question sorted into its cell in one walk of the list, numbered
    // in the list's order within the cell.
    std::vector<TCellAnswers> cells(std::size_t(AreaCount()) * std::size_t(PhaseCount()));
    int idArea = 0;
    int idPhase = 0;
    int areaIndex = -1;
    int phaseIndex = -1;
    for (const TQuestion& question : QuestionList) {
        if (areaIndex < 0 || question.IDArea != idArea)
            areaIndex = AreaIndex(idArea = question.IDArea);
        if (phaseIndex < 0 || question.IDPhase != idPhase)
            phaseIndex = PhaseIndex(idPhase = question.IDPhase);
        if (areaIndex < 0 || phaseIndex < 0)
            continue;
        TCellAnswers& cell = cells[std::size_t(areaIndex) * std::size_t(PhaseCount()) + std::size_t(phaseIndex)];
        const int position = ++cell.count;
        switch (question.Answer) {
        case AnswerYes:
            AppendNumber(cell.yes, position);
            break;
        case AnswerSometimes:
            AppendNumber(cell.sometimes, position);
            break;
        case AnswerNo:
            AppendNumber(cell.no, position);
            break;
        default:
            AppendNumber(cell.dontKnow, position);
            break;
        }
    }

    for (int i = 0; i < AreaCount(); ++i) {
        // A start phase naming no loaded phase starts the area at the first one.
        const int start = std::max(PhaseIndex(Areas[i].StartPhase), 0);
        // The area's points are the editor's, phases before the start phase
        // included, though their rows are not printed.
        const double areaTotal = score.Areas[i].Points;
        for (int j = start; j < PhaseCount(); ++j) {
            const double cellValue = Phases[j].AreaPoints[i];
            const TCellAnswers& cell = cells[std::size_t(i) * std::size_t(PhaseCount()) + std::size_t(j)];
            html.BeginRow();
            ResultCell(html, QString::number(i + 1));
            ResultCell(html, QString::number(j + 1));
            ResultCell(html, ListText(cell.yes));
            ResultCell(html, ListText(cell.no));
            ResultCell(html, ListText(cell.sometimes));
            ResultCell(html, ListText(cell.dontKnow));
            ResultCell(html, FormatPoints(cellValue));
            ResultCell(html, j == PhaseCount() - 1 ? FormatPoints(areaTotal) : QStringLiteral(" "));
            html.EndRow();
        }
    }
    html.EndTable();
    html.LineBreak(1);

    html.BeginTable(0, 0, 0, 100, QStringLiteral("FFFFFF"));
    html.BeginRow();
    html.BeginCell(50, 0, 1, QStringLiteral("FFFFFF"), 1);
    html.TextStyle(true, false, false);
    html.AddText(QStringLiteral("Totale: ") + FormatPoints(score.Total));
    html.TextStyle(false, false, false);
    html.EndCell();
    html.BeginCell(50, 1, 1, QStringLiteral("FFFFFF"), 1);
    html.BeginFont(QStringLiteral("Verdana, Arial, Times"), 2, QStringLiteral("000000"));
    html.AddText(kApplicationTitle + QStringLiteral(" - "));
    html.Link(QStringLiteral(BALTERO_WEB_SITE), QStringLiteral(BALTERO_WEB_SITE_NAME));
    html.EndFont();
    html.EndCell();
    html.EndRow();
    html.EndTable();

    html.EndBody();
    html.EndDocument();
}

namespace {

// The line the writer opens an element with, as written by opening it.
QString OpeningLine(const std::function<void(TAHTML&)>& open)
{
    TAHTML html;
    open(html);
    return html.Lines().constFirst();
}

// The same line with attributes added before its closing ">".
QString WithAttributes(const QString& line, const QString& attributes)
{
    return line.left(line.size() - 1) + QLatin1Char(' ') + attributes + QLatin1Char('>');
}

} // namespace

QString PrintableReport(const QString& savedReport)
{
    // The style block: a collapsed 1 px black grid around every cell, the
    // table 100 % wide, cell contents centred both ways with 1 % of the
    // width (7 px on a page) around them. Browsers also centre the contents
    // of unstyled cells vertically, Qt puts them at the top.
    const QString table = OpeningLine([](TAHTML& html) { html.BeginTable(kResultsTable, QString()); });
    const QString printedTable = WithAttributes(
        table, QStringLiteral("border=\"1\" cellspacing=\"0\" cellpadding=\"7\" width=\"100%\" "
                              "style=\"border-collapse: collapse; border-color: black;\""));
    const QString headerCell = OpeningLine([](TAHTML& html) { html.BeginHeaderCell(kResultCell, QString()); });
    const QString cell = OpeningLine([](TAHTML& html) { html.BeginCell(kResultCell, QString()); });
    // The cells of the header table, which have no style of their own.
    const QString plainCell = OpeningLine([](TAHTML& html) { html.BeginCell(); });
    const QString centred = QStringLiteral("align=\"center\" valign=\"middle\"");

    QStringList lines = savedReport.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        const bool carriageReturn = line.endsWith(QLatin1Char('\r'));
        const QString bare = carriageReturn ? line.chopped(1) : line;
        QString printed;
        if (bare == table)
            printed = printedTable;
        else if (bare == headerCell)
            printed = WithAttributes(headerCell, centred);
        else if (bare == cell)
            printed = WithAttributes(cell, centred);
        else if (bare == plainCell)
            printed = WithAttributes(plainCell, QStringLiteral("valign=\"middle\""));
        else
            continue;
        line = carriageReturn ? printed + QLatin1Char('\r') : printed;
    }
    return lines.join(QLatin1Char('\n'));
}
