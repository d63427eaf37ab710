#pragma once

// How the data grid of Direct Edit shows and edits a cell.
//
// - NULL is shown as a dimmed "NULL", so that it stands apart from an empty text; the model
//   still holds no value, so copying and exporting are unchanged.
// - An editor left without a change (Enter, a click elsewhere) writes nothing: opening a NULL
//   cell and leaving it keeps NULL.
// - Ctrl+0 in the editor, or on a cell, sets the cell to NULL.
// - Text typed or cleared in the editor is written as it stands: an emptied editor writes the
//   empty text, except in a column that does not hold text, where it writes NULL.

#include <QStyledItemDelegate>

namespace results {

class DataGridDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The text the grid shows for the cell, and whether it is shown dimmed (NULL).
    static QString shownText(const QModelIndex& index, bool* dimmed = nullptr);
    // True for the key that sets a cell to NULL.
    static bool isSetNullKey(int key, Qt::KeyboardModifiers modifiers);

    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    bool eventFilter(QObject* object, QEvent* event) override;
};

} // namespace results
