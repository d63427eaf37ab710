#pragma once

// What the program reads from a query's own text where the engine does not say it: the table of
// a single-table query, and how a query reads its tables (direct edit writes only where one row
// of the result is one row of one table).

#include <QList>
#include <QString>
#include <optional>

namespace db {

struct TableName
{
    QString catalog;
    QString schema;
    QString table;
};

// The table named by a single-table query: "SELECT ... FROM name ..." where name may be
// bracketed, quoted or owner-qualified (catalog.schema.table), with no join and no comma in
// the FROM list. nullopt for anything else.
std::optional<TableName> singleTableOf(const QString& selectText);

// How a query reads its tables: every name that follows FROM or JOIN or a comma of a FROM list,
// at any depth (sub-queries and common table expressions included), and whether it combines
// the rows of several queries (UNION, INTERSECT or EXCEPT, anywhere). Of a batch, only the
// first statement, whose result is the one shown.
struct QueryShape
{
    QList<TableName> tables;
    bool combined = false;

    // How often the query names this table (catalog and schema compared where both name one).
    int timesNamed(const TableName& table) const;
    // A name the query reads more than once, if any.
    std::optional<QString> namedTwice() const;
};
QueryShape shapeOf(const QString& selectText);

} // namespace db
