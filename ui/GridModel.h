#pragma once

#include "ui/GridCellStore.h"

#include <QAbstractTableModel>

namespace ui {

// Shows a GridCellStore to a QTableView. Grid row 0 (the field names) is the horizontal
// header; grid row r >= 1 is the view's row r - 1. Display strings are built from the UTF-8
// cells when the view asks for them; nothing is cached per cell.
//
// New rows reach the view in batches: growing the store (appendRow*, setRows) only records
// that rows are pending, and flushRows() announces all of them with one
// beginInsertRows/endInsertRows. A flush is also queued to the event loop whenever rows
// become pending, so the view catches up at the next turn of events even when nobody calls
// flushRows(). Cell edits are announced the same way, as one dataChanged over the edited
// rectangle. Removed rows are batched too, while each removal touches the range removed
// before it (as when a loop removes row after row); the view reads removed rows as empty
// until it is told. Every other structural change (fewer rows, columns) flushes first and is
// announced at once.
class GridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    const GridCellStore& store() const { return store_; }

    // Grid-coordinate operations; the view is told as described above.
    void setRows(int rows);
    void setCols(int cols);
    void setCellText(int row, int col, QStringView text);
    void setCellUtf8(int row, int col, std::string_view utf8);
    // Marks a cell that is empty because the result held null there (it shows empty).
    void setCellNull(int row, int col) { store_.setNull(row, col); }
    void appendRowUtf8(std::span<const std::string_view> values, int firstCol);
    void appendRowUtf8(std::span<const QByteArrayView> values, int firstCol);
    void appendRow(std::span<const QString> values, int firstCol);
    // Named apart from QAbstractItemModel::removeRows, which it would otherwise hide.
    void removeGridRows(int row, int count);
    void clearCells();
    void squeeze() { store_.squeeze(); }

    // Announces pending rows, removals and edits to the view; returns the number of rows
    // announced as inserted.
    int flushRows();
    // Announces pending removals only.
    void flushRemovals();
    bool removalsPending() const { return removedCount_ > 0; }
    // Counts the changes that move cells or take them away: rows removed, fewer rows or
    // columns, cells cleared (so every new fill). Appended rows, more rows or columns and
    // edited cells leave it as it is.
    quint64 shapeChanges() const { return shapeChanges_; }
    // Rows the store holds that the view has not been told about yet.
    int pendingRows() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    int storeDataRows() const { return store_.rows() > 0 ? store_.rows() - 1 : 0; }
    void markDirty(int row, int col);
    void markHeaderDirty(int left, int right);
    void afterAppend();
    void scheduleFlush();

    GridCellStore store_;
    int shownRows_ = 0; // data rows the view knows about
    // Data rows removed from the store that the view has not been told of, as one range in
    // the view's rows.
    int removedFirst_ = 0, removedCount_ = 0;
    bool flushQueued_ = false;
    quint64 shapeChanges_ = 0;
    // Edited cells not yet announced, in view rows; empty when top > bottom.
    int dirtyTop_ = 1, dirtyBottom_ = 0, dirtyLeft_ = 0, dirtyRight_ = 0;
    int headerLeft_ = 1, headerRight_ = 0;
};

} // namespace ui
