#include "results/Csv.h"

#include "results/Clipboard.h"
#include "results/FileReplace.h"
#include "results/FormFile.h"
#include "results/GridText.h"
#include "ui/Dialogs.h"
#include "ui/Events.h"
#include "ui/Failure.h"
#include "ui/MSFlexGrid.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QTableView>
#include <algorithm>
#include <set>
#include <utility>

namespace results {

CsvWriter::CsvWriter(QByteArray delimiter, bool emptyQuoted)
    : delimiter_(std::move(delimiter)), emptyQuoted_(emptyQuoted)
{
}

void CsvWriter::field(std::string_view utf8, bool null)
{
    if (lineStarted_)
        text_.append(delimiter_);
    lineStarted_ = true;
    if (null)
        return;
    const std::string_view delimiter(delimiter_.constData(), std::size_t(delimiter_.size()));
    const bool quoted = (utf8.empty() && emptyQuoted_) || utf8.find(delimiter) != std::string_view::npos ||
                        utf8.find_first_of("\"\r\n") != std::string_view::npos;
    if (!quoted) {
        text_.append(utf8.data(), qsizetype(utf8.size()));
        return;
    }
    text_.append('"');
    for (char c : utf8) {
        if (c == '"')
            text_.append('"');
        text_.append(c);
    }
    text_.append('"');
}

void CsvWriter::field(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    field(std::string_view(utf8.constData(), std::size_t(utf8.size())));
}

void CsvWriter::endLine()
{
    text_.append("\r\n", 2);
    lineStarted_ = false;
}

QByteArray CsvWriter::take()
{
    return std::exchange(text_, QByteArray());
}

QByteArray csvDelimiter(const QString& delimiterBox)
{
    // An emptied box already reads as a tab (FormFile::delimiter), which passes unchanged.
    if (delimiterBox.size() != 1 || delimiterBox == QLatin1String("|"))
        return ",";
    const QChar c = delimiterBox[0];
    if (c == QLatin1Char('"') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
        return ",";
    return delimiterBox.toUtf8();
}

QByteArray gridCsv(const ui::MSFlexGrid& grid, int fromRow, int toRow, int fromCol, int toCol,
                   const QByteArray& delimiter, bool emptyQuoted)
{
    CsvWriter csv(delimiter, emptyQuoted);
    const int first = std::max(fromCol, int(ui::MSFlexGrid::firstFieldCol));
    const int last = std::min(toCol, grid.Cols() - 1);
    if (grid.Rows() > 0) {
        for (int c = first; c <= last; ++c)
            csv.field(grid.textMatrixUtf8(0, c));
        csv.endLine();
    }
    ui::EventPump pump;
    const quint64 shape = grid.shapeChanges();
    for (int r = std::max(fromRow, 1); r <= toRow && r < grid.Rows(); ++r) {
        for (int c = first; c <= last; ++c)
            csv.field(grid.textMatrixUtf8(r, c), grid.isNull(r, c));
        csv.endLine();
        if (pump.tick() && grid.shapeChanges() != shape)
            throw GridChanged(gridChangedWhileRead);
    }
    return csv.take();
}

QByteArray wholeGridCsv(const ui::MSFlexGrid& grid, const QByteArray& delimiter)
{
    return gridCsv(grid, 1, grid.Rows() - 1, ui::MSFlexGrid::firstFieldCol, grid.Cols() - 1, delimiter, true);
}

QByteArray selectedCellsCsv(const ui::MSFlexGrid& grid, const QByteArray& delimiter, bool emptyQuoted)
{
    const GridRange range = selectedRange(grid);
    return gridCsv(grid, range.top, range.bottom, range.left, range.right, delimiter, emptyQuoted);
}

QString selectedViewCellsText(const QTableView& view)
{
    const QAbstractItemModel* model = view.model();
    if (!model || !view.selectionModel())
        return {};
    std::set<int> rows;
    std::set<int> cols;
    for (const QModelIndex& index : view.selectionModel()->selectedIndexes()) {
        rows.insert(index.row());
        cols.insert(index.column());
    }
    CsvWriter text("\t", false);
    for (int c : cols)
        text.field(model->headerData(c, Qt::Horizontal).toString());
    text.endLine();
    for (int r : rows) {
        for (int c : cols)
            text.field(model->data(model->index(r, c)).toString());
        text.endLine();
    }
    return QString::fromUtf8(text.take());
}

namespace {

void putText(const QString& text)
{
    if (!putOnClipboard(text))
        ui::showErrorReport({clipboardErrorNumber, clipboardErrorDescription});
}

} // namespace

void exportCsv(const ui::MSFlexGrid& grid, QWidget* owner)
{
    ui::guarded([&] {
        // Data Output to File keeps the file it was given.
        const QString runTarget = exportTarget();
        const QString path = chooseFile(ChosenPath::ExportTarget, owner);
        setExportTarget(runTarget);
        // As Export Data to File: a grid without rows writes nothing.
        if (path.isEmpty() || grid.Rows() < 1 || !mayReplace(path))
            return;
        replaceFile(path, wholeGridCsv(grid, csvDelimiter(exportDelimiter())));
        ui::msgBox(QStringLiteral("Export Complete"));
    });
}

void copyAsCsv(const ui::MSFlexGrid& grid)
{
    ui::guarded(
        [&] { putText(QString::fromUtf8(selectedCellsCsv(grid, csvDelimiter(exportDelimiter()), true))); });
}

void copyCells(const ui::MSFlexGrid& grid)
{
    ui::guarded([&] { putText(QString::fromUtf8(selectedCellsCsv(grid, "\t", false))); });
}

void copyCells(const QTableView& view)
{
    ui::guarded([&] { putText(selectedViewCellsText(view)); });
}

} // namespace results
