// A line-by-line writer of HTML 4.0 Transitional documents, used by the
// compilation report.
//
// Every operation appends whole lines; there is no tree and no nesting check,
// so begin/end pairs must be balanced by the caller. Texts given to the tag
// operations (titles, attribute values, link targets) go into the document
// as they are: only AddText escapes. Colours are six hexadecimal digits
// without the "#", which the writer adds.
#pragma once

#include <QString>
#include <QStringList>

class TAHTML {
public:
    TAHTML() = default;

    // The line unchanged. AddHTML is the name for callers, AddLine the one
    // the tag operations use; both do the same.
    void AddLine(const QString& line);
    void AddHTML(const QString& line);
    // The text escaped by Encode.
    void AddText(const QString& text);

    // Empties the document before writing the document type and <html>.
    void BeginDocument();
    void EndDocument();

    void BeginHead();
    void EndHead();
    // The usual head: title, icon, content type, then the generator, the
    // description and the refresh only when given. The head stays open unless
    // close is set, so the caller can add more lines to it.
    void Head(const QString& title, const QString& generator, const QString& description, int refresh,
              bool close);
    void Title(const QString& text);
    void FavIcon();
    void ContentType();
    void Meta(const QString& name, const QString& content);
    void Generator(const QString& text);
    void Description(const QString& text);
    void Refresh(int seconds);

    // An empty media means "all".
    void BeginStyle(const QString& media);
    void EndStyle();
    void BeginComment();
    void EndComment();

    void BeginBody();
    void EndBody();
    // One "<br />" line per count; nothing for zero or less.
    void LineBreak(int count);
    void BeginFont(const QString& face, int size, const QString& colour);
    void EndFont();
    // Each style is opened when set and closed when not, on one line.
    void TextStyle(bool bold, bool italic, bool underline);
    void Link(const QString& target, const QString& text);

    void BeginTable();
    // The class when given, otherwise the id (even an empty one).
    void BeginTable(const QString& className, const QString& id);
    void BeginTable(int border, int cellPadding, int cellSpacing, int widthPercent, const QString& colour);
    void EndTable();
    void BeginRow();
    void EndRow();
    void BeginCell();
    // The class when given, otherwise the id (even an empty one).
    void BeginCell(const QString& className, const QString& id);
    void BeginCell(int widthPercent, const QString& align, const QString& vAlign, const QString& colour,
                   int colSpan);
    // Alignments as the codes of AlignName and VAlignName.
    void BeginCell(int widthPercent, int align, int vAlign, const QString& colour, int colSpan);
    void EndCell();
    // The class when given, otherwise the id (even an empty one).
    void BeginHeaderCell(const QString& className, const QString& id);
    void EndHeaderCell();

    // 1 right, 2 center, 3 justify, anything else left.
    static QString AlignName(int code);
    // 1 middle, 2 bottom, 3 baseline, anything else top.
    static QString VAlignName(int code);
    // Escapes the markup characters, writes every character from 127 up as a
    // numeric reference and keeps runs of spaces from collapsing.
    static QString Encode(const QString& text);

    // Writes every line followed by CR LF, in Windows-1252 to match the
    // declared charset; characters it lacks become numeric references.
    // The file is replaced atomically: on failure EFileError is raised and
    // an existing file is left as it was.
    void SaveToFile(const QString& fileName) const;

    const QStringList& Lines() const { return lines_; }

private:
    QStringList lines_;
};
