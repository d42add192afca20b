#include "HtmlPrinting.h"

#include <QFont>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

namespace {

void PrintHtml(const QString& html, QPrinter& printer)
{
    QTextDocument document;
    // What a page leaves unstyled a browser shows in its default font, a
    // 16 px (12 pt) serif; the widgets' small sans serif would print smaller
    // and narrower than the saved file looks.
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(12.0);
    document.setDefaultFont(font);
    document.setHtml(html);
    document.print(&printer);
}

} // namespace

extern "C" Q_DECL_EXPORT bool BalteroPrintHtml(QWidget* parent, const QString& html, const QString& pdfFileName)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!pdfFileName.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfFileName);
        printer.setPageSize(QPageSize(QPageSize::A4));
    } else {
        QPrintDialog dialog(&printer, parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
    }
    PrintHtml(html, printer);
    return true;
}
