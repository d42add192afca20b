// Multi-line notes between a text box and the database.
#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QTextDocument>

// The box's lines joined with carriage return and line feed, as the notes
// are stored. The raw text is used because the plain-text form of a document
// turns no-break spaces into blanks, which would alter a note saved unchanged.
inline QString MemoLines(const QPlainTextEdit* memo)
{
    QString text = memo->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    text.replace(QChar::LineSeparator, QLatin1String("\r\n"));
    return text;
}
