#pragma once

#include <QString>
#include <functional>

namespace ui {
class MSFlexGrid;
}

// The result grid's clipboard copies: the current cell, the selected complete rows, the
// selected complete columns (the grid's pop-up menu) and the whole grid (File menu, "Export
// Data to Clipboard"), in the grid text format with the export delimiter of the file chooser.
namespace results {

// The messages of a selection that is not complete.
inline const QString completeRowsMessage =
    QStringLiteral("A complete row(s) must be selected to use this feature");
inline const QString completeColumnsMessage =
    QStringLiteral("A complete column(s) must be selected to use this feature");

// The report shown when the clipboard cannot be set (held by another program).
inline constexpr int clipboardErrorNumber = 521;
inline const QString clipboardErrorDescription = QStringLiteral("Can't open Clipboard");

// Clears the clipboard and puts `text` on it as plain text; false when the clipboard could
// not be set. The real clipboard unless a writer has been installed.
bool putOnClipboard(const QString& text);
// Installs another clipboard writer (nullptr restores the real clipboard).
using ClipboardWriter = std::function<bool(const QString&)>;
void setClipboardWriter(ClipboardWriter writer);

// Each is a whole command: it shows its own messages through ui::dialogs() and never throws.
// CopyCurrentCellData: the current cell's text, bare (no delimiter, no line break).
void copyCurrentCell(const ui::MSFlexGrid& grid);
// CopySelectRowstoClipboard: nothing on a grid without rows; a selection that does not reach
// the last column gets completeRowsMessage and leaves the clipboard alone.
void copySelectedRows(const ui::MSFlexGrid& grid);
// CopyCurrentColumntoClipboard: a selection that does not reach the last row gets
// completeColumnsMessage and leaves the clipboard alone.
void copySelectedColumns(const ui::MSFlexGrid& grid);
// ExportClipboard: the whole grid, then "Complete".
void exportClipboard(const ui::MSFlexGrid& grid);

} // namespace results
