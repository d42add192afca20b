#include "ReadableReportPdf.h"

#include "NumberFormat.h"
#include "PagedPdf.h"

#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTextDocument>
#include <QUrl>

namespace {

const QString kTitle = QStringLiteral("Relazione");

// The bar of an area's points against the most it could reach.
QImage PointsBar(double points, int most)
{
    QImage image(400, 36, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const double share = most > 0 ? std::clamp(points / most, 0.0, 1.0) : 0.0;
    painter.fillRect(QRectF(0, 0, 400 * share, 36), QColor(0x3a, 0x7b, 0xc8));
    painter.setPen(QPen(QColor(0x55, 0x55, 0x55), 2));
    painter.drawRect(QRectF(1, 1, 398, 34));
    return image;
}

QString Row(const QString& label, const QString& value)
{
    return QStringLiteral("<tr><td width=\"32%\"><b>%1</b></td><td width=\"68%\">%2</td></tr>").arg(label, value);
}

QString Cell(const QString& text, const char* align = "center")
{
    return QStringLiteral("<td align=\"%1\">%2</td>").arg(QLatin1String(align), text);
}

// Points "1,50 su 3" on one line.
QString PointsCell(const QString& text)
{
    return QStringLiteral("<td align=\"center\" style=\"white-space: nowrap;\">%1</td>").arg(text);
}

QString HeaderCell(const QString& text, int width)
{
    return QStringLiteral("<th bgcolor=\"#e8e8e8\" width=\"%1%\">%2</th>").arg(width).arg(text);
}

QString Difference(double now, double before)
{
    return HtmlText(DifferenceText(now - before));
}

} // namespace

QByteArray ReadableReportPdf(const TReadableReport& report)
{
    QTextDocument document;
    QFont font = document.defaultFont();
    font.setPointSizeF(10);
    document.setDefaultFont(font);
    document.setDocumentMargin(0);

    const TCompilationHeader& h = report.Header;
    QString html;
    html += QStringLiteral("<h1 style=\"font-size: 18pt;\">%1</h1>").arg(kTitle);
    html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">");
    html += Row(QStringLiteral("Bambino:"), HtmlText(h.ChildName));
    html += Row(QStringLiteral("Data di nascita:"), h.DateOfBirth == 0.0 ? QString() : FormatShortDate(h.DateOfBirth));
    html += Row(QStringLiteral("Et\u00e0 all'osservazione:"),
                report.AgeMonths < 0 ? QString()
                                     : QStringLiteral("%1 (%2 anni e %3 mesi)")
                                           .arg(AgeText(report.AgeMonths))
                                           .arg(report.AgeMonths / 12)
                                           .arg(report.AgeMonths % 12));
    html += Row(QStringLiteral("Educatore:"), HtmlText(h.TeacherName));
    html += Row(QStringLiteral("Data dell'osservazione:"), FormatShortDate(h.Date));
    html += Row(QStringLiteral("Descrizione:"), HtmlText(h.Description));
    html += QStringLiteral("</table>");

    // The results of every area.
    html += QStringLiteral("<h2 style=\"font-size: 13pt;\">Risultati per area</h2>");
    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" width=\"100%\" "
                           "style=\"border-collapse: collapse; border-color: #888888;\"><tr>");
    // Widths in per cent of the page, with and without the previous
    // compilation's column.
    const bool previous = report.PreviousDate.has_value();
    const int widths[2][10] = {{24, 12, 12, 12, 7, 8, 7, 8, 10, 0}, {16, 12, 9, 10, 6, 7, 6, 7, 11, 16}};
    const int* width = widths[previous ? 1 : 0];
    const QString headings[] = {QStringLiteral("Area"), QStringLiteral("Punti"), QString(),
                                QStringLiteral("Fase iniziale"), QStringLiteral("S\u00ec"), QStringLiteral("A volte"),
                                QStringLiteral("No"), QStringLiteral("Non so"), QStringLiteral("Senza risposta"),
                                QStringLiteral("Prec.")};
    for (int c = 0; c < (previous ? 10 : 9); ++c)
        html += HeaderCell(headings[c], width[c]);
    html += QStringLiteral("</tr>");
    for (std::size_t i = 0; i < report.Areas.size(); ++i) {
        const TReportArea& area = report.Areas[i];
        document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("bar:%1").arg(i)),
                             PointsBar(area.Points, area.MostPoints));
        html += QStringLiteral("<tr>");
        html += Cell(HtmlText(area.Name), "left");
        html += PointsCell(QStringLiteral("%1 su %2")
                         .arg(FormatPoints(area.Points))
                         .arg(area.MostPoints));
        html += Cell(QStringLiteral("<img src=\"bar:%1\" width=\"80\" height=\"7\">").arg(i));
        html += Cell(HtmlText(area.StartPhaseName));
        html += Cell(QString::number(area.Yes)) + Cell(QString::number(area.Sometimes)) + Cell(QString::number(area.No))
                + Cell(QString::number(area.DontKnow)) + Cell(QString::number(area.Unanswered));
        if (report.PreviousDate)
            html += Cell(area.PreviousPoints ? FormatPoints(*area.PreviousPoints) + QStringLiteral("<br>")
                                                   + Difference(area.Points, *area.PreviousPoints)
                                             : QString());
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("<tr><td><b>Totale</b></td>");
    html += PointsCell(QStringLiteral("<b>%1 su %2</b>")
                     .arg(FormatPoints(report.Total))
                     .arg(report.MostTotal));
    html += QStringLiteral("<td colspan=\"7\"></td>");
    if (report.PreviousDate)
        html += Cell(report.PreviousTotal ? FormatPoints(*report.PreviousTotal) + QStringLiteral("<br>")
                                                + Difference(report.Total, *report.PreviousTotal)
                                          : QString());
    html += QStringLiteral("</tr></table>");
    if (report.PreviousDate)
        html += QStringLiteral("<p style=\"font-size: 8pt;\">Prec.: i punti della compilazione precedente, del %1, "
                               "e la differenza.</p>")
                    .arg(FormatShortDate(*report.PreviousDate));
    html += QStringLiteral("<p style=\"font-size: 8pt;\">Ogni fase vale al massimo un punto: la media delle sue "
                           "risposte (S\u00ec 1, A volte 0,5, No 0; \u201cNon so\u201d e le domande senza "
                           "risposta non contano). Le fasi prima della fase iniziale sono considerate "
                           "raggiunte.</p>");

    // Every question with its answer.
    html += QStringLiteral("<h2 style=\"font-size: 13pt;\">Domande e risposte</h2>");
    for (const TReportArea& area : report.Areas) {
        html += QStringLiteral("<h3 style=\"font-size: 11pt;\">%1</h3>").arg(HtmlText(area.Name));
        for (const TReportPhase& phase : area.Phases) {
            html += QStringLiteral("<p><b>%1</b>%2</p>")
                        .arg(HtmlText(phase.Name),
                             phase.Achieved ? QStringLiteral(" \u2014 <i>considerate raggiunte</i> (prima della "
                                                             "fase iniziale)")
                                            : QString());
            html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\" width=\"100%\">");
            int number = 0;
            for (const TReportQuestion& question : phase.Questions) {
                ++number;
                html += QStringLiteral("<tr><td width=\"5%\" valign=\"top\">%1.</td><td width=\"77%\">%2</td>"
                                       "<td width=\"18%\" valign=\"top\"><b>%3</b></td></tr>")
                            .arg(number)
                            .arg(HtmlText(question.Text),
                                 phase.Achieved ? QStringLiteral("raggiunta") : HtmlText(question.Answer));
            }
            html += QStringLiteral("</table>");
        }
    }
    document.setHtml(html);
    return PagedPdf(document, kTitle + QStringLiteral(" - ") + h.ChildName, report.School);
}

QString ReadableReportFileName(const TReadableReport& report)
{
    QString name = QStringLiteral("Relazione - %1 - %2.pdf")
                       .arg(report.Header.ChildName,
                            QDateTimeFromDateTime(report.Header.Date).date().toString(QStringLiteral("dd-MM-yyyy")));
    // What no file name on any system may hold.
    name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]")), QStringLiteral("_"));
    return name;
}

void ExportReadableReport(int idCompiledTable, const QString& fileName)
{
    SavePdf(fileName, ReadableReportPdf(LoadReadableReport(idCompiledTable)));
}
