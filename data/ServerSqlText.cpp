#include "ServerSqlText.h"

namespace {

// Calls code(begin, end) for every stretch of the text that is neither
// quoted nor a comment, front to back; stops when it returns false.
template <typename Code>
void ForEachCodeStretch(const QString& sql, Code code, bool* quoted = nullptr)
{
    const qsizetype size = sql.size();
    qsizetype start = 0;
    qsizetype i = 0;
    auto flush = [&](qsizetype end) {
        const bool more = start >= end || code(start, end);
        return more;
    };
    while (i < size) {
        const QChar c = sql[i];
        qsizetype skipTo = -1;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A quote inside is written twice, which reads as two quoted runs.
            const qsizetype close = sql.indexOf(c, i + 1);
            skipTo = close < 0 ? size : close + 1;
            if (quoted)
                *quoted = true;
        } else if (c == QLatin1Char('-') && i + 1 < size && sql[i + 1] == QLatin1Char('-')) {
            const qsizetype close = sql.indexOf(QLatin1Char('\n'), i + 2);
            skipTo = close < 0 ? size : close + 1;
        } else if (c == QLatin1Char('/') && i + 1 < size && sql[i + 1] == QLatin1Char('*')) {
            const qsizetype close = sql.indexOf(QLatin1String("*/"), i + 2);
            skipTo = close < 0 ? size : close + 2;
        } else if (c == QLatin1Char('$') && (i == 0 || !(sql[i - 1].isLetterOrNumber() || sql[i - 1] == QLatin1Char('_')))) {
            // $tag$ ... $tag$; "$1" is a placeholder, not a quote.
            qsizetype j = i + 1;
            while (j < size && (sql[j].isLetter() || sql[j] == QLatin1Char('_')))
                ++j;
            if (j < size && sql[j] == QLatin1Char('$')) {
                const QString tag = sql.mid(i, j - i + 1);
                const qsizetype close = sql.indexOf(tag, j + 1);
                skipTo = close < 0 ? size : close + tag.size();
                if (quoted)
                    *quoted = true;
            }
        }
        if (skipTo < 0) {
            ++i;
            continue;
        }
        if (!flush(i))
            return;
        i = skipTo;
        start = i;
    }
    flush(size);
}

bool IsNameStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool IsNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

} // namespace

qsizetype FirstStatementEnd(const QString& sql)
{
    qsizetype end = sql.size();
    ForEachCodeStretch(sql, [&](qsizetype begin, qsizetype stop) {
        const qsizetype semicolon = sql.indexOf(QLatin1Char(';'), begin);
        if (semicolon >= 0 && semicolon < stop) {
            end = semicolon + 1;
            return false;
        }
        return true;
    });
    return end;
}

bool IsBlankSql(const QString& sql)
{
    bool blank = true;
    bool quoted = false;
    ForEachCodeStretch(
        sql,
        [&](qsizetype begin, qsizetype stop) {
            for (qsizetype i = begin; i < stop; ++i) {
                if (!sql[i].isSpace() && sql[i] != QLatin1Char(';')) {
                    blank = false;
                    return false;
                }
            }
            return true;
        },
        &quoted);
    // Quoted text is no blank, comments are.
    return blank && !quoted;
}

QString NumberPlaceholders(const QString& sql, int& count)
{
    count = 0;
    QString result;
    result.reserve(sql.size() + 16);
    qsizetype copied = 0;
    ForEachCodeStretch(sql, [&](qsizetype begin, qsizetype stop) {
        for (qsizetype i = begin; i < stop; ++i) {
            if (sql[i] != QLatin1Char('?'))
                continue;
            result += QStringView(sql).mid(copied, i - copied);
            result += QLatin1Char('$') + QString::number(++count);
            copied = i + 1;
        }
        return true;
    });
    result += QStringView(sql).mid(copied);
    return result;
}

QHash<QString, QString> WrittenNames(const QString& sql)
{
    QHash<QString, QString> names;
    ForEachCodeStretch(sql, [&](qsizetype begin, qsizetype stop) {
        qsizetype i = begin;
        while (i < stop) {
            if (!IsNameStart(sql[i]) || (i > begin && IsNamePart(sql[i - 1]))) {
                ++i;
                continue;
            }
            qsizetype j = i + 1;
            while (j < stop && IsNamePart(sql[j]))
                ++j;
            const QString name = sql.mid(i, j - i);
            const QString lower = name.toLower();
            if (!names.contains(lower))
                names.insert(lower, name);
            i = j;
        }
        return true;
    });
    return names;
}
