#include "results/ExactMatch.h"

#include <algorithm>

namespace results {
namespace {

// One entry per engine: the comparison of a text column, of any other column, and whether the
// engine keeps a storage class per value (then the class is compared too). %1 is the column.
struct Exact
{
    db::Engine engine;
    const char* text;
    const char* other;
    bool storageClass;
};

// clang-format off
// In each, a plain "=" comes first so that an index on the column (in its own collation) finds
// the row; the exact comparison then picks it.
constexpr Exact exactByEngine[] = {
    // BINARY compares bytes whatever the column's collation (NOCASE, RTRIM); 1 = 1.0 is true in
    // SQLite, so the storage class decides between an integer and a real. Any column may hold
    // text, whatever its declared type.
    {db::Engine::SQLite, "%1 = ? AND %1 = ? COLLATE BINARY", "%1 = ? AND %1 = ? COLLATE BINARY", true},
    // The no-pad binary collation tells 'abc' from 'ABC' and 'abc ' (a _bin one pads with blanks).
    {db::Engine::MySql, "%1 = ? AND %1 = CONVERT(? USING utf8mb4) COLLATE utf8mb4_nopad_bin", "%1 = ?", false},
    // Equal under a nondeterministic collation is not enough: the text is compared byte by byte
    // too, against the value read through the column's own type (char(n) keeps its padding).
    {db::Engine::PostgreSql,
     "%1 = ? AND %1::text COLLATE \"C\" = (CASE WHEN false THEN %1 ELSE ? END)::text", "%1 = ?", false},
    // BIN2 compares code points but, like every SQL Server collation, pads with blanks: the
    // lengths with a closing character tell 'abc' from 'abc '.
    {db::Engine::SqlServer,
     "%1 = ? AND %1 = ? COLLATE Latin1_General_BIN2 AND LEN(%1 + N'.') = LEN(? + N'.')", "%1 = ?", false},
};
// clang-format on

const char* storageClassName(db::ValueKind kind)
{
    switch (kind) {
    case db::ValueKind::Integer:
        return "integer";
    case db::ValueKind::Real:
        return "real";
    case db::ValueKind::Blob:
        return "blob";
    case db::ValueKind::Text:
        break;
    }
    return "text";
}

} // namespace

std::optional<ExactTerm> exactEquals(db::Engine engine, const QString& column, bool text,
                                     std::optional<db::ValueKind> kind)
{
    for (const Exact& e : exactByEngine) {
        if (e.engine != engine)
            continue;
        const QLatin1String form(text ? e.text : e.other);
        QString sql = QString(form).arg(column);
        if (e.storageClass && kind)
            sql +=
                QStringLiteral(" AND typeof(%1) = '%2'").arg(column, QLatin1String(storageClassName(*kind)));
        return ExactTerm{sql, int(std::count(form.begin(), form.end(), '?'))};
    }
    return std::nullopt;
}

ExactTerm equalsTerm(db::Engine engine, const QString& column, bool text, std::optional<db::ValueKind> kind)
{
    if (std::optional<ExactTerm> exact = exactEquals(engine, column, text, kind))
        return *exact;
    return ExactTerm{column + QStringLiteral(" = ?"), 1};
}

} // namespace results
