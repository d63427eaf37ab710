#include "query/db/mariadb/PlaceholderText.h"

#include "query/db/Hex.h"
#include "query/db/mariadb/MariaDbHandles.h"

#include <string>

namespace db::mariadb {

namespace {

void appendLiteral(MYSQL* my, QByteArray& out, const Param& p)
{
    if (!p) {
        out += "NULL";
        return;
    }
    if (p.kind == ValueKind::Blob) {
        std::string hex;
        appendHex(hex, p.bytes.constData(), static_cast<size_t>(p.bytes.size()));
        out += "X'";
        out += QByteArray::fromStdString(hex);
        out += '\'';
        return;
    }
    const QByteArray text = p->toUtf8();
    QByteArray escaped(text.size() * 2 + 1, Qt::Uninitialized);
    const unsigned long size = mysql_real_escape_string(my, escaped.data(), text.constData(),
                                                        static_cast<unsigned long>(text.size()));
    out += '\'';
    out.append(escaped.constData(), static_cast<qsizetype>(size));
    out += '\'';
}

// The index just past the quoted text, comment or single character that starts at `at`.
qsizetype skipToken(const QByteArray& sql, qsizetype at)
{
    const qsizetype n = sql.size();
    const char c = sql[at];
    if (c == '\'' || c == '"' || c == '`') {
        qsizetype i = at + 1;
        while (i < n && sql[i] != c)
            i += (c != '`' && sql[i] == '\\') ? 2 : 1;
        return std::min(i + 1, n);
    }
    const bool dashes = c == '-' && at + 2 < n && sql[at + 1] == '-' && QChar(sql[at + 2]).isSpace();
    if (c == '#' || dashes) {
        const qsizetype end = sql.indexOf('\n', at);
        return end < 0 ? n : end + 1;
    }
    if (c == '/' && at + 1 < n && sql[at + 1] == '*') {
        const qsizetype end = sql.indexOf("*/", at + 2);
        return end < 0 ? n : end + 2;
    }
    return at + 1;
}

} // namespace

QByteArray withValues(MYSQL* my, const QByteArray& sql, const QList<Param>& params)
{
    QByteArray out;
    out.reserve(sql.size() + 64);
    qsizetype used = 0;
    for (qsizetype at = 0; at < sql.size();) {
        if (sql[at] == '?') {
            if (used < params.size())
                appendLiteral(my, out, params[used]);
            ++used;
            ++at;
            continue;
        }
        const qsizetype next = skipToken(sql, at);
        out.append(sql.constData() + at, next - at);
        at = next;
    }
    if (used != params.size())
        throw markerCountError(used, params.size());
    return out;
}

} // namespace db::mariadb
