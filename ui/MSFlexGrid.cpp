#include "ui/MSFlexGrid.h"

#include "ui/GridModel.h"
#include "ui/Twips.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <stdexcept>
#include <string>

namespace ui {
namespace {

// The classic control starts with two rows and two columns, one of each fixed.
constexpr int initialRows = 2;
constexpr int initialCols = 2;
constexpr int fixedCols = 1;

void checkIndex(int value, int count, const char* what)
{
    if (value < 0 || value >= std::max(count, 1))
        throw std::out_of_range(std::string("MSFlexGrid: invalid ") + what + " value " +
                                std::to_string(value));
}

// Paints a cell with one text draw: no per-cell style element and only the display text
// asked of the model, so a repaint while rows stream in stays cheap. Text is clipped at the
// cell's edge, as the classic grid does.
class GridDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QPalette& palette = option.palette;
        const bool selected = option.state & QStyle::State_Selected;
        const QRect cell = option.rect;
        if (selected)
            painter->fillRect(cell, palette.brush(QPalette::Active, QPalette::Highlight));
        else if (index.column() == 0)
            painter->fillRect(cell, palette.button());
        const QVariant value = index.data(Qt::DisplayRole);
        if (value.isValid()) {
            const QString text = value.toString();
            const QRect inner = cell.adjusted(3, 0, -3, 0);
            if (!text.isEmpty() && inner.width() > 0) {
                const QFontMetrics& metrics = option.fontMetrics;
                const int baseline = cell.top() + (cell.height() - metrics.height()) / 2 + metrics.ascent();
                painter->save();
                painter->setClipRect(inner, Qt::IntersectClip);
                painter->setPen(selected ? palette.color(QPalette::Active, QPalette::HighlightedText)
                                         : palette.color(QPalette::Text));
                painter->drawText(QPoint(inner.left(), baseline), text);
                painter->restore();
            }
        }
        if (option.state & QStyle::State_HasFocus) {
            painter->save();
            QPen pen(selected ? palette.color(QPalette::Active, QPalette::HighlightedText)
                              : palette.color(QPalette::Text));
            pen.setStyle(Qt::DotLine);
            painter->setPen(pen);
            painter->drawRect(cell.adjusted(0, 0, -1, -1));
            painter->restore();
        }
    }
};

} // namespace

MSFlexGrid::MSFlexGrid(QWidget* parent) : QTableView(parent), model_(new GridModel(this))
{
    model_->setRows(initialRows);
    model_->setCols(initialCols);
    model_->flushRows();
    setModel(model_);
    setItemDelegate(new GridDelegate(this));

    // Selection is kept here, in grid coordinates, and shown through the selection model;
    // the view's own selection handling stays out of the way.
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setAutoScroll(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    viewport()->setMouseTracking(true);

    QHeaderView* top = horizontalHeader();
    top->setSectionsClickable(true);
    top->setHighlightSections(true);
    top->setStretchLastSection(false);
    // Narrow widths such as 200 twips (13 pixels) must be honoured, not raised to the
    // style's minimum.
    top->setMinimumSectionSize(1);
    top->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    top->viewport()->setMouseTracking(true);
    top->viewport()->installEventFilter(this);
    connect(top, &QHeaderView::sectionPressed, this, &MSFlexGrid::columnHeaderPressed);
    connect(top, &QHeaderView::sectionEntered, this, &MSFlexGrid::columnHeaderEntered);

    QHeaderView* side = verticalHeader();
    side->setSectionResizeMode(QHeaderView::Fixed);
    side->viewport()->installEventFilter(this);
    connect(side, &QHeaderView::sectionPressed, this,
            [this](int viewRow) { rowHeaderPressed(viewRow + 1, headerPressModifiers_); });
    connect(side, &QHeaderView::sectionEntered, this, [this](int viewRow) {
        if (drag_ == Drag::Rows)
            selectRange(row_, col_, viewRow + 1, Cols() - 1);
    });
    side->hide();

    // Rows announced in a batch may hold the selection's cells: show it again. Rows added
    // below a full viewport need no repaint of the cells (see doItemsLayout()).
    connect(model_, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first) {
        // Every row has the same height (fixed, never resized one by one), so the last row in
        // sight follows from the scroll offset. rowAt() would ask the row header, which after
        // an insertion walks every row: 0.3 ms at a million rows, at every event-pump tick.
        const int rowHeight = std::max(1, verticalHeader()->defaultSectionSize());
        const int lastShown = (verticalOffset() + viewport()->height() - 1) / rowHeight;
        const bool outOfSight = first > lastShown;
        rowsOnlyBelowView_ = (changedSinceLayout_ ? rowsOnlyBelowView_ : true) && outOfSight;
        changedSinceLayout_ = true;
        applySelection();
    });
    // Any other change needs the full repaint of the layout that follows it.
    const auto needsRepaint = [this] {
        rowsOnlyBelowView_ = false;
        changedSinceLayout_ = true;
    };
    connect(model_, &QAbstractItemModel::rowsRemoved, this, [this, needsRepaint] {
        needsRepaint();
        applySelection();
    });
    connect(model_, &QAbstractItemModel::columnsInserted, this, needsRepaint);
    connect(model_, &QAbstractItemModel::columnsRemoved, this, needsRepaint);
    connect(model_, &QAbstractItemModel::modelReset, this, needsRepaint);
    connect(model_, &QAbstractItemModel::layoutChanged, this, needsRepaint);

    // A deferred layout of rows appended out of sight (see doItemsLayout()).
    quietLayout_.setSingleShot(true);
    connect(&quietLayout_, &QTimer::timeout, this, [this] { scheduleDelayedItemsLayout(); });

    updateRowHeight();
    applySelection();
}

MSFlexGrid::~MSFlexGrid() = default;

quint64 MSFlexGrid::shapeChanges() const
{
    return model_->shapeChanges();
}

const GridCellStore& MSFlexGrid::cellStore() const
{
    return model_->store();
}

// --- size ---

int MSFlexGrid::Rows() const
{
    return model_->store().rows();
}
int MSFlexGrid::Cols() const
{
    return model_->store().cols();
}

void MSFlexGrid::setRows(int rows)
{
    model_->setRows(rows);
    clampSelection();
    applySelection();
}

void MSFlexGrid::setCols(int cols)
{
    model_->setCols(cols);
    clampSelection();
    applySelection();
}

// --- cells ---

QString MSFlexGrid::TextMatrix(int row, int col) const
{
    return model_->store().text(row, col);
}

std::string_view MSFlexGrid::textMatrixUtf8(int row, int col) const
{
    return model_->store().cellUtf8(row, col);
}

void MSFlexGrid::setTextMatrix(int row, int col, const QString& text)
{
    model_->setCellText(row, col, text);
}

void MSFlexGrid::setTextMatrixUtf8(int row, int col, std::string_view utf8)
{
    model_->setCellUtf8(row, col, utf8);
}

bool MSFlexGrid::isNull(int row, int col) const
{
    return model_->store().isNull(row, col);
}

void MSFlexGrid::setNull(int row, int col)
{
    model_->setCellNull(row, col);
}

QString MSFlexGrid::Text() const
{
    if (row_ >= Rows() || col_ >= Cols())
        return {};
    return TextMatrix(row_, col_);
}

void MSFlexGrid::setText(const QString& text)
{
    setTextMatrix(row_, col_, text);
}

void MSFlexGrid::RemoveItem(int row)
{
    removeRows(row, 1);
}

void MSFlexGrid::removeRows(int row, int count)
{
    model_->removeGridRows(row, count);
    clampSelection();
    // A removal the view has not been told of yet shows the selection when it is.
    if (!model_->removalsPending())
        applySelection();
}

void MSFlexGrid::clearCells()
{
    model_->clearCells();
}

// --- selection ---

int MSFlexGrid::firstCol() const
{
    return std::min(fixedCols, std::max(Cols() - 1, 0));
}

void MSFlexGrid::setRow(int row)
{
    checkIndex(row, Rows(), "Row");
    selectRange(row, col_, row, col_);
}

void MSFlexGrid::setCol(int col)
{
    checkIndex(col, Cols(), "Col");
    selectRange(row_, col, row_, col);
}

void MSFlexGrid::setRowSel(int row)
{
    checkIndex(row, Rows(), "RowSel");
    selectRange(row_, col_, row, colSel_);
}

void MSFlexGrid::setColSel(int col)
{
    checkIndex(col, Cols(), "ColSel");
    selectRange(row_, col_, rowSel_, col);
}

void MSFlexGrid::selectRange(int row, int col, int rowSel, int colSel)
{
    checkIndex(row, Rows(), "Row");
    checkIndex(col, Cols(), "Col");
    checkIndex(rowSel, Rows(), "RowSel");
    checkIndex(colSel, Cols(), "ColSel");
    fillSelectPending_ = false;
    if (row == row_ && col == col_ && rowSel == rowSel_ && colSel == colSel_)
        return;
    row_ = row;
    col_ = col;
    rowSel_ = rowSel;
    colSel_ = colSel;
    applySelection();
    emit selectionMoved();
}

void MSFlexGrid::clampSelection()
{
    const int lastRow = std::max(Rows() - 1, 0);
    const int lastCol = std::max(Cols() - 1, 0);
    const int row = std::min(row_, lastRow), rowSel = std::min(rowSel_, lastRow);
    const int col = std::min(col_, lastCol), colSel = std::min(colSel_, lastCol);
    if (row == row_ && col == col_ && rowSel == rowSel_ && colSel == colSel_)
        return;
    row_ = row;
    col_ = col;
    rowSel_ = rowSel;
    colSel_ = colSel;
    emit selectionMoved();
}

void MSFlexGrid::applySelection()
{
    QItemSelectionModel* selection = selectionModel();
    if (!selection || applying_)
        return;
    applying_ = true;
    model_->flushRemovals(); // the view's rows must be the grid's rows
    const int shownRows = model_->rowCount();
    const int cols = model_->columnCount();
    const int top = std::max(std::min(row_, rowSel_), 1) - 1;
    const int bottom = std::min(std::max(row_, rowSel_) - 1, shownRows - 1);
    const int left = std::min(col_, colSel_);
    const int right = std::min(std::max(col_, colSel_), cols - 1);
    if (top <= bottom && left <= right)
        selection->select(QItemSelection(model_->index(top, left), model_->index(bottom, right)),
                          QItemSelectionModel::ClearAndSelect);
    else
        selection->clearSelection();
    if (row_ >= 1 && row_ - 1 < shownRows && col_ < cols)
        selection->setCurrentIndex(model_->index(row_ - 1, col_), QItemSelectionModel::NoUpdate);
    else
        selection->clearCurrentIndex();
    applying_ = false;
}

void MSFlexGrid::columnHeaderPressed(int col)
{
    flushRows();
    if (col < 0 || Rows() < 2)
        return;
    if (col < fixedCols) {
        // The top-left header cell: every cell.
        drag_ = Drag::None;
        selectRange(1, firstCol(), Rows() - 1, Cols() - 1);
        return;
    }
    drag_ = Drag::Columns;
    if (headerPressModifiers_ & Qt::ShiftModifier)
        selectRange(1, col_, Rows() - 1, col);
    else
        selectRange(1, col, Rows() - 1, col);
}

void MSFlexGrid::columnHeaderEntered(int col)
{
    if (drag_ != Drag::Columns || col < 0 || Rows() < 2)
        return;
    selectRange(1, col_, Rows() - 1, std::max(col, fixedCols));
}

void MSFlexGrid::rowHeaderPressed(int row, Qt::KeyboardModifiers modifiers)
{
    flushRows();
    if (row < 1 || row >= Rows() || Cols() < 1)
        return;
    drag_ = Drag::Rows;
    if (modifiers & Qt::ShiftModifier)
        selectRange(row_, firstCol(), row, Cols() - 1);
    else
        selectRange(row, firstCol(), row, Cols() - 1);
}

// --- mouse and keys ---

QPoint MSFlexGrid::cellNear(QPoint pos)
{
    const QRect area = viewport()->rect();
    if (pos.y() < area.top())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (pos.y() > area.bottom())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    if (pos.x() < area.left())
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (pos.x() > area.right())
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    const QPoint inside(std::clamp(pos.x(), area.left(), std::max(area.right(), area.left())),
                        std::clamp(pos.y(), area.top(), std::max(area.bottom(), area.top())));
    int viewRow = rowAt(inside.y());
    int col = columnAt(inside.x());
    if (viewRow < 0)
        viewRow = inside.y() <= 0 ? rowAt(0) : model_->rowCount() - 1;
    if (col < 0)
        col = inside.x() <= 0 ? columnAt(0) : model_->columnCount() - 1;
    return {std::max(col, 0), std::max(viewRow, 0) + 1};
}

void MSFlexGrid::mousePressEvent(QMouseEvent* event)
{
    emit mousePressed(event->button(), event->modifiers(), event->globalPosition().toPoint());
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    flushRows();
    setFocus(Qt::MouseFocusReason);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid())
        return;
    const int row = index.row() + 1;
    const int col = index.column();
    if (col < fixedCols) {
        rowHeaderPressed(row, event->modifiers());
        return;
    }
    drag_ = Drag::Cells;
    if (event->modifiers() & Qt::ShiftModifier)
        selectRange(row_, col_, row, col);
    else
        selectRange(row, col, row, col);
}

void MSFlexGrid::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved(event->globalPosition().toPoint());
    event->accept();
    if (drag_ == Drag::None || !(event->buttons() & Qt::LeftButton) || Rows() < 2 || Cols() < 1)
        return;
    const QPoint cell = cellNear(event->position().toPoint());
    const int row = std::min(cell.y(), Rows() - 1);
    switch (drag_) {
    case Drag::Cells:
        selectRange(row_, col_, row, std::clamp(cell.x(), firstCol(), Cols() - 1));
        break;
    case Drag::Rows:
        selectRange(row_, col_, row, Cols() - 1);
        break;
    case Drag::Columns:
    case Drag::None:
        break;
    }
}

void MSFlexGrid::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        drag_ = Drag::None;
}

void MSFlexGrid::keyPressEvent(QKeyEvent* event)
{
    flushRows();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (Rows() < 2 || Cols() < 1) {
        event->ignore();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        // Every cell, as a press on the top-left header cell selects them.
        selectRange(1, firstCol(), Rows() - 1, Cols() - 1);
        event->accept();
        return;
    }
    int row = shift ? rowSel_ : row_;
    int col = shift ? colSel_ : col_;
    const int page =
        std::max(1, viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize()) - 1);
    switch (event->key()) {
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_Left:
        --col;
        break;
    case Qt::Key_Right:
        ++col;
        break;
    case Qt::Key_PageUp:
        row -= page;
        break;
    case Qt::Key_PageDown:
        row += page;
        break;
    case Qt::Key_Home:
        col = firstCol();
        if (ctrl)
            row = 1;
        break;
    case Qt::Key_End:
        col = Cols() - 1;
        if (ctrl)
            row = Rows() - 1;
        break;
    default:
        event->ignore();
        return;
    }
    row = std::clamp(row, 1, Rows() - 1);
    col = std::clamp(col, firstCol(), Cols() - 1);
    if (shift)
        selectRange(row_, col_, row, col);
    else
        selectRange(row, col, row, col);
    scrollTo(model_->index(row - 1, col));
    event->accept();
}

bool MSFlexGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == horizontalHeader()->viewport() || watched == verticalHeader()->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            headerPressModifiers_ = mouse->modifiers();
            emit mousePressed(mouse->button(), mouse->modifiers(), mouse->globalPosition().toPoint());
            break;
        }
        case QEvent::MouseMove:
            emit mouseMoved(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                drag_ = Drag::None;
            break;
        default:
            break;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void MSFlexGrid::doItemsLayout()
{
    const bool quiet = changedSinceLayout_ && rowsOnlyBelowView_;
    if (!quiet) {
        changedSinceLayout_ = rowsOnlyBelowView_ = false;
        quietLayout_.stop(); // this layout covers a deferred one
        QTableView::doItemsLayout();
        return;
    }
    // Rows appended out of sight change nothing in sight but the scroll bar's range. Such a
    // layout runs at most every quietLayoutMs; one asked for sooner is deferred (the changes
    // stay marked as out of sight) and done by the timer. Each layout makes the scroll area
    // lay out and repaint both scroll-bar containers, about 0.5 ms with the fills the raster
    // engine hands to a thread pool: a tenth of a run if it happened at every event-pump tick.
    if (quietLaidOut_.isValid() && !quietLaidOut_.hasExpired(quietLayoutMs)) {
        if (!quietLayout_.isActive())
            quietLayout_.start(int(std::max<qint64>(quietLayoutMs - quietLaidOut_.elapsed(), 0)));
        return;
    }
    changedSinceLayout_ = rowsOnlyBelowView_ = false;
    quietLaidOut_.start();
    viewport()->setAttribute(Qt::WA_UpdatesDisabled, true);
    QTableView::doItemsLayout();
    viewport()->setAttribute(Qt::WA_UpdatesDisabled, false);
}

// --- appearance ---

int MSFlexGrid::ColWidth(int col) const
{
    checkIndex(col, Cols(), "column");
    return twips(horizontalHeader()->sectionSize(col));
}

void MSFlexGrid::setColWidth(int col, int twipCount)
{
    checkIndex(col, Cols(), "column");
    setColumnWidth(col, twipCount < 0 ? horizontalHeader()->defaultSectionSize() : pixels(twipCount));
}

float MSFlexGrid::fontSize() const
{
    const QFont f = font();
    if (f.pointSizeF() > 0)
        return float(f.pointSizeF());
    return float(f.pixelSize() * 72.0 / std::max(logicalDpiY(), 1));
}

void MSFlexGrid::setFontSize(float points)
{
    if (!(points > 0))
        throw std::invalid_argument("MSFlexGrid: the font size must be positive");
    QFont f = font();
    f.setPointSizeF(points);
    setFont(f);
    updateRowHeight();
}

void MSFlexGrid::changeEvent(QEvent* event)
{
    rowsOnlyBelowView_ = false;
    changedSinceLayout_ = true;
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateRowHeight();
}

void MSFlexGrid::updateRowHeight()
{
    const int height = fontMetrics().height() + 4;
    QHeaderView* side = verticalHeader();
    if (side->minimumSectionSize() > height)
        side->setMinimumSectionSize(height);
    side->setDefaultSectionSize(height);
}

// --- filling ---

void MSFlexGrid::beginFill(std::span<const QString> fieldNames)
{
    setCols(int(fieldNames.size()) + firstFieldCol);
    setRows(1);
    model_->clearCells();
    for (std::size_t j = 0; j < fieldNames.size(); ++j)
        model_->setCellText(0, int(j) + firstFieldCol, fieldNames[j]);
    selectRange(0, firstCol(), 0, firstCol());
    fillSelectPending_ = true;
}

void MSFlexGrid::appendRowUtf8(std::span<const std::string_view> fields)
{
    model_->appendRowUtf8(fields, firstFieldCol);
    if (fillSelectPending_)
        selectFirstRecord();
}

void MSFlexGrid::appendRowUtf8(std::span<const QByteArrayView> fields)
{
    model_->appendRowUtf8(fields, firstFieldCol);
    if (fillSelectPending_)
        selectFirstRecord();
}

void MSFlexGrid::appendRow(std::span<const QString> fields)
{
    model_->appendRow(fields, firstFieldCol);
    if (fillSelectPending_)
        selectFirstRecord();
}

void MSFlexGrid::selectFirstRecord()
{
    if (Rows() < 2 || Cols() < 1)
        return;
    const int col = std::min(firstFieldCol, Cols() - 1);
    selectRange(1, col, 1, col);
}

int MSFlexGrid::flushRows()
{
    return model_->flushRows();
}

void MSFlexGrid::endFill()
{
    fillSelectPending_ = false;
    flushRows();
    model_->squeeze();
}

} // namespace ui
