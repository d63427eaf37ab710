#include "results/DataGridDelegate.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>

namespace results {
namespace {

// Set on an editor by Ctrl+0: leaving it writes NULL.
const char* const setNullProperty = "quorvaneSetNull";

} // namespace

QString DataGridDelegate::shownText(const QModelIndex& index, bool* dimmed)
{
    const QVariant value = index.data(Qt::DisplayRole);
    const bool null = index.isValid() && value.isNull();
    if (dimmed)
        *dimmed = null;
    return null ? QStringLiteral("NULL") : value.toString();
}

bool DataGridDelegate::isSetNullKey(int key, Qt::KeyboardModifiers modifiers)
{
    return key == Qt::Key_0 && (modifiers & Qt::ControlModifier);
}

void DataGridDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    bool dimmed = false;
    option->text = shownText(index, &dimmed);
    if (dimmed) {
        const QColor grey = option->palette.color(QPalette::Disabled, QPalette::Text);
        option->palette.setColor(QPalette::Text, grey);
        option->palette.setColor(QPalette::HighlightedText, grey);
    }
}

void DataGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    QStyledItemDelegate::setEditorData(editor, index);
    editor->setProperty(setNullProperty, false);
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setModified(false);
}

void DataGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                    const QModelIndex& index) const
{
    if (editor->property(setNullProperty).toBool()) {
        model->setData(index, QVariant());
        return;
    }
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (line && !line->isModified())
        return; // left without a change
    QStyledItemDelegate::setModelData(editor, model, index);
}

bool DataGridDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (isSetNullKey(key->key(), key->modifiers())) {
            editor->setProperty(setNullProperty, true);
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace results
