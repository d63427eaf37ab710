#include "results/Clipboard.h"

#include "results/FormFile.h"
#include "results/GridText.h"
#include "ui/Dialogs.h"
#include "ui/Failure.h"
#include "ui/MSFlexGrid.h"

#include <QClipboard>
#include <QGuiApplication>

namespace results {
namespace {

bool putOnRealClipboard(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->clear();
    clipboard->setText(text);
    // Another program may hold the clipboard: what it holds now tells.
    return clipboard->text() == text;
}

ClipboardWriter& installedWriter()
{
    static ClipboardWriter writer;
    return writer;
}

void put(const QString& text, const QString& done = QString())
{
    if (!putOnClipboard(text)) {
        ui::showErrorReport({clipboardErrorNumber, clipboardErrorDescription});
        return;
    }
    if (!done.isEmpty())
        ui::msgBox(done);
}


} // namespace

bool putOnClipboard(const QString& text)
{
    const ClipboardWriter& writer = installedWriter();
    return writer ? writer(text) : putOnRealClipboard(text);
}

void setClipboardWriter(ClipboardWriter writer)
{
    installedWriter() = std::move(writer);
}

void copyCurrentCell(const ui::MSFlexGrid& grid)
{
    ui::guarded([&] { put(grid.Text()); });
}

void copySelectedRows(const ui::MSFlexGrid& grid)
{
    ui::guarded([&] {
        if (grid.Rows() < 1)
            return;
        if (selectedRange(grid).right != grid.Cols() - 1) {
            ui::msgBox(completeRowsMessage);
            return;
        }
        put(selectedRowsText(grid, exportDelimiter()));
    });
}

void copySelectedColumns(const ui::MSFlexGrid& grid)
{
    ui::guarded([&] {
        if (selectedRange(grid).bottom != grid.Rows() - 1) {
            ui::msgBox(completeColumnsMessage);
            return;
        }
        put(selectedColumnsText(grid, exportDelimiter()));
    });
}

void exportClipboard(const ui::MSFlexGrid& grid)
{
    ui::guarded([&] { put(wholeGridText(grid, exportDelimiter()), QStringLiteral("Complete")); });
}

} // namespace results
