#include "bench/Sinks.h"

#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace bench {

std::uint64_t fileDigest(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), "cannot read " + path);
    LineDigest digest;
    std::vector<char> chunk(1 << 20);
    for (;;) {
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        digest.add({chunk.data(), std::size_t(n)});
    }
    ::close(fd);
    return digest.value();
}

DelimitedDigest delimitedDigest(std::string_view text, std::string_view delimiter, int skipLines,
                                int skipFields)
{
    LineDigest digest;
    DelimitedDigest out;
    std::vector<std::string_view> fields;
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (lineNumber++ < skipLines || (line.empty() && text.empty()))
            continue;
        fields.clear();
        for (std::size_t at = 0; at < line.size();) {
            std::size_t next = line.find(delimiter, at);
            if (next == std::string_view::npos)
                next = line.size(); // a last value without its delimiter (the trimmed end)
            fields.push_back(line.substr(at, next - at));
            at = next + delimiter.size();
        }
        for (std::size_t i = std::size_t(skipFields); i < fields.size(); ++i)
            digest.field(fields[i], i + 1 == fields.size());
        ++out.records;
    }
    out.digest = digest.value();
    return out;
}

LineWriter::LineWriter(const std::string& path) : buffer_(1 << 20), path_(path)
{
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0)
        throw std::system_error(errno, std::generic_category(), "cannot write " + path);
}

LineWriter::~LineWriter()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void LineWriter::spill(std::size_t need)
{
    writeOut(buffer_.data(), used_);
    used_ = 0;
    if (need > buffer_.size())
        buffer_.resize(need);
}

void LineWriter::writeOut(const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw std::system_error(errno, std::generic_category(), "cannot write " + path_);
        data += n;
        size -= std::size_t(n);
    }
}

void LineWriter::close()
{
    writeOut(buffer_.data(), used_);
    used_ = 0;
    if (::close(fd_) != 0) {
        fd_ = -1;
        throw std::system_error(errno, std::generic_category(), "cannot close " + path_);
    }
    fd_ = -1;
}

} // namespace bench
