// Reads a fuzzer's bytes as a stream of small decisions and texts.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace fuzz {

class Input
{
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return at_ >= size_; }
    // A number below `bound` (0 when the input is used up).
    unsigned pick(unsigned bound)
    {
        if (bound == 0 || empty())
            return 0;
        return data_[at_++] % bound;
    }
    // Up to `limit` bytes, as they are.
    std::string_view bytes(std::size_t limit)
    {
        const std::size_t n = std::min<std::size_t>(pick(unsigned(limit) + 1), size_ - std::min(at_, size_));
        const std::string_view piece(reinterpret_cast<const char*>(data_) + at_, n);
        at_ += n;
        return piece;
    }
    // Up to `limit` bytes read as UTF-16 code units from a small alphabet that holds every
    // character the parsers treat specially, then anything at all.
    QString text(std::size_t limit)
    {
        static const char16_t special[] = {u';',  u'=', u'{', u'}', u' ',   u'\t',  u',',   u'"',   u'\r',
                                           u'\n', u'a', u'B', u'0', 0xFEFF, 0xFFFE, 0x00E4, 0xD83D, 0xDE00};
        QString out;
        const unsigned n = pick(unsigned(limit) + 1);
        for (unsigned i = 0; i < n && !empty(); ++i) {
            const unsigned c = pick(64);
            if (c < std::size(special))
                out += QChar(special[c]);
            else
                out += QChar(char16_t(0x20 + c + 7 * pick(256)));
        }
        return out;
    }
    // As text(), with every surrogate replaced by "?": text a user can type into a box.
    QString typedText(std::size_t limit)
    {
        QString out = text(limit);
        for (QChar& c : out)
            if (c.isSurrogate())
                c = u'?';
        return out;
    }
    // All that is left, as text.
    QString rest()
    {
        const std::string_view all(reinterpret_cast<const char*>(data_) + std::min(at_, size_),
                                   size_ - std::min(at_, size_));
        at_ = size_;
        return QString::fromUtf8(all.data(), qsizetype(all.size()));
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Stops the run with the fuzzer's crash report when a property does not hold.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);                \
            abort();                                                                                         \
        }                                                                                                    \
    } while (0)

} // namespace fuzz
