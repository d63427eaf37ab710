#pragma once

#include <cstddef>
#include <string>

namespace db {

// Appends bytes as upper-case hexadecimal digits, two per byte: how binary values are shown,
// as ODBC converts binary to text.
inline void appendHex(std::string& out, const void* data, std::size_t bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    const auto* b = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < bytes; ++i) {
        out.push_back(digits[b[i] >> 4]);
        out.push_back(digits[b[i] & 0x0F]);
    }
}

} // namespace db
