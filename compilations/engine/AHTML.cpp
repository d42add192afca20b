#include "AHTML.h"

#include "TextCodec.h"

#include "Exception.h"
#include "SafeFile.h"

#include <QByteArray>
#include <QDir>
#include <QStringBuilder>

#include <array>
#include <string>

namespace {

// Calls visit with each code point of text. A surrogate pair is one code
// point; a lone surrogate is no character at all, so it is passed on as the
// replacement character rather than written out as an invalid reference.
template <typename Visit>
void ForEachCodePoint(QStringView text, Visit visit)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            visit(QChar::surrogateToUcs4(c, text.at(i + 1)));
            ++i;
        } else if (c.isSurrogate()) {
            visit(char32_t(QChar::ReplacementCharacter));
        } else {
            visit(char32_t(c.unicode()));
        }
    }
}

QString NumericReference(char32_t codePoint)
{
    return QStringLiteral("&#%1;").arg(quint32(codePoint));
}

void AppendWindows1252(std::string& out, const QString& line)
{
    // The report is nearly all ASCII, which is the same byte in the code
    // page: only the other characters are looked up.
    ForEachCodePoint(line, [&out](char32_t codePoint) {
        if (codePoint < 0x80) {
            out += char(codePoint);
            return;
        }
        const int byte = Windows1252Byte(codePoint);
        if (byte >= 0)
            out += char(byte);
        else
            out += NumericReference(codePoint).toStdString();
    });
}

} // namespace

void TAHTML::AddLine(const QString& line)
{
    lines_.append(line);
}

void TAHTML::AddHTML(const QString& line)
{
    AddLine(line);
}

void TAHTML::AddText(const QString& text)
{
    AddLine(Encode(text));
}

void TAHTML::BeginDocument()
{
    lines_.clear();
    AddLine(QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">"));
    AddLine(QStringLiteral("<html>"));
}

void TAHTML::EndDocument()
{
    AddLine(QStringLiteral("</html>"));
    AddLine(QString());
}

void TAHTML::BeginHead()
{
    AddLine(QStringLiteral("<head>"));
}

void TAHTML::EndHead()
{
    AddLine(QStringLiteral("</head>"));
}

void TAHTML::Head(const QString& title, const QString& generator, const QString& description, int refresh,
                  bool close)
{
    BeginHead();
    Title(title);
    FavIcon();
    ContentType();
    if (!generator.isEmpty())
        Generator(generator);
    if (!description.isEmpty())
        Description(description);
    if (refresh != 0)
        Refresh(refresh);
    if (close)
        EndHead();
}

void TAHTML::Title(const QString& text)
{
    AddLine(QStringLiteral("<title>") + text + QStringLiteral("</title>"));
}

void TAHTML::FavIcon()
{
    AddLine(QStringLiteral("<link href=\"/favicon.ico\" type=image/x-icon rel=\"shortcut icon\" />"));
}

void TAHTML::ContentType()
{
    AddLine(QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\" />"));
}

void TAHTML::Meta(const QString& name, const QString& content)
{
    AddLine(QStringLiteral("<meta name=\"") + name + QStringLiteral("\" content=\"") + content
            + QStringLiteral("\" />"));
}

void TAHTML::Generator(const QString& text)
{
    Meta(QStringLiteral("generator"), text);
}

void TAHTML::Description(const QString& text)
{
    Meta(QStringLiteral("description"), text);
}

void TAHTML::Refresh(int seconds)
{
    AddLine(QStringLiteral("<meta http-equiv=\"refresh\" content=\"") + QString::number(seconds)
            + QStringLiteral("\" />"));
}

void TAHTML::BeginStyle(const QString& media)
{
    const QString effective = media.isEmpty() ? QStringLiteral("all") : media;
    AddLine(QStringLiteral("<style media=\"") + effective + QStringLiteral("\">"));
    BeginComment();
}

void TAHTML::EndStyle()
{
    EndComment();
    AddLine(QStringLiteral("</style>"));
}

void TAHTML::BeginComment()
{
    AddLine(QStringLiteral("<!--"));
}

void TAHTML::EndComment()
{
    AddLine(QStringLiteral("-->"));
}

void TAHTML::BeginBody()
{
    AddLine(QStringLiteral("<body>"));
}

void TAHTML::EndBody()
{
    AddLine(QStringLiteral("</body>"));
}

void TAHTML::LineBreak(int count)
{
    for (int i = 0; i < count; ++i)
        AddLine(QStringLiteral("<br />"));
}

void TAHTML::BeginFont(const QString& face, int size, const QString& colour)
{
    AddLine(QStringLiteral("<font face=\"") + face + QStringLiteral("\" size=\"") + QString::number(size)
            + QStringLiteral("\" color=\"#") + colour + QStringLiteral("\">"));
}

void TAHTML::EndFont()
{
    AddLine(QStringLiteral("</font>"));
}

void TAHTML::TextStyle(bool bold, bool italic, bool underline)
{
    AddLine((bold ? QStringLiteral("<b>") : QStringLiteral("</b>"))
            + (italic ? QStringLiteral("<i>") : QStringLiteral("</i>"))
            + (underline ? QStringLiteral("<u>") : QStringLiteral("</u>")));
}

void TAHTML::Link(const QString& target, const QString& text)
{
    AddLine(QStringLiteral("<a href=\"") + target + QStringLiteral("\">") + text + QStringLiteral("</a>"));
}

void TAHTML::BeginTable()
{
    AddLine(QStringLiteral("<table>"));
}

void TAHTML::BeginTable(const QString& className, const QString& id)
{
    if (!className.isEmpty())
        AddLine(QStringLiteral("<table class=\"") % className % QStringLiteral("\">"));
    else
        AddLine(QStringLiteral("<table id=\"") % id % QStringLiteral("\">"));
}

void TAHTML::BeginTable(int border, int cellPadding, int cellSpacing, int widthPercent, const QString& colour)
{
    AddLine(QStringLiteral("<table border=\"") + QString::number(border) + QStringLiteral("\" cellpadding=\"")
            + QString::number(cellPadding) + QStringLiteral("\" cellspacing=\"") + QString::number(cellSpacing)
            + QStringLiteral("\" width=\"") + QString::number(widthPercent) + QStringLiteral("%\" bgcolor=\"#")
            + colour + QStringLiteral("\">"));
}

void TAHTML::EndTable()
{
    AddLine(QStringLiteral("</table>"));
}

void TAHTML::BeginRow()
{
    AddLine(QStringLiteral("<tr>"));
}

void TAHTML::EndRow()
{
    AddLine(QStringLiteral("</tr>"));
}

void TAHTML::BeginCell()
{
    AddLine(QStringLiteral("<td>"));
}

void TAHTML::BeginCell(const QString& className, const QString& id)
{
    if (!className.isEmpty())
        AddLine(QStringLiteral("<td class=\"") % className % QStringLiteral("\">"));
    else
        AddLine(QStringLiteral("<td id=\"") % id % QStringLiteral("\">"));
}

void TAHTML::BeginCell(int widthPercent, const QString& align, const QString& vAlign, const QString& colour,
                       int colSpan)
{
    AddLine(QStringLiteral("<td width=\"") + QString::number(widthPercent) + QStringLiteral("%\" align=\"") + align
            + QStringLiteral("\" valign=\"") + vAlign + QStringLiteral("\" bgcolor=\"#") + colour
            + QStringLiteral("\" colspan=\"") + QString::number(colSpan) + QStringLiteral("\">"));
}

void TAHTML::BeginCell(int widthPercent, int align, int vAlign, const QString& colour, int colSpan)
{
    BeginCell(widthPercent, AlignName(align), VAlignName(vAlign), colour, colSpan);
}

void TAHTML::EndCell()
{
    AddLine(QStringLiteral("</td>"));
}

void TAHTML::BeginHeaderCell(const QString& className, const QString& id)
{
    if (!className.isEmpty())
        AddLine(QStringLiteral("<th class=\"") % className % QStringLiteral("\">"));
    else
        AddLine(QStringLiteral("<th id=\"") % id % QStringLiteral("\">"));
}

void TAHTML::EndHeaderCell()
{
    AddLine(QStringLiteral("</th>"));
}

QString TAHTML::AlignName(int code)
{
    switch (code) {
    case 1:
        return QStringLiteral("right");
    case 2:
        return QStringLiteral("center");
    case 3:
        return QStringLiteral("justify");
    default:
        return QStringLiteral("left");
    }
}

QString TAHTML::VAlignName(int code)
{
    switch (code) {
    case 1:
        return QStringLiteral("middle");
    case 2:
        return QStringLiteral("bottom");
    case 3:
        return QStringLiteral("baseline");
    default:
        return QStringLiteral("top");
    }
}

namespace {

// True when Encode would give back the text unchanged: nothing to escape,
// nothing from 127 up and no run of spaces. Most texts of a report are such.
bool EncodesAsItself(const QString& text)
{
    char16_t previous = 0;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit >= 127 || unit == u'"' || unit == u'&' || unit == u'<' || unit == u'>'
            || (unit == u' ' && previous == u' '))
            return false;
        previous = unit;
    }
    return true;
}

} // namespace

QString TAHTML::Encode(const QString& text)
{
    if (EncodesAsItself(text))
        return text;
    QString result;
    result.reserve(text.size());
    ForEachCodePoint(text, [&result](char32_t codePoint) {
        switch (codePoint) {
        case U'"':
            result += QStringLiteral("&quot;");
            break;
        case U'&':
            result += QStringLiteral("&amp;");
            break;
        case U'<':
            result += QStringLiteral("&lt;");
            break;
        case U'>':
            result += QStringLiteral("&gt;");
            break;
        default:
            // Numeric references by code point: Latin-1 letters get the same
            // numbers as their Windows-1252 bytes, and nothing the code page
            // lacks is lost.
            if (codePoint < 127)
                result += QChar(char16_t(codePoint));
            else
                result += NumericReference(codePoint);
        }
    });
    // Browsers collapse runs of spaces; pairs of non-breaking spaces keep the
    // layout of the text while letting a lone space still wrap. One pass is
    // enough: the replacement holds no space, so it cannot form a new pair.
    result.replace(QStringLiteral("  "), QStringLiteral("&nbsp;&nbsp;"));
    return result;
}

void TAHTML::SaveToFile(const QString& fileName) const
{
    std::string text;
    std::size_t size = 0;
    for (const QString& line : lines_)
        size += std::size_t(line.size()) + 2;
    text.reserve(size);
    for (const QString& line : lines_) {
        AppendWindows1252(text, line);
        text += "\r\n";
    }
    const QByteArray bytes = QByteArray::fromStdString(text);

    // Written beside the target and renamed only once everything is on
    // disk, so a failure never leaves a truncated report behind.
    const QString failure = WriteFileSafely(fileName, bytes);
    if (!failure.isEmpty())
        throw EFileError(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(fileName), failure));
}
