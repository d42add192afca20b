#include "ProgressTable.h"

#include "NumberFormat.h"

namespace {

TProgressCell PointsCell(double points, const double* previous)
{
    TProgressCell cell{FormatPoints(points), 0};
    if (previous) {
        cell.Direction = DifferenceDirection(points - *previous);
        cell.Text += QStringLiteral("  ") + DifferenceText(points - *previous);
    }
    return cell;
}

} // namespace

TProgressTable MakeProgressTable(const TChildProgress& progress)
{
    TProgressTable table;
    table.Headers << QStringLiteral("Data") << QStringLiteral("Et\u00e0") << QStringLiteral("Educatore")
                  << QStringLiteral("Descrizione");
    for (int a = 0; a < progress.AreaNames.size(); ++a) {
        if (a < static_cast<int>(progress.AreaHasQuestions.size()) && progress.AreaHasQuestions[a]) {
            table.Areas.push_back(a);
            table.Headers << progress.AreaNames[a];
        }
    }
    table.Headers << QStringLiteral("Totale");

    const TCompilationResult* previous = nullptr;
    for (const TCompilationResult& compilation : progress.Compilations) {
        std::vector<TProgressCell> row;
        row.push_back({FormatShortDate(compilation.Header.Date), 0});
        row.push_back({AgeText(compilation.AgeMonths), 0});
        row.push_back({compilation.Header.TeacherName, 0});
        // One line in the table: the rest of a long description is in the editor.
        row.push_back({compilation.Header.Description.section(QLatin1Char('\n'), 0, 0).trimmed(), 0});
        for (int a : table.Areas) {
            const double points = a < static_cast<int>(compilation.Score.Areas.size()) ? compilation.Score.Areas[a].Points : 0.0;
            double before = 0.0;
            if (previous && a < static_cast<int>(previous->Score.Areas.size()))
                before = previous->Score.Areas[a].Points;
            row.push_back(PointsCell(points, previous ? &before : nullptr));
        }
        row.push_back(PointsCell(compilation.Score.Total, previous ? &previous->Score.Total : nullptr));
        table.Rows.push_back(std::move(row));
        previous = &compilation;
    }
    return table;
}
