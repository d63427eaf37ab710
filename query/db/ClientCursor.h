#pragma once

#include "query/db/Backend.h"
#include "query/db/SqlText.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace db {

class Watch;

// A column of a client-side set: what the engine said, plus the key columns of its base table
// (empty when the table has no key, the engine cannot tell, or there is no base table).
struct ClientColumn : ColumnInfo
{
    QStringList keyColumns;
};

// The whole result of a client-side Recordset, held in memory exactly as fetched: the
// direct-edit model writes changes back from the original values and its Undo restores them
// from here. Cells are stored as UTF-8 in blocks of rows (one byte buffer and one 32-bit end
// offset per cell, one bit for null), so a cell costs 4 bytes and a bit beyond its text.
class ClientCursor
{
public:
    int columnCount() const { return int(columns_.size()); }
    const ClientColumn& column(int i) const { return columns_[size_t(i)]; }
    qint64 rowCount() const { return rows_; }

    // 0 <= row < rowCount(), 0 <= col < columnCount().
    bool isNull(qint64 row, int col) const;
    // The cell holds bytes, kept as their hexadecimal text (BackendResult::isBinary).
    bool isBinary(qint64 row, int col) const;
    // Valid while the cursor lives (cells are never moved once stored).
    std::string_view utf8(qint64 row, int col) const;
    QString text(qint64 row, int col) const;
    // The value as fetched, with its storage class (and a real's exact value): what a write
    // binds to name this cell's row.
    Param value(qint64 row, int col) const;

    // Takes the columns of result's current row set and reads all its remaining rows; with a
    // watch, asks it before each row and stops, keeping the rows read, when it says so.
    void load(BackendResult& result, Watch* watch = nullptr);
    // Fills in base tables and key columns. When the engine named no base table for any
    // column, the single table of "SELECT ... FROM name ..." in sourceText is taken as the base
    // of every column (base column = the column's name). Key lookups that fail leave the key
    // list empty rather than failing the open.
    void describe(BackendConnection& connection, const QString& sourceText);
    // The text of the query the set came from, as describe() was given it.
    const QString& sourceText() const { return sourceText_; }

private:
    struct Block
    {
        qint64 firstRow = 0;
        qint64 rows = 0;
        std::string bytes;
        std::vector<quint32> ends; // end offset of each cell in bytes, row-major
        std::vector<bool> nulls;
        std::vector<ValueKind> kinds;
        std::unordered_map<size_t, double> reals; // cell -> exact value, where its text rounds it
        std::vector<bool> binaries;
    };
    const Block& blockOf(qint64 row) const;

    std::vector<ClientColumn> columns_;
    std::vector<Block> blocks_;
    qint64 rows_ = 0;
    QString sourceText_;
};

} // namespace db
