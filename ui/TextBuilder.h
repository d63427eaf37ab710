#pragma once

#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <string_view>

namespace ui {

// Builds a large text (a result's millions of values) in a QByteArray. QByteArray::append costs
// a call and several checks for every piece, which at 16 pieces a record outweighs reading the
// record; here a piece is one bounds test and a memcpy. The array grows by half again when full
// (a reallocation that moves no bytes once the array is large) and gets its final size in
// take().
class TextBuilder
{
public:
    explicit TextBuilder(qsizetype initialCapacity = 64 * 1024) { grow(initialCapacity); }

    void append(std::string_view piece)
    {
        // An empty value may have no bytes at all (a null data pointer), and memcpy wants
        // valid pointers even for no bytes.
        if (piece.empty())
            return;
        if (std::size_t(capacityEnd_ - end_) < piece.size())
            grow(qsizetype(piece.size()));
        std::memcpy(end_, piece.data(), piece.size());
        end_ += piece.size();
    }
    void append(QByteArrayView piece) { append(std::string_view(piece.data(), std::size_t(piece.size()))); }
    template <std::size_t N> void append(const char (&literal)[N])
    {
        append(std::string_view(literal, N - 1));
    }

    qsizetype size() const { return end_ - text_.constData(); }

    // The text built; the builder is empty afterwards.
    QByteArray take()
    {
        text_.truncate(size());
        QByteArray text = std::move(text_);
        text_ = QByteArray();
        end_ = capacityEnd_ = nullptr;
        return text;
    }

private:
    void grow(qsizetype atLeast)
    {
        const qsizetype used = end_ ? size() : 0;
        text_.resize(std::max(used + atLeast, text_.size() + text_.size() / 2));
        end_ = text_.data() + used;
        capacityEnd_ = text_.data() + text_.size();
    }

    QByteArray text_;
    char* end_ = nullptr;
    char* capacityEnd_ = nullptr;
};

} // namespace ui
