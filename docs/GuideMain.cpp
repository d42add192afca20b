// baltero-guide: makes the user guide's PDF. It creates a demonstration
// school in a temporary folder, opens the program's real windows on it on
// Qt's offscreen platform and grabs them, then lays out the guide's text
// (HTML, with "picture:NAME" for each window) with those pictures on A4
// pages. So the guide always shows the windows as this build draws them.
//
// Usage: baltero-guide QUESTIONNAIRE GUIDE.html OUTPUT.pdf [PICTURES-FOLDER]
// The pictures are also written as PNG files into PICTURES-FOLDER when given.
#include "AppPaths.h"
#include "Application.h"
#include "BuildConfig.h"
#include "DatabaseFile.h"
#include "DemoSchool.h"
#include "Exception.h"
#include "GuidePictures.h"
#include "PagedPdf.h"
#include "Startup.h"
#include "UnitMain.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QUrl>
#include <cstdio>

namespace {

// The widest a picture is shown, in the document's pixels (the text is
// about 650 wide on A4); narrower windows keep their own size.
const int WidestPicture = 620;

// A laptop's screen of 1366 x 768, drawn at twice the pixels so the
// pictures stay sharp on paper.
const char* const ScreenConfig = R"({ "screens": [ { "name": "guide", "x": 0, "y": 0,
  "width": 2732, "height": 1536, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 2 } ] })";

void PrepareScreen(const QString& folder)
{
    const QString config = QDir(folder).filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) || file.write(ScreenConfig) < 0)
        throw Exception(config + QStringLiteral(": cannot be written"));
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    // The program's Italian dates and numbers, whatever the machine's locale.
    qputenv("LC_ALL", "C.UTF-8");
    qunsetenv("LANGUAGE");
    qunsetenv("QT_SCALE_FACTOR");
}

// The offscreen platform says what a real screen would do that it cannot
// (raise a window, grab the keyboard): nothing the pictures need.
void QuietPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg
        && (message.startsWith(QLatin1String("This plugin does not support"))
            || message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

QString ReadText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(path + QStringLiteral(": cannot be read"));
    return QString::fromUtf8(file.readAll());
}

// The guide's text with each picture's size written in; a picture the text
// names but the program did not make is an error, so the guide never shows
// a hole.
QString PlacePictures(QString html, QTextDocument& document, const std::map<QString, QImage>& pictures)
{
    static const QRegularExpression image(QStringLiteral("<img src=\"picture:([a-z0-9-]+)\""));
    QSet<QString> used;
    QString placed;
    qsizetype from = 0;
    for (auto match = image.globalMatch(html); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        const QString name = found.captured(1);
        const auto picture = pictures.find(name);
        if (picture == pictures.end())
            throw Exception(QStringLiteral("the guide shows a picture that is not made: ") + name);
        used.insert(name);
        const QSizeF size = picture->second.deviceIndependentSize();
        const double scale = std::min(1.0, WidestPicture / size.width());
        placed += html.mid(from, found.capturedEnd() - from);
        placed += QStringLiteral(" width=\"%1\" height=\"%2\"").arg(qRound(size.width() * scale)).arg(qRound(size.height() * scale));
        from = found.capturedEnd();
        document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("picture:") + name), picture->second);
    }
    placed += html.mid(from);
    for (const auto& [name, picture] : pictures)
        if (!used.contains(name))
            std::fprintf(stderr, "baltero-guide: the picture %s is not used by the guide\n", qPrintable(name));
    return placed;
}

void WritePictures(const QString& folder, const std::map<QString, QImage>& pictures)
{
    if (!QDir().mkpath(folder))
        throw Exception(folder + QStringLiteral(": cannot be created"));
    for (const auto& [name, picture] : pictures)
        if (!picture.save(QDir(folder).filePath(name + QStringLiteral(".png"))))
            throw Exception(folder + QStringLiteral(": the picture %1 cannot be written").arg(name));
}

int Run(int argc, char** argv, QTemporaryDir& work)
{
    TApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral(BALTERO_APPLICATION_TITLE));
    InstallQtItalianTranslations();
    const QStringList args = QApplication::arguments().mid(1);
    if (args.size() < 3 || args.size() > 4) {
        std::fprintf(stderr, "usage: baltero-guide QUESTIONNAIRE GUIDE.html OUTPUT.pdf [PICTURES-FOLDER]\n");
        return 2;
    }

    // The demonstration school lives in the temporary folder, as a portable
    // program's files do: nothing of the user's own is read or written.
    const QDir folder(work.path());
    SetProgramFilePath(folder.filePath(QStringLiteral(BALTERO_APPLICATION_TITLE)));
    CreateSettingsFile(ProgramSiblingPath(QStringLiteral(".ini")));
    CreateDatabaseWithQuestionnaire(ProgramSiblingPath(QStringLiteral(".mdb")), args[0]);
    if (!PortableMode())
        throw Exception(QStringLiteral("the demonstration school is not beside its program"));

    std::map<QString, QImage> pictures;
    {
        TFormMain mainWindow;
        if (!mainWindow.DatabaseOpened())
            throw Exception(QStringLiteral("the demonstration database did not open"));
        const TDemoSchool demo = FillDemoSchool();
        pictures = MakeGuidePictures(mainWindow, demo);
    }
    if (args.size() == 4)
        WritePictures(args[3], pictures);

    QTextDocument document;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    document.setDefaultFont(font);
    document.setDocumentMargin(0);
    document.setHtml(PlacePictures(ReadText(args[1]), document, pictures));
    SavePdf(args[2], PagedPdf(document, QStringLiteral("Manuale utente"),
                              QStringLiteral(BALTERO_APPLICATION_TITLE " " BALTERO_VERSION_STRING)));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir work;
    if (!work.isValid()) {
        std::fprintf(stderr, "baltero-guide: no temporary folder\n");
        return 1;
    }
    try {
        PrepareScreen(work.path());
        qInstallMessageHandler(QuietPlatformNotes);
        return Run(argc, argv, work);
    } catch (const Exception& e) {
        std::fprintf(stderr, "baltero-guide: %s\n", qPrintable(e.Message()));
        return 1;
    }
}
