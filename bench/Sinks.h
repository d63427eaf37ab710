#pragma once

// Where a reading loop puts the cells of a record: every loop calls field(value, last) once
// per cell, so the same loop can read into nothing, a file or a digest.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace bench {

// Reads and keeps nothing but the number of bytes, so the loop cannot be optimised away.
struct NullSink
{
    std::uint64_t bytes = 0;
    void field(std::string_view value, bool /*last*/) { bytes += value.size(); }
};

// FNV-1a over the bytes of "|"-separated lines ending in "\n": the digest of the file a
// LineWriter writes, computed without the file.
class LineDigest
{
public:
    void field(std::string_view value, bool last)
    {
        add(value);
        const char end = last ? '\n' : '|';
        add({&end, 1});
    }
    void add(std::string_view bytes)
    {
        for (const char c : bytes)
            hash_ = (hash_ ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    }
    std::uint64_t value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xCBF29CE484222325ull;
};

// The digest of a file's bytes, as LineDigest computes it.
std::uint64_t fileDigest(const std::string& path);

// Reads delimited text in Quorvane's output formats (every value followed by the delimiter,
// lines ending in CR LF or LF) and digests its records as LineDigest would digest the same
// values written by a LineWriter: `skipLines` leading lines (the field names) and the first
// `skipFields` fields of each line (the grid's empty columns) are left out. An empty last
// line is no record.
struct DelimitedDigest
{
    std::uint64_t digest = 0;
    std::int64_t records = 0;
};
DelimitedDigest delimitedDigest(std::string_view text, std::string_view delimiter, int skipLines,
                                int skipFields);

// Writes "|"-separated lines ending in "\n" through its own 1 MiB buffer.
class LineWriter
{
public:
    explicit LineWriter(const std::string& path);
    ~LineWriter();
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    void field(std::string_view value, bool last)
    {
        if (used_ + value.size() + 1 > buffer_.size())
            spill(value.size() + 1);
        if (!value.empty()) // an empty value may have a null pointer, which memcpy may not see
            std::memcpy(buffer_.data() + used_, value.data(), value.size());
        used_ += value.size();
        buffer_[used_++] = last ? '\n' : '|';
    }
    // Writes what is buffered and closes the file; throws on a write error.
    void close();

private:
    void spill(std::size_t need);
    void writeOut(const char* data, std::size_t size);

    int fd_ = -1;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    std::string path_;
};

} // namespace bench
