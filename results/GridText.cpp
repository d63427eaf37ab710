#include "results/GridText.h"

#include "ui/Events.h"
#include "ui/MSFlexGrid.h"

#include <algorithm>
#include <string>

namespace results {

QString trimSpaces(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

GridRange selectedRange(const ui::MSFlexGrid& grid)
{
    return {std::min(grid.Row(), grid.RowSel()), std::min(grid.Col(), grid.ColSel()),
            std::max(grid.Row(), grid.RowSel()), std::max(grid.Col(), grid.ColSel())};
}

QString gridText(const ui::MSFlexGrid& grid, int fromRow, int toRow, int fromCol, int toCol,
                 const QString& delimiter)
{
    // Built in UTF-8 straight from the cell store and converted once at the end.
    const QByteArray delim = delimiter.toUtf8();
    std::string out;
    ui::EventPump pump;
    for (int r = std::max(fromRow, 0); r <= toRow && r < grid.Rows(); ++r) {
        for (int c = std::max(fromCol, 0); c <= toCol && c < grid.Cols(); ++c) {
            out.append(grid.textMatrixUtf8(r, c));
            out.append(delim.constData(), static_cast<size_t>(delim.size()));
            pump.tick();
            // Events may have shrunk the grid; the tests above follow it.
            if (r >= grid.Rows())
                break;
        }
        out.append("\r\n");
    }
    return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

QString wholeGridText(const ui::MSFlexGrid& grid, const QString& delimiter)
{
    return trimSpaces(
        gridText(grid, 0, grid.Rows() - 1, ui::MSFlexGrid::firstFieldCol, grid.Cols() - 1, delimiter));
}

QString selectedRowsText(const ui::MSFlexGrid& grid, const QString& delimiter)
{
    const GridRange range = selectedRange(grid);
    return gridText(grid, range.top, range.bottom, ui::MSFlexGrid::firstFieldCol, grid.Cols() - 1, delimiter);
}

QString selectedColumnsText(const ui::MSFlexGrid& grid, const QString& delimiter)
{
    const GridRange range = selectedRange(grid);
    return gridText(grid, range.top, range.bottom, range.left, range.right, delimiter);
}

QString exportFileText(const ui::MSFlexGrid& grid, const QString& delimiter, bool columnHeaders)
{
    const int firstRow = columnHeaders ? 0 : 1;
    return trimSpaces(gridText(grid, firstRow, grid.Rows() - 1, 0, grid.Cols() - 1, delimiter)) + crlf;
}

} // namespace results
