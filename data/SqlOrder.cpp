#include "SqlOrder.h"

namespace {

struct TToken {
    enum Kind { Word, Name, Text, Symbol } kind;
    QString text; // a word as written, a name unquoted
    int depth;    // parentheses around it
};

bool IsWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool IsWordPart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

// Splits the statement into words, quoted names, literals and symbols;
// nothing when a quote or comment is left open.
std::optional<std::vector<TToken>> Tokens(const QString& sql)
{
    std::vector<TToken> tokens;
    int depth = 0;
    const int size = static_cast<int>(sql.size());
    for (int i = 0; i < size;) {
        const QChar c = sql.at(i);
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < size && sql.at(i + 1) == QLatin1Char('-')) {
            while (i < size && sql.at(i) != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < size && sql.at(i + 1) == QLatin1Char('*')) {
            const int end = static_cast<int>(sql.indexOf(QLatin1String("*/"), i + 2));
            if (end < 0)
                return std::nullopt;
            i = end + 2;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            QString text;
            int j = i + 1;
            for (;; ++j) {
                if (j >= size)
                    return std::nullopt;
                if (sql.at(j) == close) {
                    // A doubled quote stands for itself; brackets have no escape.
                    if (close != QLatin1Char(']') && j + 1 < size && sql.at(j + 1) == close) {
                        text += close;
                        ++j;
                        continue;
                    }
                    break;
                }
                text += sql.at(j);
            }
            tokens.push_back({c == QLatin1Char('\'') ? TToken::Text : TToken::Name, text, depth});
            i = j + 1;
        } else if (IsWordStart(c)) {
            int j = i + 1;
            while (j < size && IsWordPart(sql.at(j)))
                ++j;
            tokens.push_back({TToken::Word, sql.mid(i, j - i), depth});
            i = j;
        } else {
            if (c == QLatin1Char(')'))
                --depth;
            tokens.push_back({TToken::Symbol, QString(c), depth});
            if (c == QLatin1Char('('))
                ++depth;
            ++i;
        }
    }
    return tokens;
}

bool IsWord(const TToken& token, const char* word)
{
    return token.kind == TToken::Word && token.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool IsSymbol(const TToken& token, char symbol)
{
    return token.kind == TToken::Symbol && token.text == QLatin1Char(symbol);
}

// One term: a column, optionally qualified, then COLLATE and ASC/DESC.
std::optional<TOrderTerm> Term(const std::vector<TToken>& tokens)
{
    size_t at = 0;
    auto isName = [&](size_t i) {
        return i < tokens.size() && (tokens[i].kind == TToken::Name || tokens[i].kind == TToken::Word);
    };
    if (!isName(at))
        return std::nullopt;
    TOrderTerm term;
    term.column = tokens[at++].text;
    if (at < tokens.size() && IsSymbol(tokens[at], '.')) {
        if (!isName(at + 1))
            return std::nullopt;
        term.column += QLatin1Char('.') + tokens[at + 1].text;
        at += 2;
    }
    if (at < tokens.size() && IsWord(tokens[at], "COLLATE")) {
        if (!isName(at + 1))
            return std::nullopt;
        term.collation = tokens[at + 1].text;
        at += 2;
    }
    if (at < tokens.size() && (IsWord(tokens[at], "ASC") || IsWord(tokens[at], "DESC"))) {
        term.descending = IsWord(tokens[at], "DESC");
        ++at;
    }
    if (at != tokens.size())
        return std::nullopt;
    return term;
}

} // namespace

std::optional<std::vector<TOrderTerm>> ParseOrderBy(const QString& sql)
{
    const std::optional<std::vector<TToken>> all = Tokens(sql);
    if (!all)
        return std::nullopt;
    // The statement's own clauses are those outside every parenthesis.
    std::vector<TToken> top;
    for (const TToken& token : *all)
        if (token.depth == 0)
            top.push_back(token);
    while (!top.empty() && IsSymbol(top.back(), ';'))
        top.pop_back();
    for (const char* word : {"UNION", "INTERSECT", "EXCEPT", "GROUP", "HAVING", "LIMIT", "WINDOW", "VALUES"})
        for (const TToken& token : top)
            if (IsWord(token, word))
                return std::nullopt;
    size_t order = top.size();
    for (size_t i = 0; i + 1 < top.size(); ++i)
        if (IsWord(top[i], "ORDER") && IsWord(top[i + 1], "BY"))
            order = i;
    std::vector<TOrderTerm> terms;
    if (order == top.size())
        return terms;
    std::vector<TToken> term;
    for (size_t i = order + 2; i <= top.size(); ++i) {
        if (i == top.size() || IsSymbol(top[i], ',')) {
            const std::optional<TOrderTerm> parsed = Term(term);
            if (!parsed)
                return std::nullopt;
            terms.push_back(*parsed);
            term.clear();
        } else {
            term.push_back(top[i]);
        }
    }
    return terms;
}
