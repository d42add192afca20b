// The user guide the build makes: a PDF of the right length holding its
// chapters and the pictures of the windows; and its pages' headings.
#include "PagedPdf.h"

#include <QAbstractTextDocumentLayout>
#include <QProcess>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

QString Poppler(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << tool.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << tool.toStdString() << ": " << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

TEST(UserGuide, HasItsChaptersAndThePicturesOfTheWindowsOnTenToTwentyPages)
{
    const QString guide = QStringLiteral(BALTERO_USER_GUIDE);
    const QRegularExpression pagesLine(QStringLiteral("^Pages:\\s+(\\d+)$"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch pages = pagesLine.match(Poppler(QStringLiteral("pdfinfo"), {guide}));
    ASSERT_TRUE(pages.hasMatch());
    EXPECT_GE(pages.captured(1).toInt(), 10);
    EXPECT_LE(pages.captured(1).toInt(), 20);

    // The text as one line, its ligatures ("ﬁ") as letters.
    const QString text =
        Poppler(QStringLiteral("pdftotext"), {guide, QStringLiteral("-")}).normalized(QString::NormalizationForm_KC).simplified();
    // Each chapter's title, in the index and above the chapter.
    for (const char* title :
         {"Installare Baltero", "L'anagrafica: bambini, educatori, istituto", "Il questionario: aree, fasi e domande",
          "Compilare con la tastiera", "Punteggi e fasi di partenza", "Relazioni e stampa", "L'andamento del bambino",
          "Esportare i dati (CSV)", "Cercare, ordinare, filtrare", "Compattazione e copie di sicurezza",
          "Password e copie di sicurezza", "Dove si trovano i file", "Quando compare un messaggio"})
        EXPECT_GE(text.count(QString::fromUtf8(title)), 2) << title;
    EXPECT_TRUE(text.contains(QStringLiteral("Pagina 1 di ")));

    // Every window the guide shows is a picture in the file.
    const QStringList images = Poppler(QStringLiteral("pdfimages"), {QStringLiteral("-list"), guide})
                                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                                   .mid(2);
    EXPECT_GE(images.size(), 12);
}

// However much text comes before it, a heading starts on the page where the
// text after it starts.
TEST(PagedPdf, AHeadingNeverEndsAPage)
{
    bool movedOnce = false;
    for (int lines = 30; lines < 90; lines += 3) {
        SCOPED_TRACE(lines);
        QTextDocument document;
        QString html;
        for (int line = 0; line < lines; ++line)
            html += QStringLiteral("<p>Riga %1</p>").arg(line);
        html += QStringLiteral("<h2>Titolo</h2><p>Il testo del titolo</p>");
        document.setHtml(html);
        PagedPdf(document, QStringLiteral("Prova"), QString());

        const double page = document.pageSize().height();
        const QTextBlock heading = document.lastBlock().previous();
        ASSERT_EQ(heading.text(), QStringLiteral("Titolo"));
        QAbstractTextDocumentLayout* layout = document.documentLayout();
        const QRectF title = layout->blockBoundingRect(heading);
        const QRectF text = layout->blockBoundingRect(document.lastBlock());
        EXPECT_EQ(static_cast<int>(title.top() / page), static_cast<int>((text.bottom() - 1) / page));
        movedOnce = movedOnce || heading.blockFormat().pageBreakPolicy() != QTextFormat::PageBreak_Auto;
    }
    EXPECT_TRUE(movedOnce) << "no count of lines put the heading at a page's foot";
}
