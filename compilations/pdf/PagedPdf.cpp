#include "PagedPdf.h"

#include "BuildConfig.h"
#include "Exception.h"
#include "SafeFile.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTextDocument>

namespace {

// A heading is never the last line of a page: one whose following text
// would begin only on the next page starts that page itself. Each such
// heading moves all that follows, so the document is laid out again before
// the next one is looked for.
void KeepHeadingsWithTheirText(QTextDocument& document, double pageHeight)
{
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    const auto pageOf = [pageHeight](double y) { return static_cast<int>(y / pageHeight); };
    QTextBlock from = document.begin();
    while (from.isValid()) {
        QTextBlock moved;
        for (QTextBlock block = from; block.isValid() && !moved.isValid(); block = block.next()) {
            const QTextBlock next = block.next();
            if (block.blockFormat().headingLevel() == 0 || !next.isValid())
                continue;
            // The layout is made as it is asked for: ask for the block first.
            const double headingTop = layout->blockBoundingRect(block).top();
            const double nextTop = layout->blockBoundingRect(next).top();
            // Where the second line of the text ends (a picture is one line);
            // a line that did not fit its page has been moved down to the next.
            const QTextLayout* text = next.layout();
            if (!text || text->lineCount() == 0)
                continue;
            const QTextLine line = text->lineAt(std::min(1, text->lineCount() - 1));
            if (pageOf(headingTop) != pageOf(nextTop + line.y() + line.height() - 1))
                moved = block;
        }
        if (!moved.isValid())
            return;
        QTextBlockFormat format;
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(moved).mergeBlockFormat(format);
        document.markContentsDirty(0, document.characterCount());
        from = moved.next();
    }
}

} // namespace

QByteArray PagedPdf(QTextDocument& document, const QString& title, const QString& school,
                    QPageLayout::Orientation orientation)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(18, 14, 18, 14),
                                         QPageLayout::Millimeter));
        writer.setTitle(title);
        writer.setCreator(QStringLiteral(BALTERO_APPLICATION_TITLE));

        QPainter painter(&writer);
        QFont small = document.defaultFont();
        small.setPointSizeF(8);
        painter.setFont(small);
        const QFontMetricsF metrics(small, &writer);
        const double width = writer.width();
        const double band = metrics.height() * 2.2; // header and footer, each
        const double bodyHeight = writer.height() - 2 * band;

        document.documentLayout()->setPaintDevice(&writer);
        document.setPageSize(QSizeF(width, bodyHeight));
        KeepHeadingsWithTheirText(document, bodyHeight);
        const int pages = document.pageCount();
        const QString left = school.trimmed().isEmpty() ? QStringLiteral(BALTERO_APPLICATION_TITLE) : school.trimmed();
        for (int page = 0; page < pages; ++page) {
            if (page > 0)
                writer.newPage();
            painter.setPen(QPen(Qt::black, 0));
            const QRectF header(0, 0, width, metrics.height());
            painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter,
                             metrics.elidedText(left, Qt::ElideRight, width * 0.6));
            painter.drawText(header, Qt::AlignRight | Qt::AlignVCenter,
                             metrics.elidedText(title, Qt::ElideRight, width * 0.38));
            painter.setPen(QPen(Qt::gray, writer.resolution() / 200.0));
            painter.drawLine(QPointF(0, metrics.height() * 1.4), QPointF(width, metrics.height() * 1.4));

            painter.save();
            painter.translate(0, band - page * bodyHeight);
            const QRectF body(0, page * bodyHeight, width, bodyHeight);
            painter.setClipRect(body);
            document.drawContents(&painter, body);
            painter.restore();

            painter.setPen(Qt::black);
            const QRectF footer(0, writer.height() - metrics.height(), width, metrics.height());
            painter.drawText(footer, Qt::AlignCenter, QStringLiteral("Pagina %1 di %2").arg(page + 1).arg(pages));
        }
        if (!painter.end())
            throw Exception(QStringLiteral("impossibile comporre il PDF"));
    }
    return buffer.data();
}

void SavePdf(const QString& fileName, const QByteArray& bytes)
{
    const QString failure = WriteFileSafely(fileName, bytes);
    if (!failure.isEmpty())
        throw Exception(QDir::toNativeSeparators(fileName) + QStringLiteral(": ") + failure);
}

QString HtmlText(const QString& text)
{
    QString escaped = text.toHtmlEscaped();
    escaped.replace(QLatin1String("\r\n"), QLatin1String("<br>"));
    escaped.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    return escaped;
}
