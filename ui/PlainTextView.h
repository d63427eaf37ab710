#pragma once

#include "ui/TextLines.h"

#include <QAbstractScrollArea>
#include <QString>
#include <string_view>

class QTextLayout;

namespace ui {

// A read-only view of a large plain text: the text is kept once, as UTF-8 with line offsets
// (TextLines), and only the lines in sight are laid out and drawn, so millions of lines cost
// about their own size and show at once. It offers what a plain-text box offers a reader:
// selecting with the mouse (Shift extends), Copy and Select All (keys and context menu),
// scrolling, the widget's font; tabs stop every 80 pixels as in a plain-text edit. Lines are
// not wrapped.
class PlainTextView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit PlainTextView(QWidget* parent = nullptr);

    // The whole text, lines joined by "\n" (a CR LF line end reads as "\n").
    QString toPlainText() const;
    void setPlainText(const QString& text);
    void clear();

    // Filling while a result is read: append whole lines of UTF-8, then flushLines() now and
    // then (the view then knows the new lines and repaints).
    void appendUtf8(std::string_view utf8) { lines_.append(utf8); }
    void flushLines();

    qsizetype lineCount() const { return lines_.lineCount(); }
    const TextLines& lines() const { return lines_; }
    bool hasSelection() const;
    QString selectedText() const;
    void selectAll();
    // Puts the selection on the clipboard.
    void copy();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct Position
    {
        qsizetype line = 0;
        qsizetype column = 0; // UTF-16 units into the line
        bool operator<(const Position& o) const
        {
            return line < o.line || (line == o.line && column < o.column);
        }
        bool operator==(const Position&) const = default;
    };

    int lineHeight() const;
    int textLeft() const; // the x of column 0 in the viewport
    void layOut(QTextLayout& layout, qsizetype line) const;
    Position positionAt(const QPoint& point) const;
    void updateScrollRanges();

    TextLines lines_;
    Position anchor_, cursor_;
    bool selecting_ = false;
    int widest_ = 0; // pixels, of the lines drawn so far
};

} // namespace ui
