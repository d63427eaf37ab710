#pragma once

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <string_view>
#include <vector>

namespace ui {

// A large text as one UTF-8 buffer and the offset where each line begins: about the text's
// own size in memory plus 8 bytes a line. Lines end at LF; a CR before it is no part of the
// line. Text is appended in pieces (a reading loop appends whole lines); index() finds the
// lines of what was appended since its last call, so appending stays a memcpy.
class TextLines
{
public:
    void append(std::string_view utf8)
    {
        // The buffer grows in place, by doubling: QByteArray's own growth on append copies the
        // text into a new block while the old one is still held, twice the text at its peak.
        const qsizetype size = text_.size() + qsizetype(utf8.size());
        if (size > text_.capacity())
            text_.reserve(std::max(size, 2 * text_.capacity()));
        text_.append(utf8.data(), qsizetype(utf8.size()));
    }
    // Finds the line starts in the text appended since the last call.
    void index();
    void clear();

    // Lines known to index(): the last one is the text after the last LF, shown even when
    // empty, as an editor shows a text that ends in a line break.
    qsizetype lineCount() const { return qsizetype(starts_.size()); }
    std::string_view lineUtf8(qsizetype line) const;
    QString line(qsizetype line) const;
    // The longest line indexed, in bytes.
    qsizetype longestLine() const { return longest_; }
    qsizetype bytes() const { return text_.size(); }
    // The text as appended, line ends included.
    const QByteArray& utf8() const { return text_; }

    // The lines from (firstLine, firstColumn) to (lastLine, lastColumn), columns in UTF-16
    // units of each line, joined by "\n".
    QString text(qsizetype firstLine, qsizetype firstColumn, qsizetype lastLine, qsizetype lastColumn) const;
    // The whole text, lines joined by "\n".
    QString text() const;

private:
    QByteArray text_;
    std::vector<qsizetype> starts_{0};
    qsizetype indexed_ = 0;
    qsizetype longest_ = 0;
};

} // namespace ui
