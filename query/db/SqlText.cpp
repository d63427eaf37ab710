#include "query/db/SqlText.h"

#include <QStringList>
#include <vector>

namespace db {

namespace {

struct Token
{
    enum Kind { Word, Quoted, Punct, End } kind = End;
    QString text; // a word as written, a quoted name without its quotes, or the punctuation
};

// Just enough of SQL's lexical rules to find the FROM list: words, quoted names, string
// literals (skipped), comments (skipped) and single punctuation characters.
class Lexer
{
public:
    explicit Lexer(const QString& text) : s_(text) {}

    Token next()
    {
        skipBlanksAndComments();
        if (i_ >= s_.size())
            return {Token::End, {}};
        const QChar c = s_[i_];
        if (c == u'\'') {
            skipQuoted(u'\'');
            return {Token::Punct, QStringLiteral("'")};
        }
        if (c == u'[')
            return {Token::Quoted, readQuoted(u']')};
        if (c == u'"')
            return {Token::Quoted, readQuoted(u'"')};
        if (c == u'`')
            return {Token::Quoted, readQuoted(u'`')};
        if (isWordChar(c)) {
            const qsizetype start = i_;
            while (i_ < s_.size() && isWordChar(s_[i_]))
                ++i_;
            return {Token::Word, s_.mid(start, i_ - start)};
        }
        ++i_;
        return {Token::Punct, QString(c)};
    }

private:
    static bool isWordChar(QChar c)
    {
        return c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'#' || c == u'@' || c.isSurrogate();
    }

    void skipBlanksAndComments()
    {
        for (;;) {
            while (i_ < s_.size() && s_[i_].isSpace())
                ++i_;
            if (s_.mid(i_, 2) == QLatin1String("--")) {
                while (i_ < s_.size() && s_[i_] != u'\n')
                    ++i_;
            } else if (s_.mid(i_, 2) == QLatin1String("/*")) {
                const qsizetype end = s_.indexOf(QLatin1String("*/"), i_ + 2);
                i_ = end < 0 ? s_.size() : end + 2;
            } else {
                return;
            }
        }
    }

    void skipQuoted(QChar close) { readQuoted(close); }

    // Reads a quoted name or literal starting at the opening character; a doubled closing
    // character stands for itself.
    QString readQuoted(QChar close)
    {
        QString out;
        ++i_;
        while (i_ < s_.size()) {
            if (s_[i_] == close) {
                if (i_ + 1 < s_.size() && s_[i_ + 1] == close) {
                    out.append(close);
                    i_ += 2;
                    continue;
                }
                ++i_;
                return out;
            }
            out.append(s_[i_++]);
        }
        return out;
    }

    const QString& s_;
    qsizetype i_ = 0;
};

bool isWord(const Token& t, const char* word)
{
    return t.kind == Token::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool endsFromList(const Token& t)
{
    if (t.kind == Token::End || (t.kind == Token::Punct && t.text == QLatin1String(";")))
        return true;
    for (const char* word : {"WHERE", "GROUP", "ORDER", "HAVING", "LIMIT", "UNION", "EXCEPT", "INTERSECT",
                             "WINDOW", "OFFSET", "FETCH", "FOR"}) {
        if (isWord(t, word))
            return true;
    }
    return false;
}

// catalog.schema.table, from the last part back.
TableName tableNamed(QStringList parts)
{
    TableName name;
    name.table = parts.takeLast();
    if (!parts.isEmpty())
        name.schema = parts.takeLast();
    if (!parts.isEmpty())
        name.catalog = parts.takeLast();
    return name;
}

} // namespace

std::optional<TableName> singleTableOf(const QString& selectText)
{
    Lexer lex(selectText);
    Token t = lex.next();
    if (!isWord(t, "SELECT"))
        return std::nullopt;

    // The FROM of this query, not of a sub-query in the select list.
    int depth = 0;
    for (;;) {
        t = lex.next();
        if (t.kind == Token::End)
            return std::nullopt;
        if (t.kind == Token::Punct && t.text == QLatin1String("("))
            ++depth;
        else if (t.kind == Token::Punct && t.text == QLatin1String(")"))
            --depth;
        else if (t.kind == Token::Punct && t.text == QLatin1String(";") && depth == 0)
            return std::nullopt;
        else if (depth == 0 && isWord(t, "FROM"))
            break;
    }

    // name [. name [. name]]
    QStringList parts;
    for (;;) {
        t = lex.next();
        if (t.kind != Token::Word && t.kind != Token::Quoted)
            return std::nullopt;
        if (t.text.isEmpty())
            return std::nullopt;
        parts.append(t.text);
        t = lex.next();
        if (!(t.kind == Token::Punct && t.text == QLatin1String(".")))
            break;
        if (parts.size() == 3)
            return std::nullopt;
    }

    // The rest of the FROM list may hold an alias, nothing else: no join, no second table.
    for (; !endsFromList(t); t = lex.next()) {
        if (t.kind == Token::Punct && (t.text == QLatin1String(",") || t.text == QLatin1String("(")))
            return std::nullopt;
        for (const char* word :
             {"JOIN", "INNER", "LEFT", "RIGHT", "FULL", "CROSS", "NATURAL", "OUTER", "APPLY"})
            if (isWord(t, word))
                return std::nullopt;
    }

    return tableNamed(parts);
}

namespace {

bool sameTable(const TableName& a, const TableName& b)
{
    const auto same = [](const QString& x, const QString& y) {
        return x.isEmpty() || y.isEmpty() || x.compare(y, Qt::CaseInsensitive) == 0;
    };
    return a.table.compare(b.table, Qt::CaseInsensitive) == 0 && same(a.schema, b.schema) &&
           same(a.catalog, b.catalog);
}

bool isPunct(const Token& t, char c)
{
    return t.kind == Token::Punct && t.text == QLatin1Char(c);
}

} // namespace

int QueryShape::timesNamed(const TableName& table) const
{
    int times = 0;
    for (const TableName& t : tables)
        times += sameTable(t, table) ? 1 : 0;
    return times;
}

std::optional<QString> QueryShape::namedTwice() const
{
    for (const TableName& t : tables)
        if (timesNamed(t) > 1)
            return t.table;
    return std::nullopt;
}

QueryShape shapeOf(const QString& selectText)
{
    QueryShape shape;
    Lexer lex(selectText);
    int depth = 0;
    std::vector<int> fromLists; // depths of the FROM lists being read, innermost last
    bool nameNext = false;
    for (Token t = lex.next(); t.kind != Token::End;) {
        if (nameNext && (t.kind == Token::Word || t.kind == Token::Quoted)) {
            // name [. name [. name]]: a function in the FROM list counts as a name too.
            QStringList parts{t.text};
            for (t = lex.next(); isPunct(t, '.'); t = lex.next()) {
                t = lex.next();
                if (t.kind != Token::Word && t.kind != Token::Quoted)
                    break;
                parts << t.text;
            }
            shape.tables << tableNamed(parts);
            nameNext = false;
            continue;
        }
        nameNext = false;
        if (isPunct(t, ';') && depth == 0)
            break; // the result is the first statement's; what follows in the batch is not read
        if (isWord(t, "UNION") || isWord(t, "INTERSECT") || isWord(t, "EXCEPT"))
            shape.combined = true;
        if (isPunct(t, '(')) {
            ++depth;
        } else if (isPunct(t, ')')) {
            --depth;
            while (!fromLists.empty() && fromLists.back() > depth)
                fromLists.pop_back();
        } else if (isWord(t, "FROM") || isWord(t, "JOIN")) {
            if (fromLists.empty() || fromLists.back() != depth)
                fromLists.push_back(depth);
            nameNext = true;
        } else if (isPunct(t, ',') && !fromLists.empty() && fromLists.back() == depth) {
            nameNext = true;
        } else if (!fromLists.empty() && fromLists.back() == depth && endsFromList(t)) {
            fromLists.pop_back();
        }
        t = lex.next();
    }
    return shape;
}

} // namespace db
