#pragma once

#include "query/db/Backend.h"
#include "query/db/ClientCursor.h"

#include <QString>
#include <QVariant>
#include <memory>
#include <string_view>

namespace db {

class Command;
class Connection;
class Recordset;
class Watch;

// Constants of the classic data objects, with their values.
enum CursorLocationEnum { adUseServer = 2, adUseClient = 3 };
enum CursorTypeEnum {
    adOpenUnspecified = -1,
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3
};
enum LockTypeEnum {
    adLockUnspecified = -1,
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4
};
enum ObjectStateEnum { adStateClosed = 0, adStateOpen = 1 };

// One field of the current record. A light handle: it reads through to its Recordset, so it
// follows the current record as the set moves, and must not outlive the set.
class Field
{
public:
    QString Name() const;
    // The value of the current record: QVariant() for null, otherwise the text (QString).
    // Throws at the end of data or on a closed set.
    QVariant Value() const;

    // Fast access for readers of many rows: no QVariant, no QString. Both throw like Value().
    bool isNull() const;
    // UTF-8 text of the current record, valid until the set moves; empty for null.
    std::string_view utf8View() const;
    // The value as text; a null QString for null.
    QString text() const;

    int index() const { return col_; }

private:
    friend class Fields;
    Field(const Recordset* set, int col) : set_(set), col_(col) {}
    const Recordset* set_;
    int col_;
};

// The fields of a Recordset, by position (0-based) or by name in any letter case.
class Fields
{
public:
    int Count() const;
    // Both throw db::Error when there is no such field.
    Field Item(int index) const;
    Field Item(const QString& name) const;
    Field operator[](int index) const { return Item(index); }
    Field operator[](const QString& name) const { return Item(name); }

private:
    friend class Recordset;
    explicit Fields(const Recordset* set) : set_(set) {}
    const Recordset* set_;
};

// A result set. Forward-only and read straight from the engine unless CursorLocation is
// adUseClient (or the cursor type keyset or static is asked for): then the whole result is read
// into a ClientCursor at Open, with base tables and key columns, and can be rewound and edited.
//
// A Recordset is moved, never copied. It keeps its connection's engine alive while it is open,
// so a Connection may be closed while the grid still reads a set from it.
class Recordset
{
public:
    int CursorLocation = adUseServer;

    Recordset();
    ~Recordset();
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Runs source on an open connection.
    void Open(const QString& source, Connection& activeConnection, int cursorType = adOpenUnspecified,
              int lockType = adLockUnspecified);
    // Opens a connection of its own from connectionString (closed again with the set).
    void Open(const QString& source, const QString& connectionString, int cursorType = adOpenUnspecified,
              int lockType = adLockUnspecified);
    // Runs the command's text on its ActiveConnection.
    void Open(const Command& source, int cursorType = adOpenUnspecified, int lockType = adLockUnspecified);

    // End of data. Named Eof because EOF is a macro of the C library. Throws on a closed set,
    // as the classic library does: a statement without rows cannot be read.
    bool Eof() const;
    void MoveNext();
    // Back to the first record: a client-side set any time; a forward-only set only while it
    // has not moved (otherwise db::Error).
    void MoveFirst();
    // The next result of the batch; this set is closed. After the last result the returned set
    // is closed and isNothing() (the classic library's Nothing).
    Recordset NextRecordset();
    // adStateOpen while the set has rows to read (even none); adStateClosed after Close, for a
    // statement without rows, and for isNothing().
    int State() const;
    // The number of records of a client-side set; -1 for a forward-only set. Throws when closed.
    qint64 RecordCount() const;
    db::Fields Fields() const { return db::Fields(this); }
    // Releases the result (and a connection the set opened itself). Closing a closed set does
    // nothing.
    void Close();

    // True for the set NextRecordset returns when the batch has no more results.
    bool isNothing() const;
    // Runs the statements of the batch that follow this result, their rows discarded, so that
    // the database is as the whole batch leaves it; the first error among them is thrown. A
    // client-side set keeps its rows; a forward-only set loses the rows it has not read.
    void runRestOfBatch();

    // The fast path of forward reading: the current record's cell, no per-cell object.
    // Each throws like Field::Value() at the end of data or out of range.
    bool isNull(int col) const;
    std::string_view cellUtf8(int col) const;
    QString cellText(int col) const;

    // For the direct-edit model: the client-side rows and their metadata (nullptr for a
    // forward-only set), the current record's position, and the engine to write back to.
    const ClientCursor* clientCursor() const;
    qint64 currentRow() const;
    std::shared_ptr<BackendConnection> backendConnection() const;

private:
    friend class Field;
    friend class db::Fields;
    struct Impl;

    void openOn(const QString& source, std::shared_ptr<BackendConnection> backend, int cursorType,
                int lockType, Watch* watch = nullptr);
    void requireRecord(int col) const;
    int indexOf(const QString& name) const;
    QString columnName(int col) const;
    int columnCount() const;

    std::unique_ptr<Impl> d_;
};

} // namespace db
