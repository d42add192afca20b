// Reading back a compilation report the tests wrote.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The cells of the report's results table, row by row (header row excluded).
inline std::vector<QStringList> ReportRows(const QString& html)
{
    const QStringList lines = html.split(QStringLiteral("\r\n"));
    std::vector<QStringList> rows;
    QStringList row;
    bool inResults = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i] == QLatin1String("<table class=\"resultstable\">"))
            inResults = true;
        else if (inResults && lines[i] == QLatin1String("</table>"))
            break;
        else if (inResults && lines[i] == QLatin1String("<td class=\"rtd\">") && i + 1 < lines.size())
            row << lines[i + 1];
        else if (inResults && lines[i] == QLatin1String("</tr>") && !row.isEmpty()) {
            rows.push_back(row);
            row.clear();
        }
    }
    return rows;
}
