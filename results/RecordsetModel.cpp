#include "results/RecordsetModel.h"

#include "ui/Dialogs.h"

namespace results {

namespace {

quint64 cellKey(qint64 setRow, int col)
{
    return (quint64(setRow) << 16) ^ quint64(quint16(col));
}

QVariant toVariant(const std::optional<QString>& value)
{
    return value ? QVariant(*value) : QVariant();
}

} // namespace

RecordsetModel::RecordsetModel(db::Recordset recordset, QObject* parent)
    : QAbstractTableModel(parent), recordset_(std::move(recordset))
{
    cursor_ = recordset_.clientCursor();
    connection_ = recordset_.backendConnection();
    if (cursor_) {
        rows_.reserve(size_t(cursor_->rowCount()));
        for (qint64 r = 0; r < cursor_->rowCount(); ++r)
            rows_.push_back(r);
    }
}

RecordsetModel::~RecordsetModel() = default;

void RecordsetModel::setAllowUpdate(bool allow)
{
    allowUpdate_ = allow;
}

void RecordsetModel::setAllowDelete(bool allow)
{
    allowDelete_ = allow;
}

int RecordsetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int RecordsetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !cursor_ ? 0 : cursor_->columnCount();
}

RecordsetModel::Value RecordsetModel::fetched(qint64 setRow, int col) const
{
    if (cursor_->isNull(setRow, col))
        return std::nullopt;
    return cursor_->text(setRow, col);
}

RecordsetModel::Value RecordsetModel::current(qint64 setRow, int col) const
{
    const auto found = written_.find(cellKey(setRow, col));
    return found != written_.end() ? found->second : fetched(setRow, col);
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return toVariant(current(rows_[size_t(index.row())], index.column()));
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return cursor_ && section < cursor_->columnCount() ? QVariant(cursor_->column(section).name) : QVariant();
    return QVariant(section + 1);
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (allowUpdate_)
        f |= Qt::ItemIsEditable;
    return f;
}

bool RecordsetModel::setData(const QModelIndex&, const QVariant&, int)
{
    return false;
}

bool RecordsetModel::removeRows(int, int, const QModelIndex&)
{
    return false;
}

bool RecordsetModel::insertRows(int, int, const QModelIndex&)
{
    return false;
}

QVariant RecordsetModel::fetchedValue(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    return toVariant(fetched(rows_[size_t(index.row())], index.column()));
}

bool RecordsetModel::restoreFetched(const QModelIndex&)
{
    return false;
}

} // namespace results
