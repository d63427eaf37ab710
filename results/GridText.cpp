#include "results/GridText.h"

#include "text/DataText.h"
#include "ui/Events.h"
#include "ui/MSFlexGrid.h"
#include "ui/TextBuilder.h"

#include <algorithm>

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

QByteArrayView trimSpacesUtf8(QByteArrayView utf8)
{
    qsizetype begin = 0;
    qsizetype end = utf8.size();
    while (begin < end && utf8[begin] == ' ')
        ++begin;
    while (end > begin && utf8[end - 1] == ' ')
        --end;
    return utf8.sliced(begin, end - begin);
}

void keepTrimmed(QByteArray& utf8)
{
    const QByteArrayView trimmed = trimSpacesUtf8(utf8);
    const qsizetype begin = trimmed.data() - utf8.constData();
    const qsizetype size = trimmed.size();
    if (begin > 0)
        utf8.remove(0, begin);
    utf8.truncate(size);
}

GridRange selectedRange(const ui::MSFlexGrid& grid)
{
    return {std::min(grid.Row(), grid.RowSel()), std::min(grid.Col(), grid.ColSel()),
            std::max(grid.Row(), grid.RowSel()), std::max(grid.Col(), grid.ColSel())};
}

QByteArray gridTextUtf8(const ui::MSFlexGrid& grid, int fromRow, int toRow, int fromCol, int toCol,
                        QByteArrayView delimiter)
{
    ui::TextBuilder out;
    ui::EventPump pump;
    const quint64 shape = grid.shapeChanges();
    // Window events run between rows only, so the bounds are tested again for every row.
    for (int r = std::max(fromRow, 0); r <= toRow && r < grid.Rows(); ++r) {
        const int last = std::min(toCol, grid.Cols() - 1);
        for (int c = std::max(fromCol, 0); c <= last; ++c) {
            out.append(grid.textMatrixUtf8(r, c));
            out.append(delimiter);
        }
        out.append("\r\n");
        if (pump.tick() && grid.shapeChanges() != shape)
            throw GridChanged(gridChangedWhileRead);
    }
    return out.take();
}

QString gridText(const ui::MSFlexGrid& grid, int fromRow, int toRow, int fromCol, int toCol,
                 const QString& delimiter)
{
    const QByteArray utf8 = gridTextUtf8(grid, fromRow, toRow, fromCol, toCol, delimiter.toUtf8());
    return text::fromUtf8Data(utf8.constData(), utf8.size());
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

QByteArray exportFileUtf8(const ui::MSFlexGrid& grid, const QString& delimiter, bool columnHeaders)
{
    const int firstRow = columnHeaders ? 0 : 1;
    QByteArray text = gridTextUtf8(grid, firstRow, grid.Rows() - 1, 0, grid.Cols() - 1, delimiter.toUtf8());
    keepTrimmed(text);
    text.append("\r\n", 2);
    return text;
}

QString exportFileText(const ui::MSFlexGrid& grid, const QString& delimiter, bool columnHeaders)
{
    const QByteArray utf8 = exportFileUtf8(grid, delimiter, columnHeaders);
    return text::fromUtf8Data(utf8.constData(), utf8.size());
}

} // namespace results
