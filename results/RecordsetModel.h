#pragma once

// The data grid's model in Direct Edit mode: a table over a client-side db::Recordset whose
// cell edits and row deletes go straight to the database, one row or nothing.
//
// Each write names the row by the values the grid holds for it: the key columns of the base
// table (or, where the table has no key or the result does not carry all of it, every column
// of that table the result shows, NULL compared as IS NULL) and, for an edit, the edited
// column's value. It runs in one transaction that is committed only when exactly one row
// changed. Where the table has no key and the result shows all of its columns, rows that match
// are identical and the write is limited to one of them. Whatever goes wrong, the user gets one
// message and the grid shows the value it showed before, except that a row someone else changed
// is shown as the database holds it now.
//
// The recordset keeps every value as fetched; restoreFetched() writes one of those back through
// the same rule (the Undo of the data grid's pop-up menu).

#include "query/db/Recordset.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace results {

class RecordsetModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Takes an open client-side set (CursorLocation adUseClient) and keeps it, and with it its
    // connection, for as long as the model lives. A set that is closed or forward-only gives
    // an empty model.
    explicit RecordsetModel(db::Recordset recordset, QObject* parent = nullptr);
    ~RecordsetModel() override;

    // The data grid's two edit permissions; both withdrawn at first. Adding rows is never
    // offered.
    bool AllowUpdate() const { return allowUpdate_; }
    void setAllowUpdate(bool allow);
    bool AllowDelete() const { return allowDelete_; }
    void setAllowDelete(bool allow);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // With AllowUpdate: writes the value to the database at once (a null QVariant, or an empty
    // text in a column that does not hold text, writes NULL). True when exactly one row took
    // it; the cell then shows what the database holds. Otherwise the user has been told why,
    // nothing changed and false is returned.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // With AllowDelete: deletes each row from the database, one row or nothing each, and from
    // the model. Stops at the first refused row (told to the user); rows deleted before it stay
    // deleted. True when every row went.
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    // Never: the data grid does not add rows.
    bool insertRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

    // The value as fetched by the run (null: QVariant()), whatever was written since.
    QVariant fetchedValue(const QModelIndex& index) const;
    // Writes the fetched value back into the cell through the same rule as an edit, only where
    // this program wrote the value the cell holds and the row still holds it: a value someone
    // else wrote is never overwritten. Needs AllowUpdate like any edit; refusals are reported
    // the same way.
    bool restoreFetched(const QModelIndex& index);

    // The table that edits and deletes write to, as named in messages; "" when nothing can be
    // written (the write itself then says why).
    QString tableName();

    // The set the model shows.
    const db::Recordset& recordset() const { return recordset_; }

private:
    using Value = db::Param; // null is SQL NULL
    struct Target;
    struct RowFilter;

    Value current(qint64 setRow, int col) const;
    Value fetched(qint64 setRow, int col) const;
    // The base table and how rows are named in it; computed on the first write.
    const Target& target();
    // The WHERE that names the set's row in the table by the values shown: the naming columns,
    // and alsoCol too when >= 0; the column of replacedCol compared with replacement instead.
    RowFilter rowFilter(const Target& t, qint64 setRow, int alsoCol, int replacedCol,
                        const Value& replacement) const;
    // Rows of the table the filter matches.
    qint64 matchingRows(const Target& t, const RowFilter& filter);
    // undo: the value is the fetched one, put back by Undo (which says so when refused).
    bool write(int row, int col, const Value& value, bool undo = false);
    bool deleteRow(int row);
    // Reads the row back inside the write's transaction: the row's values to show once it
    // is committed.
    std::unordered_map<quint64, Value> readBack(const Target& t, qint64 setRow, int changedCol,
                                                const Value& value);
    // Reads the table's columns of the row the filter names into `into`; false when no row matches.
    bool readRow(const Target& t, qint64 setRow, const RowFilter& filter,
                 std::unordered_map<quint64, Value>& into);
    // After an edit found its row changed: shows the row as the database holds it now, when its
    // key still finds it.
    bool showRowAsStored(const Target& t, int row);

    db::Recordset recordset_;
    const db::ClientCursor* cursor_ = nullptr;
    std::shared_ptr<db::BackendConnection> connection_;
    std::vector<qint64> rows_; // model row -> row of the set (rows deleted in the grid are gone)
    std::unordered_map<quint64, Value> written_; // (set row, column) -> what the database holds now
    std::unordered_set<quint64> ownWrites_;      // cells whose value there this program wrote
    std::unique_ptr<Target> target_;
    bool allowUpdate_ = false;
    bool allowDelete_ = false;
};

} // namespace results
