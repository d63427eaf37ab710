#pragma once

// The data grid's model in Direct Edit mode: a table over a client-side db::Recordset whose
// cell edits and row deletes go straight to the database, one row or nothing.
//
// Each write names the row by the values the grid holds for it: the key columns of the base
// table (or, where the table has no key or the result does not carry it, every column the
// result shows of that table, compared null-safe) and the edited column's value. It runs in one
// transaction that is committed only when exactly one row changed. Whatever goes wrong, the
// user gets one message and the grid shows the database's value again.
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

    // With AllowUpdate: writes the value (text; a null QVariant writes NULL) to the database at
    // once. True when exactly one row took it; otherwise the user has been told why, the cell
    // shows the database's value again and false is returned.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // With AllowDelete: deletes each row from the database, one row or nothing each, and from
    // the model. Stops at the first refused row (told to the user); rows deleted before it stay
    // deleted. True when every row went.
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    // Never: the data grid does not add rows.
    bool insertRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

    // The value as fetched by the run (null: QVariant()), whatever was written since.
    QVariant fetchedValue(const QModelIndex& index) const;
    // Writes the fetched value back into the cell through the same rule as an edit. Needs
    // AllowUpdate like any edit; refusals are reported the same way.
    bool restoreFetched(const QModelIndex& index);

    // The set the model shows (for the run that still reads its fields).
    db::Recordset& recordset() { return recordset_; }

private:
    using Value = std::optional<QString>; // nullopt is SQL NULL

    Value current(qint64 setRow, int col) const;
    Value fetched(qint64 setRow, int col) const;

    db::Recordset recordset_;
    const db::ClientCursor* cursor_ = nullptr;
    std::shared_ptr<db::BackendConnection> connection_;
    std::vector<qint64> rows_; // model row -> row of the set (rows deleted in the grid are gone)
    std::unordered_map<quint64, Value> written_; // (set row, column) -> value the database holds now
    bool allowUpdate_ = false;
    bool allowDelete_ = false;
};

} // namespace results
