#include "query/db/ClientCursor.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace db {
namespace {

// A block closes at this many rows, or earlier when its text nears what 32-bit offsets reach.
constexpr qint64 rowsPerBlock = 4096;
constexpr size_t bytesPerBlock = size_t(1) << 30;

} // namespace

const ClientCursor::Block& ClientCursor::blockOf(qint64 row) const
{
    auto it = std::upper_bound(blocks_.begin(), blocks_.end(), row,
                               [](qint64 r, const Block& b) { return r < b.firstRow; });
    return *(it - 1);
}

bool ClientCursor::isNull(qint64 row, int col) const
{
    const Block& b = blockOf(row);
    return b.nulls[size_t((row - b.firstRow) * columnCount() + col)];
}

std::string_view ClientCursor::utf8(qint64 row, int col) const
{
    const Block& b = blockOf(row);
    const size_t cell = size_t((row - b.firstRow) * columnCount() + col);
    const size_t begin = cell == 0 ? 0 : b.ends[cell - 1];
    return std::string_view(b.bytes.data() + begin, b.ends[cell] - begin);
}

QString ClientCursor::text(qint64 row, int col) const
{
    if (isNull(row, col))
        return QString();
    const std::string_view bytes = utf8(row, col);
    if (bytes.empty())
        return QString(QLatin1String("")); // empty, not null
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

void ClientCursor::load(BackendResult& result)
{
    columns_.clear();
    blocks_.clear();
    rows_ = 0;
    const int columns = result.columnCount();
    for (int i = 0; i < columns; ++i) {
        ClientColumn column;
        static_cast<ColumnInfo&>(column) = result.column(i);
        columns_.push_back(std::move(column));
    }
    if (columns == 0)
        return;

    while (result.fetch()) {
        size_t rowBytes = 0;
        for (int c = 0; c < columns; ++c)
            rowBytes += result.utf8(c).size();
        if (blocks_.empty() || blocks_.back().rows == rowsPerBlock ||
            (blocks_.back().rows > 0 && blocks_.back().bytes.size() + rowBytes > bytesPerBlock)) {
            Block fresh;
            fresh.firstRow = rows_;
            blocks_.push_back(std::move(fresh));
        }
        Block& b = blocks_.back();
        for (int c = 0; c < columns; ++c) {
            const bool null = result.isNull(c);
            if (!null) {
                const std::string_view cell = result.utf8(c);
                b.bytes.append(cell.data(), cell.size());
            }
            b.ends.push_back(quint32(b.bytes.size()));
            b.nulls.push_back(null);
        }
        ++b.rows;
        ++rows_;
    }
    for (Block& b : blocks_) {
        b.bytes.shrink_to_fit();
        b.ends.shrink_to_fit();
        b.nulls.shrink_to_fit();
    }
}

void ClientCursor::describe(BackendConnection& connection, const QString& sourceText)
{
    const bool anyBase = std::any_of(columns_.begin(), columns_.end(),
                                     [](const ClientColumn& c) { return !c.baseTable.isEmpty(); });
    if (!anyBase) {
        if (const std::optional<TableName> table = singleTableOf(sourceText)) {
            for (ClientColumn& c : columns_) {
                c.baseCatalog = table->catalog;
                c.baseSchema = table->schema;
                c.baseTable = table->table;
                c.baseColumn = c.name;
            }
        }
    }

    std::map<std::tuple<QString, QString, QString>, QStringList> keysOf;
    for (ClientColumn& c : columns_) {
        if (c.baseTable.isEmpty())
            continue;
        const auto id = std::make_tuple(c.baseCatalog, c.baseSchema, c.baseTable);
        auto found = keysOf.find(id);
        if (found == keysOf.end()) {
            QStringList keys;
            try {
                keys = connection.primaryKey(c.baseCatalog, c.baseSchema, c.baseTable);
            } catch (const Error&) {
                // No key information: the editor falls back to matching every original value.
            }
            found = keysOf.emplace(id, keys).first;
        }
        c.keyColumns = found->second;
    }
}

// ---- single-table query recognition ----

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

    TableName name;
    name.table = parts.takeLast();
    if (!parts.isEmpty())
        name.schema = parts.takeLast();
    if (!parts.isEmpty())
        name.catalog = parts.takeLast();
    return name;
}

} // namespace db
