#include "ui/PlainTextView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <algorithm>

namespace ui {
namespace {
constexpr int margin = 4;
constexpr qreal tabStop = 80;
} // namespace

PlainTextView::PlainTextView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    lines_.index();
    updateScrollRanges();
}

QString PlainTextView::toPlainText() const
{
    return lines_.text();
}

void PlainTextView::setPlainText(const QString& text)
{
    clear();
    const QByteArray utf8 = text.toUtf8();
    appendUtf8(std::string_view(utf8.constData(), size_t(utf8.size())));
    flushLines();
}

void PlainTextView::clear()
{
    lines_.clear();
    anchor_ = cursor_ = {};
    widest_ = 0;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    flushLines();
}

void PlainTextView::flushLines()
{
    lines_.index();
    updateScrollRanges();
    viewport()->update();
}

bool PlainTextView::hasSelection() const
{
    return !(anchor_ == cursor_);
}

QString PlainTextView::selectedText() const
{
    const Position from = std::min(anchor_, cursor_), to = std::max(anchor_, cursor_);
    return hasSelection() ? lines_.text(from.line, from.column, to.line, to.column) : QString();
}

void PlainTextView::selectAll()
{
    anchor_ = {};
    const qsizetype last = lines_.lineCount() - 1;
    cursor_ = {last, lines_.line(last).size()};
    viewport()->update();
}

void PlainTextView::copy()
{
    if (hasSelection())
        QApplication::clipboard()->setText(selectedText());
}

int PlainTextView::lineHeight() const
{
    return std::max(1, fontMetrics().lineSpacing());
}

int PlainTextView::textLeft() const
{
    return margin - horizontalScrollBar()->value();
}

void PlainTextView::layOut(QTextLayout& layout, qsizetype line) const
{
    layout.setText(lines_.line(line));
    layout.setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(tabStop);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine textLine = layout.createLine();
    if (textLine.isValid())
        textLine.setLineWidth(1e7);
    layout.endLayout();
}

PlainTextView::Position PlainTextView::positionAt(const QPoint& point) const
{
    const qsizetype count = lines_.lineCount();
    qsizetype line = verticalScrollBar()->value() + (point.y() < 0 ? -1 : point.y() / lineHeight());
    line = std::clamp<qsizetype>(line, 0, count - 1);
    QTextLayout layout;
    layOut(layout, line);
    const int column = layout.lineCount() ? layout.lineAt(0).xToCursor(point.x() - textLeft()) : 0;
    return {line, column};
}

void PlainTextView::updateScrollRanges()
{
    const int visible = std::max(1, viewport()->height() / lineHeight());
    const qsizetype lines = lines_.lineCount();
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, int(std::clamp<qsizetype>(lines - visible, 0, INT_MAX)));
    v->setPageStep(visible);
    v->setSingleStep(1);
    // Lines not yet drawn are estimated from their length; drawn ones measured.
    const qint64 estimate = qint64(lines_.longestLine()) * fontMetrics().averageCharWidth();
    const qint64 widest = std::max<qint64>(widest_, estimate) + 2 * margin;
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, int(std::clamp<qint64>(widest - viewport()->width(), 0, INT_MAX / 2)));
    h->setPageStep(viewport()->width());
    h->setSingleStep(std::max(1, fontMetrics().averageCharWidth() * 2));
}

void PlainTextView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const Position from = std::min(anchor_, cursor_), to = std::max(anchor_, cursor_);
    QTextCharFormat selected;
    selected.setBackground(palette().brush(QPalette::Highlight));
    selected.setForeground(palette().brush(QPalette::HighlightedText));
    const int height = lineHeight();
    const int widestBefore = widest_;
    int y = 0;
    for (qsizetype l = verticalScrollBar()->value(); l < lines_.lineCount() && y < viewport()->height();
         ++l, y += height) {
        QTextLayout layout;
        layOut(layout, l);
        QList<QTextLayout::FormatRange> ranges;
        if (hasSelection() && l >= from.line && l <= to.line) {
            const int start = l == from.line ? int(from.column) : 0;
            const int end = l == to.line ? int(to.column) : int(layout.text().size());
            if (end > start)
                ranges.append({start, end - start, selected});
        }
        layout.draw(&painter, QPointF(textLeft(), y), ranges);
        if (layout.lineCount())
            widest_ = std::max(widest_, int(layout.lineAt(0).naturalTextWidth()));
    }
    if (widest_ != widestBefore)
        QMetaObject::invokeMethod(
            this, [this] { updateScrollRanges(); }, Qt::QueuedConnection);
}

void PlainTextView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
}

void PlainTextView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        widest_ = 0;
        updateScrollRanges();
        viewport()->update();
    }
}

void PlainTextView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    cursor_ = positionAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier))
        anchor_ = cursor_;
    selecting_ = true;
    viewport()->update();
}

void PlainTextView::mouseMoveEvent(QMouseEvent* event)
{
    if (!selecting_)
        return QAbstractScrollArea::mouseMoveEvent(event);
    const QPoint at = event->position().toPoint();
    // Dragging past the top or bottom scrolls a line at a time.
    if (at.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (at.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    cursor_ = positionAt(at);
    viewport()->update();
}

void PlainTextView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    selecting_ = false;
}

void PlainTextView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy))
        return copy();
    if (event->matches(QKeySequence::SelectAll))
        return selectAll();
    QAbstractScrollArea::keyPressEvent(event);
}

void PlainTextView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* copyAction = menu.addAction(tr("&Copy"), QKeySequence::Copy, this, &PlainTextView::copy);
    copyAction->setEnabled(hasSelection());
    menu.addSeparator();
    menu.addAction(tr("Select All"), QKeySequence::SelectAll, this, &PlainTextView::selectAll);
    menu.exec(event->globalPos());
}

} // namespace ui
