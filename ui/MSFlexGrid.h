#pragma once

#include "ui/GridCellStore.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QStringList>
#include <QTableView>
#include <QTimer>
#include <span>
#include <string_view>

namespace ui {

class GridModel;

// The result grid control. Rows and columns count from 0 in grid coordinates: row 0 is the
// fixed row that holds the field names and is shown as the view's column headers; grid row
// r >= 1 is the view's row r - 1. Column 0 is the fixed column: it carries no text, is drawn
// like a header and selects whole rows when clicked (the view's own row header is hidden).
// Column 1 is an ordinary column that the result leaves empty. Cells live in a compact
// GridCellStore; the view reads them through a GridModel.
//
// Selection. One contiguous range: Row/Col is the anchor (the current cell) and
// RowSel/ColSel the far corner, so RowSel may be above Row and ColSel left of Col when the
// user drags up or left. Clicking a column header selects rows 1 to Rows - 1 of that
// column; clicking column 0 selects the whole row (Col 1 to Cols - 1); dragging selects a
// range; Shift extends from the anchor; dragging across headers or column 0 extends whole
// columns or rows; clicking the top-left header cell selects every cell. As in the classic
// control, setting Row or Col also moves RowSel and ColSel onto the new current cell; set
// RowSel and ColSel afterwards to select a range (or call selectRange()). Ctrl+A selects
// every cell, as the top-left header cell does.
//
// Out-of-range cell, row or column numbers throw std::out_of_range; negative sizes throw
// std::invalid_argument.
//
// Filling while a result is read: beginFill() sets the columns and the field-name row,
// appendRow*() store one record each (fields from column 2) without telling the view, and
// flushRows() tells the view of every pending row at once (call it once per event-pump tick;
// a flush is also queued to the event loop whenever rows are pending). endFill() flushes and
// releases spare memory. Setting Rows and TextMatrix cell by cell works as well and is
// batched the same way. The grid's own numbers (Rows, TextMatrix, Row...) change at once;
// only the view is told later. RemoveItem() called row after row (a delete loop) is batched
// too: the view is told at the next turn of events, and until then shows removed rows empty.
//
// The appended and edited text is UTF-8 throughout; textMatrixUtf8() reads a cell without
// building a QString (the view stays valid until the grid next changes).
class MSFlexGrid : public QTableView
{
    Q_OBJECT
public:
    // Columns 0 and 1 carry no text; a result's fields start here.
    static constexpr int firstFieldCol = 2;

    explicit MSFlexGrid(QWidget* parent = nullptr);
    ~MSFlexGrid() override;

    // --- size ---
    int Rows() const;
    void setRows(int rows);
    int Cols() const;
    void setCols(int cols);

    // --- cells ---
    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);
    std::string_view textMatrixUtf8(int row, int col) const;
    void setTextMatrixUtf8(int row, int col, std::string_view utf8);
    // A cell the result left null shows empty like an empty text; isNull() tells them apart
    // until the cell's text is set again.
    bool isNull(int row, int col) const;
    void setNull(int row, int col);
    // The current cell's text (Row, Col); empty when the grid has no cell.
    QString Text() const;
    void setText(const QString& text);

    // Removes one row; the rows below move up (row 0 too: the next row becomes the field-name
    // row). removeRows() removes several at once.
    void RemoveItem(int row);
    void removeRows(int row, int count);
    // Empties every cell (field names included), keeping Rows and Cols.
    void clearCells();

    // --- selection, in grid coordinates ---
    int Row() const { return row_; }
    void setRow(int row);
    int Col() const { return col_; }
    void setCol(int col);
    int RowSel() const { return rowSel_; }
    void setRowSel(int row);
    int ColSel() const { return colSel_; }
    void setColSel(int col);
    void selectRange(int row, int col, int rowSel, int colSel);

    // --- appearance ---
    // Column width in twips; reading converts the shown width in pixels back to twips, so a
    // width comes back rounded to whole pixels. A negative width restores the default.
    int ColWidth(int col) const;
    void setColWidth(int col, int twips);
    // The font size in points.
    float fontSize() const;
    void setFontSize(float points);

    // --- filling while a result is read ---
    void beginFill(std::span<const QString> fieldNames);
    void beginFill(const QStringList& fieldNames) { beginFill(std::span<const QString>(fieldNames)); }
    void appendRowUtf8(std::span<const std::string_view> fields);
    void appendRowUtf8(std::span<const QByteArrayView> fields);
    void appendRow(std::span<const QString> fields);
    void appendRow(const QStringList& fields) { appendRow(std::span<const QString>(fields)); }
    // Tells the view of every row stored since the last flush; returns how many.
    int flushRows();
    void endFill();

    // Counts the changes that move or take away cells (rows removed, fewer rows or columns,
    // cells cleared, a new fill): a loop that walks the cells and lets window events run
    // compares it before and after each turn of events to know that the cells it walks are
    // still the ones it started on.
    quint64 shapeChanges() const;

    GridModel* gridModel() const { return model_; }
    const GridCellStore& cellStore() const;

signals:
    // Any mouse button pressed over the grid (cells, headers or empty area).
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint globalPos);
    // The mouse moved over the grid.
    void mouseMoved(QPoint globalPos);
    // Row, Col, RowSel or ColSel changed.
    void selectionMoved();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    // Rows appended below a full viewport change no visible cell: the layout that follows
    // them updates the scroll bars without repainting every cell.
    void doItemsLayout() override;

protected:
private:
    enum class Drag { None, Cells, Rows, Columns };

    int firstCol() const;
    // The grid cell under a viewport position, clamped into the grid; scrolls one step when
    // the position lies outside the viewport (dragging past an edge).
    QPoint cellNear(QPoint viewportPos);
    void columnHeaderPressed(int col);
    void columnHeaderEntered(int col);
    void rowHeaderPressed(int row, Qt::KeyboardModifiers modifiers);
    void clampSelection();
    void selectFirstRecord();
    void applySelection();
    void updateRowHeight();

    GridModel* model_;
    int row_ = 1, col_ = 1, rowSel_ = 1, colSel_ = 1;
    Drag drag_ = Drag::None;
    Qt::KeyboardModifiers headerPressModifiers_;
    bool fillSelectPending_ = false;
    bool applying_ = false;
    // Whether the model changed since the last layout, and whether every change was rows
    // appended out of sight.
    bool changedSinceLayout_ = false;
    bool rowsOnlyBelowView_ = false;
    // The last layout after rows appended out of sight, and the one deferred until
    // quietLayoutMs have passed (see doItemsLayout()).
    static constexpr qint64 quietLayoutMs = 100;
    QElapsedTimer quietLaidOut_;
    QTimer quietLayout_;
};

} // namespace ui
