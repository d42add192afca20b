// A rich-text document laid out on A4 pages, as every PDF of the program
// is: margins for printing, the institute's name at the top of each page and
// "Pagina n di m" at the foot; a heading never ends a page.
#pragma once

#include <QByteArray>
#include <QPageLayout>
#include <QString>

class QTextDocument;

// The PDF of the document. The document is laid out for the pages.
QByteArray PagedPdf(QTextDocument& document, const QString& title, const QString& school,
                    QPageLayout::Orientation orientation = QPageLayout::Portrait);

// Writes the PDF to fileName through the safe file writer; raises Exception
// with the reason when the file could not be written (it is then untouched).
void SavePdf(const QString& fileName, const QByteArray& bytes);

// The text escaped for HTML, its line breaks kept.
QString HtmlText(const QString& text);
