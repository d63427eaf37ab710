#include "ui/GridModel.h"

#include "text/DataText.h"

#include <QMetaObject>
#include <algorithm>
#include <stdexcept>

namespace ui {

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shownRows_;
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : store_.cols();
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= shownRows_ || index.column() >= store_.cols())
        return {};
    if (role != Qt::DisplayRole)
        return {};
    int row = index.row();
    if (removedCount_ > 0 && row >= removedFirst_) {
        // The view has not been told of the removal yet: removed rows read empty, the
        // rows below them come from where they now stand.
        if (row < removedFirst_ + removedCount_)
            return {};
        row -= removedCount_;
    }
    const std::string_view v = store_.cellUtf8(row + 1, index.column());
    if (v.empty())
        return {};
    return text::fromUtf8Data(v);
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 0 || section >= store_.cols() || store_.rows() == 0)
        return {};
    return store_.text(0, section);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

// --- batching ---

int GridModel::pendingRows() const
{
    return storeDataRows() - (shownRows_ - removedCount_);
}

void GridModel::scheduleFlush()
{
    if (flushQueued_)
        return;
    flushQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            flushQueued_ = false;
            flushRows();
        },
        Qt::QueuedConnection);
}

void GridModel::markHeaderDirty(int left, int right)
{
    if (headerLeft_ > headerRight_) {
        headerLeft_ = left;
        headerRight_ = right;
    } else {
        headerLeft_ = std::min(headerLeft_, left);
        headerRight_ = std::max(headerRight_, right);
    }
    scheduleFlush();
}

void GridModel::markDirty(int row, int col)
{
    if (row == 0) {
        markHeaderDirty(col, col);
        return;
    }
    flushRemovals();
    const int r = row - 1;
    if (r >= shownRows_)
        return; // the view has not been told of that row yet: it reads it when it is
    if (dirtyTop_ > dirtyBottom_) {
        dirtyTop_ = dirtyBottom_ = r;
        dirtyLeft_ = dirtyRight_ = col;
    } else {
        dirtyTop_ = std::min(dirtyTop_, r);
        dirtyBottom_ = std::max(dirtyBottom_, r);
        dirtyLeft_ = std::min(dirtyLeft_, col);
        dirtyRight_ = std::max(dirtyRight_, col);
    }
    scheduleFlush();
}

void GridModel::flushRemovals()
{
    if (removedCount_ == 0)
        return;
    beginRemoveRows({}, removedFirst_, removedFirst_ + removedCount_ - 1);
    shownRows_ -= removedCount_;
    removedCount_ = 0;
    endRemoveRows();
}

int GridModel::flushRows()
{
    flushRemovals();
    int announced = 0;
    const int target = storeDataRows();
    if (target > shownRows_) {
        beginInsertRows({}, shownRows_, target - 1);
        announced = target - shownRows_;
        shownRows_ = target;
        endInsertRows();
    }
    if (dirtyTop_ <= dirtyBottom_) {
        const int bottom = std::min(dirtyBottom_, shownRows_ - 1);
        const int right = std::min(dirtyRight_, store_.cols() - 1);
        if (dirtyTop_ <= bottom && dirtyLeft_ <= right)
            emit dataChanged(index(dirtyTop_, dirtyLeft_), index(bottom, right), {Qt::DisplayRole});
        dirtyTop_ = 1;
        dirtyBottom_ = 0;
    }
    if (headerLeft_ <= headerRight_) {
        const int right = std::min(headerRight_, store_.cols() - 1);
        if (headerLeft_ <= right)
            emit headerDataChanged(Qt::Horizontal, headerLeft_, right);
        headerLeft_ = 1;
        headerRight_ = 0;
    }
    return announced;
}

// --- changes ---

void GridModel::setRows(int rows)
{
    if (rows < 0)
        throw std::invalid_argument("MSFlexGrid: Rows cannot be negative");
    if (rows >= store_.rows()) {
        store_.setRows(rows);
        if (pendingRows() > 0)
            scheduleFlush();
        return;
    }
    flushRows();
    ++shapeChanges_;
    const int keep = rows > 0 ? rows - 1 : 0;
    const bool headerGoes = rows == 0;
    if (keep < shownRows_) {
        beginRemoveRows({}, keep, shownRows_ - 1);
        store_.setRows(rows);
        shownRows_ = keep;
        endRemoveRows();
    } else {
        store_.setRows(rows);
    }
    if (headerGoes && store_.cols() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, store_.cols() - 1);
}

void GridModel::setCols(int cols)
{
    if (cols < 0)
        throw std::invalid_argument("MSFlexGrid: Cols cannot be negative");
    const int now = store_.cols();
    if (cols == now)
        return;
    flushRows();
    if (cols > now) {
        beginInsertColumns({}, now, cols - 1);
        store_.setCols(cols);
        endInsertColumns();
    } else {
        ++shapeChanges_;
        beginRemoveColumns({}, cols, now - 1);
        store_.setCols(cols);
        endRemoveColumns();
    }
}

void GridModel::setCellText(int row, int col, QStringView text)
{
    store_.setText(row, col, text);
    markDirty(row, col);
}

void GridModel::setCellUtf8(int row, int col, std::string_view utf8)
{
    store_.setCellUtf8(row, col, utf8);
    markDirty(row, col);
}

void GridModel::appendRowUtf8(std::span<const std::string_view> values, int firstCol)
{
    store_.appendRowUtf8(values, firstCol);
    afterAppend();
}

void GridModel::appendRowUtf8(std::span<const QByteArrayView> values, int firstCol)
{
    store_.appendRowUtf8(values, firstCol);
    afterAppend();
}

void GridModel::appendRow(std::span<const QString> values, int firstCol)
{
    store_.appendRow(values, firstCol);
    afterAppend();
}

void GridModel::afterAppend()
{
    if (store_.rows() == 1 && store_.cols() > 0)
        markHeaderDirty(0, store_.cols() - 1);
    scheduleFlush();
}

void GridModel::removeGridRows(int row, int count)
{
    if (count < 0 || row < 0 || row + count > store_.rows())
        throw std::out_of_range("MSFlexGrid: the rows to remove are outside the grid");
    if (count == 0)
        return;
    ++shapeChanges_;
    if (row == 0) {
        // Another row becomes the header row: announced at once.
        flushRows();
        const int remaining = store_.rows() - count;
        const int gone = shownRows_ - (remaining > 0 ? remaining - 1 : 0);
        if (gone > 0) {
            beginRemoveRows({}, 0, gone - 1);
            store_.removeRows(row, count);
            shownRows_ = storeDataRows();
            endRemoveRows();
        } else {
            store_.removeRows(row, count);
        }
        if (store_.cols() > 0)
            emit headerDataChanged(Qt::Horizontal, 0, store_.cols() - 1);
        return;
    }
    // Rows the view knows are removed from the store at once and announced in one batch
    // with their neighbours, as a delete loop that removes row after row goes on.
    const int knownRows = shownRows_ - removedCount_;
    const int first = row - 1;
    const int known = std::clamp(knownRows - first, 0, count);
    if (known > 0) {
        if (removedCount_ > 0 && first + known == removedFirst_) {
            removedFirst_ = first; // just above the pending rows
            removedCount_ += known;
        } else if (removedCount_ > 0 && first == removedFirst_) {
            removedCount_ += known; // just below them
        } else {
            flushRemovals();
            removedFirst_ = first;
            removedCount_ = known;
        }
        scheduleFlush();
    }
    store_.removeRows(row, count);
}

void GridModel::clearCells()
{
    flushRows();
    ++shapeChanges_;
    store_.clearCells();
    if (shownRows_ > 0 && store_.cols() > 0)
        emit dataChanged(index(0, 0), index(shownRows_ - 1, store_.cols() - 1), {Qt::DisplayRole});
    if (store_.cols() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, store_.cols() - 1);
}

} // namespace ui
