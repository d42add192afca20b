// The user guide the build makes: a PDF of the right length holding its
// chapters and the pictures of the windows.
#include <QProcess>
#include <QRegularExpression>
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
