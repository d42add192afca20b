#include "ProgressPdf.h"

#include "PagedPdf.h"
#include "ProgressTable.h"

#include <QTextDocument>
#include <QUrl>

QByteArray ProgressPdf(const TChildProgress& progress, const QString& school, const QImage& chart)
{
    QTextDocument document;
    QFont font = document.defaultFont();
    font.setPointSizeF(9);
    document.setDefaultFont(font);
    document.setDocumentMargin(0);

    const QString title = QStringLiteral("Andamento del bambino");
    QString html = QStringLiteral("<h1 style=\"font-size: 16pt;\">%1: %2</h1>").arg(title, HtmlText(progress.ChildName));
    if (progress.DateOfBirth != 0.0)
        html += QStringLiteral("<p>Data di nascita: %1</p>").arg(FormatShortDate(progress.DateOfBirth));
    const TProgressTable table = MakeProgressTable(progress);
    if (table.Rows.empty()) {
        html += QStringLiteral("<p>Il bambino non ha ancora compilazioni.</p>");
    } else {
        if (!chart.isNull()) {
            document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("chart:progress")), chart);
            // The width of the page's text; the height keeps the picture's shape.
            const int width = 950;
            html += QStringLiteral("<p align=\"center\"><img src=\"chart:progress\" width=\"%1\" height=\"%2\"></p>")
                        .arg(width)
                        .arg(width * chart.height() / std::max(chart.width(), 1));
        }
        html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\" "
                               "style=\"border-collapse: collapse; border-color: #888888;\"><tr>");
        for (const QString& heading : table.Headers)
            html += QStringLiteral("<th bgcolor=\"#e8e8e8\">%1</th>").arg(HtmlText(heading));
        html += QStringLiteral("</tr>");
        for (const auto& row : table.Rows) {
            html += QStringLiteral("<tr>");
            for (std::size_t c = 0; c < row.size(); ++c) {
                const char* colour = row[c].Direction > 0 ? "#1b7a1b" : row[c].Direction < 0 ? "#b01c1c" : "#000000";
                const bool number = static_cast<int>(c) >= table.FirstPointsColumn;
                html += QStringLiteral("<td align=\"%1\"><font color=\"%2\">%3</font></td>")
                            .arg(QLatin1String(number ? "right" : "left"), QLatin1String(colour), HtmlText(row[c].Text));
            }
            html += QStringLiteral("</tr>");
        }
        html += QStringLiteral("</table>");
    }
    document.setHtml(html);
    return PagedPdf(document, title + QStringLiteral(" - ") + progress.ChildName, school, QPageLayout::Landscape);
}
