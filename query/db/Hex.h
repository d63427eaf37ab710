#pragma once

#include <cstddef>
#include <cstdint>
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

// Appends a bit field's bytes (most significant first, as MySQL sends BIT(n)) as its number;
// wider than 64 bits, which no engine has, as hexadecimal.
inline void appendBits(std::string& out, const void* data, std::size_t bytes)
{
    if (bytes > 8) {
        appendHex(out, data, bytes);
        return;
    }
    const auto* b = static_cast<const unsigned char*>(data);
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        value = (value << 8) | b[i];
    out += std::to_string(value);
}

} // namespace db
