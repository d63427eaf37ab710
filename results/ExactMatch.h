#pragma once

// How each engine compares a column with a value so that only the very same value matches: not
// a value equal under a case- or trailing-blank-insensitive collation, not a number of another
// storage class. Direct edit names rows with it; an engine without an entry has no exact
// comparison known, so a table of it without a key cannot be edited.

#include "query/db/Backend.h"

#include <QString>
#include <optional>

namespace results {

struct ExactTerm
{
    QString sql;    // a condition with "?" placeholders
    int values = 1; // how many of them: each takes the same value
};

// The condition that `column` (quoted) holds exactly the value bound to it. `text` says the
// column holds text (the result column's SQL type); `kind` is the value's storage class where
// the engine keeps one per value (SQLite), nullopt where it is not known. nullopt when the
// engine has no exact comparison.
std::optional<ExactTerm> exactEquals(db::Engine engine, const QString& column, bool text,
                                     std::optional<db::ValueKind> kind);

// The condition for any engine, exact where exactEquals() knows how and plain "=" elsewhere
// (a key names one row whatever the collation).
ExactTerm equalsTerm(db::Engine engine, const QString& column, bool text, std::optional<db::ValueKind> kind);

} // namespace results
