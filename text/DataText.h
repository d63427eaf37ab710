#pragma once

// Decoding text that is data (a cell, a setting, a value read from a database) rather than a
// file. QString::fromUtf8 and QString::fromUtf16 treat a leading byte-order mark as a file's
// signature and drop it (fromUtf16 even swaps the bytes of the rest after a leading U+FFFE);
// here every character is kept.

#include <QString>
#include <cstring>
#include <string_view>

namespace text {

inline QString fromUtf8Data(const char* bytes, qsizetype size)
{
    if (size >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0)
        return QChar(0xFEFF) + fromUtf8Data(bytes + 3, size - 3);
    return QString::fromUtf8(bytes, size);
}

inline QString fromUtf8Data(std::string_view bytes)
{
    return fromUtf8Data(bytes.data(), qsizetype(bytes.size()));
}

inline QString fromUtf16Data(const char16_t* chars, qsizetype size)
{
    return QString(reinterpret_cast<const QChar*>(chars), size);
}

} // namespace text
