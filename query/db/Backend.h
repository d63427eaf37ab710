#pragma once

// The seam between the data objects (Connection, Recordset) and the engines that do the work
// (sqlite/, odbc/). A backend speaks text: every cell is read as text, every parameter is bound
// as text or null. That keeps the grid, the plain-text output and the export byte-for-byte what
// the engine produced, and keeps each backend small.
//
// Threading: one thread at a time. A run's execute() may be made on a worker thread while the
// user-interface thread waits (see Watch.h); cancel() is the one call made from another thread
// meanwhile. Errors: every method that can fail throws db::Error (see Error.h for the numbers).

#include "query/db/Error.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string_view>

namespace db {

// How a value is stored, where the engine keeps a storage class per value (SQLite); the values of
// every other engine are text.
enum class ValueKind : quint8 { Text, Integer, Real, Blob };

// What the engine says about one result column. Every text except the name may be empty when
// the engine does not know it (an expression, a driver without base-table metadata).
struct ColumnInfo
{
    QString name;         // the column's label as the statement named it
    QString baseTable;    // the table the value comes from
    QString baseColumn;   // the column in that table
    QString baseSchema;   // owner / schema of that table (ODBC), empty for SQLite
    QString baseCatalog;  // database of that table (ODBC catalog; SQLite's "main", "temp", ...)
    int sqlType = 0;      // ODBC SQL data type code (SQL_VARCHAR, SQL_INTEGER, ...; sqlext.h)
    bool untyped = false; // declared without a type (SQLite): the column keeps any value as given
};

// One result of a statement or batch. It is positioned before the first row of the current
// result; fetch() moves forward only. A result keeps whatever it needs from its connection
// alive, but the caller destroys all results of a connection before the connection itself.
class BackendResult
{
public:
    virtual ~BackendResult() = default;

    // True when the current statement produced a row set (possibly empty); false for a statement
    // without columns (insert, update, DDL): the data objects show that as a closed set.
    virtual bool hasRows() const = 0;
    // Rows changed by the current statement when it had no row set, -1 when not known.
    virtual qint64 rowsAffected() const = 0;

    // Columns of the current row set; 0 when !hasRows().
    virtual int columnCount() const = 0;
    // 0 <= i < columnCount(). The reference stays valid until nextResult() or destruction.
    virtual const ColumnInfo& column(int i) const = 0;

    // Moves to the next row of the current row set; false at its end (and from then on).
    // Costs no memory per row: the backend holds at most one row array.
    virtual bool fetch() = 0;
    // Cell access on the current row (after fetch() returned true), 0 <= col < columnCount().
    virtual bool isNull(int col) = 0;
    // True when the cell holds bytes, which utf8() and text() give as hexadecimal digits (two
    // per byte, upper case), so that no two values look alike and no text holds control
    // characters the database did not store as text.
    virtual bool isBinary(int col) = 0;
    // The cell's text as UTF-8, exactly as the engine gave it; empty for null (test isNull()).
    // The view stays valid until the next fetch(), nextResult() or destruction, so the
    // fast path copies nothing.
    virtual std::string_view utf8(int col) = 0;
    // The same text as a QString (a null cell gives a null QString).
    virtual QString text(int col) = 0;
    // The cell's storage class and, for a real, its exact value (the text may round it for
    // display). Text and 0 where the engine keeps no class per value.
    virtual ValueKind kind(int /*col*/) { return ValueKind::Text; }
    virtual double real(int /*col*/) { return 0; }

    // Moves to the next result of the batch, positioned before its first row. False when the
    // batch has no more results; the object is then empty (hasRows() false, no columns).
    // Rows of the current result that were not read are discarded.
    virtual bool nextResult() = 0;
};

// A parameter of executeUpdate(): null, or text with the storage class to bind it with where
// the engine keeps one (SQLite; every other engine takes the text). A real binds `real`, whose
// text may be rounded; a blob binds `bytes`.
struct Param
{
    std::optional<QString> text;
    ValueKind kind = ValueKind::Text;
    double real = 0;
    QByteArray bytes;

    Param() = default;
    Param(std::nullopt_t) {}
    Param(std::optional<QString> value) : text(std::move(value)) {}
    Param(const QString& value) : text(value) {}

    bool has_value() const { return text.has_value(); }
    explicit operator bool() const { return text.has_value(); }
    const QString& operator*() const { return *text; }
    const QString* operator->() const { return &*text; }
    // The same value: null or not, the same text and storage class, and for a real the same number.
    bool operator==(const Param& other) const
    {
        return text == other.text && kind == other.kind && (kind != ValueKind::Real || real == other.real) &&
               (kind != ValueKind::Blob || bytes == other.bytes);
    }
};

// The kind of engine behind a connection, for the few generated statements that engines
// write differently (direct edit's one-row limit).
enum class Engine { Other, SQLite, SqlServer, MySql, Access, Oracle, PostgreSql };

// An open connection to one database. Closed when destroyed.
class BackendConnection
{
public:
    virtual ~BackendConnection() = default;

    virtual Engine engine() const { return Engine::Other; }
    // True when the driver cannot write at all (mdbtools reads Access files only) or the data
    // source says it is read-only.
    virtual bool readOnly() const { return false; }

    // Asks the engine to stop the statement that execute() is running on another thread, or the
    // batch whose result is still open (SQLCancel, sqlite3_interrupt). Safe from any thread, at
    // any time, more than once; a cancel that comes before the execute starts stops it at once.
    // The statements of the batch not yet run are not run; callers close the connection after.
    virtual void cancel() {}

    // Seconds a statement may run before it is abandoned; 0 means no limit. The data objects
    // set it before every execute().
    virtual void setCommandTimeout(int seconds) = 0;

    // The next execute()'s rows are all to be read into memory (a client-side set). An engine
    // that streams rows off the connection reads the whole batch at once instead, leaving the
    // connection free for the statements that follow.
    virtual void setClientSide(bool /*clientSide*/) {}

    // Runs the text as one command; a text of several statements runs as a batch, each
    // statement giving its own result in order (nextResult()). The returned result is at the
    // first result of the batch. Errors of the first statement are thrown here; errors of a
    // later statement are thrown by the nextResult() that reaches it, or earlier. When a result
    // is destroyed before the batch was walked to its end, the statements not yet run still
    // run (their rows discarded, their errors ignored), as a server finishes a batch whose
    // later results nobody reads.
    virtual std::unique_ptr<BackendResult> execute(const QString& sql) = 0;

    // Runs one statement with "?" placeholders bound, in order, to params (text, or null) and
    // returns the number of rows it changed. Used by direct edit to write a cell back.
    virtual qint64 executeUpdate(const QString& sql, const QList<Param>& params) = 0;

    // Runs one statement with "?" placeholders bound like executeUpdate()'s and returns its
    // rows. Used by direct edit to read back what a write left in the row.
    virtual std::unique_ptr<BackendResult> query(const QString& sql, const QList<Param>& params) = 0;

    // The names of the primary-key columns of a table, in key order; empty when the table has
    // no key or the driver cannot tell. catalog and schema may be empty (the current ones).
    virtual QStringList primaryKey(const QString& catalog, const QString& schema, const QString& table) = 0;

    // The identifier quoted the way this engine wants it in generated SQL ("a b" -> "a b" in
    // double quotes, `a b`, [a b]), with embedded quote characters doubled.
    virtual QString quoteIdentifier(const QString& identifier) const = 0;

    // An explicit transaction around the execute() calls in between.
    virtual void beginTransaction() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
};

} // namespace db
