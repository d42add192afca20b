#include "AHTML.h"
#include "Exception.h"
#include "TestText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace {

// The lines a single call appended, for operations tested on a fresh writer.
QStringList Written(const std::function<void(TAHTML&)>& call)
{
    TAHTML html;
    call(html);
    return html.Lines();
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

} // namespace

TEST(AHTMLLines, DocumentAndHeadStructure)
{
    TAHTML html;
    html.AddHTML(QStringLiteral("left over from a previous report"));
    html.BeginDocument();
    EXPECT_EQ(html.Lines(), QStringList({QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">"),
                                         QStringLiteral("<html>")}));

    EXPECT_EQ(Written([](TAHTML& h) { h.EndDocument(); }), QStringList({QStringLiteral("</html>"), QString()}));
    EXPECT_EQ(Written([](TAHTML& h) { h.BeginHead(); h.EndHead(); }),
              QStringList({QStringLiteral("<head>"), QStringLiteral("</head>")}));
    EXPECT_EQ(Written([](TAHTML& h) { h.BeginBody(); h.EndBody(); }),
              QStringList({QStringLiteral("<body>"), QStringLiteral("</body>")}));
    EXPECT_EQ(Written([](TAHTML& h) { h.BeginComment(); h.EndComment(); }),
              QStringList({QStringLiteral("<!--"), QStringLiteral("-->")}));
    EXPECT_EQ(Written([](TAHTML& h) { h.Title(QStringLiteral("Scheda <1>")); }),
              QStringList({QStringLiteral("<title>Scheda <1></title>")}));
    EXPECT_EQ(Written([](TAHTML& h) { h.FavIcon(); }),
              QStringList({QStringLiteral("<link href=\"/favicon.ico\" type=image/x-icon rel=\"shortcut icon\" />")}));
    EXPECT_EQ(Written([](TAHTML& h) { h.ContentType(); }),
              QStringList({QStringLiteral(
                  "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\" />")}));
    EXPECT_EQ(Written([](TAHTML& h) { h.Meta(QStringLiteral("author"), QStringLiteral("Anna")); }),
              QStringList({QStringLiteral("<meta name=\"author\" content=\"Anna\" />")}));
    EXPECT_EQ(Written([](TAHTML& h) { h.Generator(QStringLiteral("Baltero 1.0")); }),
              QStringList({QStringLiteral("<meta name=\"generator\" content=\"Baltero 1.0\" />")}));
    EXPECT_EQ(Written([](TAHTML& h) { h.Description(QStringLiteral("Scheda")); }),
              QStringList({QStringLiteral("<meta name=\"description\" content=\"Scheda\" />")}));
    EXPECT_EQ(Written([](TAHTML& h) { h.Refresh(-30); }),
              QStringList({QStringLiteral("<meta http-equiv=\"refresh\" content=\"-30\" />")}));
}

TEST(AHTMLLines, HeadWritesOptionalPartsOnlyWhenGiven)
{
    const QStringList full = Written([](TAHTML& h) {
        h.Head(QStringLiteral("T"), QStringLiteral("G"), QStringLiteral("D"), 5, true);
    });
    EXPECT_EQ(full, QStringList({
                        QStringLiteral("<head>"),
                        QStringLiteral("<title>T</title>"),
                        QStringLiteral("<link href=\"/favicon.ico\" type=image/x-icon rel=\"shortcut icon\" />"),
                        QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\" />"),
                        QStringLiteral("<meta name=\"generator\" content=\"G\" />"),
                        QStringLiteral("<meta name=\"description\" content=\"D\" />"),
                        QStringLiteral("<meta http-equiv=\"refresh\" content=\"5\" />"),
                        QStringLiteral("</head>"),
                    }));

    // Left open, with nothing optional: the caller adds the style and closes.
    const QStringList open = Written([](TAHTML& h) { h.Head(QStringLiteral("T"), QString(), QString(), 0, false); });
    EXPECT_EQ(open, full.mid(0, 4));

    const QStringList onlyDescription = Written([](TAHTML& h) {
        h.Head(QStringLiteral("T"), QString(), QStringLiteral("D"), 0, true);
    });
    EXPECT_EQ(onlyDescription, QStringList(full.mid(0, 4)) << full.at(5) << full.at(7));
}

TEST(AHTMLLines, StyleFontLinkAndBreaks)
{
    EXPECT_EQ(Written([](TAHTML& h) { h.BeginStyle(QStringLiteral("print")); h.EndStyle(); }),
              QStringList({QStringLiteral("<style media=\"print\">"), QStringLiteral("<!--"), QStringLiteral("-->"),
                           QStringLiteral("</style>")}));
    EXPECT_EQ(Written([](TAHTML& h) { h.BeginStyle(QString()); }),
              QStringList({QStringLiteral("<style media=\"all\">"), QStringLiteral("<!--")}));

    EXPECT_EQ(Written([](TAHTML& h) { h.BeginFont(QStringLiteral("Arial"), 2, QStringLiteral("00FF00")); h.EndFont(); }),
              QStringList({QStringLiteral("<font face=\"Arial\" size=\"2\" color=\"#00FF00\">"),
                           QStringLiteral("</font>")}));

    // Targets and texts of tags are markup already: they are not escaped.
    EXPECT_EQ(Written([](TAHTML& h) { h.Link(QStringLiteral("mailto:a@b.it?s=1&t=2"), QStringLiteral("<b>Scrivi</b>")); }),
              QStringList({QStringLiteral("<a href=\"mailto:a@b.it?s=1&t=2\"><b>Scrivi</b></a>")}));

    EXPECT_EQ(Written([](TAHTML& h) { h.LineBreak(3); }), QStringList(3, QStringLiteral("<br />")));
    EXPECT_TRUE(Written([](TAHTML& h) { h.LineBreak(0); }).isEmpty());
    EXPECT_TRUE(Written([](TAHTML& h) { h.LineBreak(-2); }).isEmpty());
}

TEST(AHTMLLines, TextStyleOpensSetStylesAndClosesTheOthers)
{
    EXPECT_EQ(Written([](TAHTML& h) { h.TextStyle(true, false, false); }), QStringList({QStringLiteral("<b></i></u>")}));
    EXPECT_EQ(Written([](TAHTML& h) { h.TextStyle(false, false, false); }),
              QStringList({QStringLiteral("</b></i></u>")}));
    EXPECT_EQ(Written([](TAHTML& h) { h.TextStyle(false, true, true); }), QStringList({QStringLiteral("</b><i><u>")}));
}

TEST(AHTMLLines, TablesRowsAndCells)
{
    const QStringList lines = Written([](TAHTML& h) {
        h.BeginTable();
        h.BeginRow();
        h.BeginCell();
        h.EndCell();
        h.EndRow();
        h.EndTable();
        h.BeginTable(0, 4, 2, 100, QStringLiteral("FFFFFF"));
        h.BeginTable(QStringLiteral("aree"), QStringLiteral("ignored"));
        h.BeginTable(QString(), QStringLiteral("t1"));
        h.BeginTable(QString(), QString());
    });
    EXPECT_EQ(lines, QStringList({
                         QStringLiteral("<table>"),
                         QStringLiteral("<tr>"),
                         QStringLiteral("<td>"),
                         QStringLiteral("</td>"),
                         QStringLiteral("</tr>"),
                         QStringLiteral("</table>"),
                         QStringLiteral("<table border=\"0\" cellpadding=\"4\" cellspacing=\"2\" width=\"100%\" "
                                        "bgcolor=\"#FFFFFF\">"),
                         QStringLiteral("<table class=\"aree\">"),
                         QStringLiteral("<table id=\"t1\">"),
                         QStringLiteral("<table id=\"\">"),
                     }));
}

TEST(AHTMLLines, CellAndHeaderCellTakeClassOrElseId)
{
    const QStringList lines = Written([](TAHTML& h) {
        h.BeginCell(QStringLiteral("punti"), QStringLiteral("c1"));
        h.BeginCell(QString(), QStringLiteral("c2"));
        h.BeginCell(QString(), QString());
        h.BeginHeaderCell(QStringLiteral("fase"), QStringLiteral("h1"));
        h.BeginHeaderCell(QString(), QStringLiteral("h2"));
        h.BeginHeaderCell(QString(), QString());
        h.EndHeaderCell();
    });
    EXPECT_EQ(lines, QStringList({
                         QStringLiteral("<td class=\"punti\">"),
                         QStringLiteral("<td id=\"c2\">"),
                         QStringLiteral("<td id=\"\">"),
                         QStringLiteral("<th class=\"fase\">"),
                         QStringLiteral("<th id=\"h2\">"),
                         QStringLiteral("<th id=\"\">"),
                         QStringLiteral("</th>"),
                     }));
}

TEST(AHTMLLines, CellAlignmentByNameAndByCode)
{
    EXPECT_EQ(Written([](TAHTML& h) {
                  h.BeginCell(25, QStringLiteral("center"), QStringLiteral("bottom"), QStringLiteral("C0C0C0"), 3);
              }),
              QStringList({QStringLiteral(
                  "<td width=\"25%\" align=\"center\" valign=\"bottom\" bgcolor=\"#C0C0C0\" colspan=\"3\">")}));
    EXPECT_EQ(Written([](TAHTML& h) { h.BeginCell(50, 1, 3, QStringLiteral("FFFFFF"), 1); }),
              QStringList({QStringLiteral(
                  "<td width=\"50%\" align=\"right\" valign=\"baseline\" bgcolor=\"#FFFFFF\" colspan=\"1\">")}));
    EXPECT_EQ(Written([](TAHTML& h) { h.BeginCell(10, 0, 0, QStringLiteral("000000"), 2); }),
              QStringList({QStringLiteral(
                  "<td width=\"10%\" align=\"left\" valign=\"top\" bgcolor=\"#000000\" colspan=\"2\">")}));

    const QStringList aligns = {TAHTML::AlignName(0), TAHTML::AlignName(1), TAHTML::AlignName(2),
                                TAHTML::AlignName(3), TAHTML::AlignName(4), TAHTML::AlignName(-1)};
    EXPECT_EQ(aligns, QStringList({QStringLiteral("left"), QStringLiteral("right"), QStringLiteral("center"),
                                   QStringLiteral("justify"), QStringLiteral("left"), QStringLiteral("left")}));
    const QStringList vAligns = {TAHTML::VAlignName(0), TAHTML::VAlignName(1), TAHTML::VAlignName(2),
                                 TAHTML::VAlignName(3), TAHTML::VAlignName(4), TAHTML::VAlignName(-1)};
    EXPECT_EQ(vAligns, QStringList({QStringLiteral("top"), QStringLiteral("middle"), QStringLiteral("bottom"),
                                    QStringLiteral("baseline"), QStringLiteral("top"), QStringLiteral("top")}));
}

TEST(AHTMLEncode, MarkupCharactersAndNonAscii)
{
    EXPECT_EQ(TAHTML::Encode(QStringLiteral("<b>")), QStringLiteral("&lt;b&gt;"));
    EXPECT_EQ(TAHTML::Encode(QStringLiteral("\"Tom\" & 'Jerry'")), QStringLiteral("&quot;Tom&quot; &amp; 'Jerry'"));
    EXPECT_EQ(TAHTML::Encode(QStringLiteral("S\u00EC")), QStringLiteral("S&#236;"));
    // DEL is the first character written as a reference; controls below it pass.
    EXPECT_EQ(TAHTML::Encode(QStringLiteral("a\u007F~\t\n")), QStringLiteral("a&#127;~\t\n"));
    // Characters beyond Windows-1252 keep their identity as code points; a
    // surrogate pair is one character, a lone surrogate none.
    EXPECT_EQ(TAHTML::Encode(QStringLiteral("\u20AC \u0141")), QStringLiteral("&#8364; &#321;"));
    EXPECT_EQ(TAHTML::Encode(QString::fromUtf8("\xF0\x9F\x98\x80")), QStringLiteral("&#128512;"));
    EXPECT_EQ(TAHTML::Encode(QString(QChar(0xD800)) + QLatin1Char('x')), QStringLiteral("&#65533;x"));
}

TEST(AHTMLEncode, SpacePairsBecomeNonBreaking)
{
    EXPECT_EQ(TAHTML::Encode(QStringLiteral("a b")), QStringLiteral("a b"));
    EXPECT_EQ(TAHTML::Encode(QStringLiteral("a  b")), QStringLiteral("a&nbsp;&nbsp;b"));
    EXPECT_EQ(TAHTML::Encode(QStringLiteral("a   b")), QStringLiteral("a&nbsp;&nbsp; b"));
    EXPECT_EQ(TAHTML::Encode(QStringLiteral("    ")), QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;"));
    EXPECT_EQ(TAHTML::Encode(QStringLiteral(" <  > ")), QStringLiteral(" &lt;&nbsp;&nbsp;&gt; "));
}

TEST(AHTMLEncode, AddTextAppendsTheEncodedLine)
{
    TAHTML html;
    html.AddText(QStringLiteral("a  <b>"));
    html.AddText(QString());
    html.AddHTML(QStringLiteral("<p>  </p>"));
    html.AddLine(QStringLiteral("&amp;"));
    EXPECT_EQ(html.Lines(), QStringList({QStringLiteral("a&nbsp;&nbsp;&lt;b&gt;"), QString(),
                                         QStringLiteral("<p>  </p>"), QStringLiteral("&amp;")}));
}

TEST(AHTMLSave, WritesLinesWithCrLfEndingWithAnEmptyLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("scheda.htm"));

    TAHTML html;
    html.BeginDocument();
    html.BeginBody();
    html.AddText(QStringLiteral("Sì"));
    html.EndBody();
    html.EndDocument();
    html.SaveToFile(path);

    const QByteArray expected = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\r\n"
                                "<html>\r\n"
                                "<body>\r\n"
                                "S&#236;\r\n"
                                "</body>\r\n"
                                "</html>\r\n"
                                "\r\n";
    EXPECT_EQ(ReadAll(path), expected);

    // Saving again replaces the whole file rather than appending to it.
    html.BeginDocument();
    html.EndDocument();
    html.SaveToFile(path);
    EXPECT_EQ(ReadAll(path), QByteArray("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\r\n"
                                        "<html>\r\n</html>\r\n\r\n"));
    // No temporary copy is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({QStringLiteral("scheda.htm")}));
}

TEST(AHTMLSave, UnencodedLinesAreWrittenInWindows1252)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("w.htm"));

    TAHTML html;
    // Latin-1 letters, the code page's own 0x80-0x9F letters, a letter it
    // lacks, an emoji, and a C1 control whose byte would read as a euro sign.
    html.AddHTML(QString::fromUtf8("\xC3\xA0\xC3\xBF \xE2\x82\xAC\xE2\x80\xA6\xC5\x92\xC5\xB8 "
                                   "\xC5\x81\xF0\x9F\x98\x80\xC2\x80"));
    html.SaveToFile(path);

    const QByteArray expected = QByteArray("\xE0\xFF \x80\x85\x8C\x9F &#321;&#128512;&#128;\r\n");
    EXPECT_EQ(ReadAll(path), expected);
}

TEST(AHTMLSave, FailuresRaiseFileErrorAndLeaveExistingFilesAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TAHTML html;
    html.BeginDocument();
    html.EndDocument();

    // Missing folder: an error naming the file, and nothing created.
    const QString missing = dir.filePath(QStringLiteral("manca/scheda.htm"));
    try {
        html.SaveToFile(missing);
        FAIL() << "saving into a missing folder succeeded";
    } catch (const EFileError& error) {
        EXPECT_TRUE(error.Message().startsWith(QDir::toNativeSeparators(missing) + QStringLiteral(": ")))
            << error.Message().toStdString();
        EXPECT_GT(error.Message().size(), QDir::toNativeSeparators(missing).size() + 2);
    }
    EXPECT_FALSE(QFileInfo::exists(missing));

    // The target is a folder: it stays a folder with its content.
    const QString folder = dir.filePath(QStringLiteral("cartella"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("cartella")));
    WriteAll(folder + QStringLiteral("/dentro.txt"), "keep");
    EXPECT_THROW(html.SaveToFile(folder), EFileError);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(ReadAll(folder + QStringLiteral("/dentro.txt")), QByteArray("keep"));

    // An existing report whose name leaves no room for the temporary copy
    // beside it (file names stop at 255 characters): the write cannot start,
    // and the old report must survive byte for byte.
    const QString longName = dir.filePath(QString(250, QLatin1Char('r')));
    const QByteArray oldBytes("old report\r\n\xE0\r\n");
    WriteAll(longName, oldBytes);
    ASSERT_EQ(ReadAll(longName), oldBytes);
    EXPECT_THROW(html.SaveToFile(longName), EFileError);
    EXPECT_EQ(ReadAll(longName), oldBytes);
}
