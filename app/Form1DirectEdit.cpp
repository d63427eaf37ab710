// The data grid of Direct Edit as the user works in it: cell edits go through its model
// (results::RecordsetModel, shown and edited by results::DataGridDelegate), the Delete key deletes
// the selected rows, Ctrl+0 sets the current cell to NULL, and a right button press pops up
// UndoMenu, whose Undo writes the current cell's fetched value back.
#include "app/Form1.h"
#include "results/Csv.h"
#include "results/DataGridDelegate.h"
#include "results/RecordsetModel.h"
#include "ui/Dialogs.h"
#include "ui/Twips.h"

#include <QAction>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTableView>
#include <algorithm>
#include <exception>

namespace {

results::RecordsetModel* editModel(QTableView* grid)
{
    return qobject_cast<results::RecordsetModel*>(grid->model());
}

QString deleteRowsQuestion(int count, const QString& table)
{
    return count == 1
               ? QStringLiteral("Delete 1 row from %1? This cannot be undone.").arg(table)
               : QStringLiteral("Delete %1 rows from %2? This cannot be undone.").arg(count).arg(table);
}

} // namespace

void Form1::connectDirectEdit()
{
    // Presses land on the view's viewport; keys on the view itself.
    DataGrid1->viewport()->installEventFilter(this);
    DataGrid1->installEventFilter(this);
    connect(Undo, &QAction::triggered, this, &Form1::Undo_Click);
}

bool Form1::directEditEvent(QObject* watched, QEvent* event)
{
    if (watched == DataGrid1->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* m = static_cast<QMouseEvent*>(event);
        const int button = m->button() == Qt::LeftButton ? 1 : m->button() == Qt::RightButton ? 2 : 4;
        const QPoint at = DataGrid1->viewport()->mapTo(DataGrid1, m->position().toPoint());
        DataGrid1_MouseDown(button, m->modifiers(), ui::twips(at.x()), ui::twips(at.y()));
        // The right button only pops the menu up; it does not move the current cell.
        return button == 2;
    }
    if (watched == DataGrid1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        return DataGrid1_KeyDown(key->key(), key->modifiers());
    }
    return false;
}

void Form1::DataGrid1_MouseDown(int button, Qt::KeyboardModifiers /*shift*/, int x, int y)
{
    if (button != 2)
        return;
    // Shown and left open: the program goes on, and Undo's own handler does the work.
    UndoMenu->popup(DataGrid1->mapToGlobal(QPoint(ui::pixels(x), ui::pixels(y))));
}

bool Form1::DataGrid1_KeyDown(int keyCode, Qt::KeyboardModifiers shift)
{
    if (keyCode == Qt::Key_C && (shift & Qt::ControlModifier)) {
        results::copyCells(*DataGrid1);
        return true;
    }
    if (results::DataGridDelegate::isSetNullKey(keyCode, shift)) {
        results::RecordsetModel* model = editModel(DataGrid1);
        const QModelIndex current = DataGrid1->currentIndex();
        if (!model || !current.isValid() || !model->AllowUpdate())
            return false;
        try {
            model->setData(current, QVariant());
        } catch (const std::exception& e) {
            ui::msgBox(QString::fromUtf8(e.what()));
        }
        return true;
    }
    if (keyCode != Qt::Key_Delete)
        return false;
    try {
        results::RecordsetModel* model = editModel(DataGrid1);
        if (!model || !model->AllowDelete())
            return false;
        QModelIndexList rows = DataGrid1->selectionModel()->selectedRows();
        if (rows.isEmpty())
            return false;
        // A delete reaches the database at once and Undo cannot bring the rows back: ask first.
        // A result nothing can be written to is refused by the delete itself, without a question.
        const QString table = model->tableName();
        if (!table.isEmpty() && !ui::askYesNoDefaultNo(deleteRowsQuestion(int(rows.size()), table)))
            return true;
        // Highest first, so the rows still to go keep their numbers; a refused row ends it.
        std::sort(rows.begin(), rows.end(),
                  [](const QModelIndex& a, const QModelIndex& b) { return a.row() > b.row(); });
        for (const QModelIndex& row : rows) {
            if (!model->removeRows(row.row(), 1))
                break;
        }
    } catch (const std::exception& e) {
        ui::msgBox(QString::fromUtf8(e.what()));
    }
    return true;
}

void Form1::Undo_Click()
{
    try {
        results::RecordsetModel* model = editModel(DataGrid1);
        const QModelIndex current = DataGrid1->currentIndex();
        if (!model || !current.isValid())
            return;
        if (!model->AllowUpdate()) {
            ui::msgBox(
                QStringLiteral("The data grid is read only: choose Read/Write to change the database."));
            return;
        }
        model->restoreFetched(current);
    } catch (const std::exception& e) {
        ui::msgBox(QString::fromUtf8(e.what()));
    }
}
