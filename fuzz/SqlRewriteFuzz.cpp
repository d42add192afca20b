// The program's SQL dialect rewrite and the quoting of values: the rewrite
// only ever drops the "*" of a leading "DELETE * FROM", and a quoted value
// ends nowhere before its closing quote. The server's reading of the text
// (statements, numbered placeholders, names as written) stays within it.
#include "FuzzSupport.h"

#include "NyConnection.h"
#include "ServerSqlText.h"
#include "SqlText.h"

namespace {

QString TrimEnd(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isSpace())
        --end;
    return text.left(end);
}

QString TrimStart(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start].isSpace())
        ++start;
    return text.mid(start);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    const QString sql = ConsumeRemainingText(provider);

    const QString translated = TranslateSql(sql);
    if (translated != sql) {
        const qsizetype star = sql.indexOf(QLatin1Char('*'));
        FUZZ_CHECK(star > 0);
        const QString before = TrimEnd(sql.left(star));
        const QString after = TrimStart(sql.mid(star + 1));
        FUZZ_CHECK(before.trimmed().compare(QLatin1String("DELETE"), Qt::CaseInsensitive) == 0);
        FUZZ_CHECK(after.startsWith(QLatin1String("FROM"), Qt::CaseInsensitive));
        FUZZ_CHECK(translated == before + QLatin1Char(' ') + after);
    }

    const qsizetype end = FirstStatementEnd(sql);
    FUZZ_CHECK(end >= 0 && end <= sql.size());
    int placeholders = -1;
    const QString numbered = NumberPlaceholders(sql, placeholders);
    FUZZ_CHECK(placeholders >= 0 && placeholders <= sql.count(QLatin1Char('?')));
    FUZZ_CHECK(numbered.count(QLatin1Char('?')) == sql.count(QLatin1Char('?')) - placeholders);
    for (const QString& written : WrittenNames(sql))
        FUZZ_CHECK(sql.contains(written));

    const QString quoted = SQLQuote(sql);
    // Every quote comes in a pair, so the literal ends only at the closing quote.
    for (qsizetype i = 0; (i = quoted.indexOf(QLatin1Char('\''), i)) >= 0; i += 2)
        FUZZ_CHECK(i + 1 < quoted.size() && quoted[i + 1] == QLatin1Char('\''));
    QString unquoted = quoted;
    unquoted.replace(QLatin1String("''"), QLatin1String("'"));
    FUZZ_CHECK(unquoted == sql);
    return 0;
}
