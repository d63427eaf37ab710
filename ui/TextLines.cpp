#include "ui/TextLines.h"

#include <algorithm>
#include <cstring>

namespace ui {

void TextLines::index()
{
    const char* data = text_.constData();
    const qsizetype size = text_.size();
    qsizetype at = indexed_;
    while (at < size) {
        const void* lf = std::memchr(data + at, '\n', size_t(size - at));
        if (!lf)
            break;
        const qsizetype end = static_cast<const char*>(lf) - data;
        const bool cr = end > starts_.back() && data[end - 1] == '\r';
        longest_ = std::max(longest_, end - starts_.back() - (cr ? 1 : 0));
        starts_.push_back(end + 1);
        at = end + 1;
    }
    indexed_ = size;
    longest_ = std::max(longest_, size - starts_.back());
}

void TextLines::clear()
{
    text_ = QByteArray();
    starts_.assign(1, 0);
    indexed_ = 0;
    longest_ = 0;
}

std::string_view TextLines::lineUtf8(qsizetype line) const
{
    if (line < 0 || line >= lineCount())
        return {};
    const qsizetype begin = starts_[size_t(line)];
    qsizetype end = line + 1 < lineCount() ? starts_[size_t(line + 1)] - 1 : indexed_;
    if (end > begin && text_[end - 1] == '\r')
        --end;
    return {text_.constData() + begin, size_t(end - begin)};
}

QString TextLines::line(qsizetype line) const
{
    const std::string_view utf8 = lineUtf8(line);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

QString TextLines::text(qsizetype firstLine, qsizetype firstColumn, qsizetype lastLine,
                        qsizetype lastColumn) const
{
    QString out;
    for (qsizetype l = firstLine; l <= lastLine && l < lineCount(); ++l) {
        const QString whole = line(l);
        const qsizetype from = l == firstLine ? std::min(firstColumn, whole.size()) : 0;
        const qsizetype to = l == lastLine ? std::min(lastColumn, whole.size()) : whole.size();
        if (l > firstLine)
            out += QLatin1Char('\n');
        if (to > from)
            out += QStringView(whole).mid(from, to - from);
    }
    return out;
}

QString TextLines::text() const
{
    // Converted once, then the CR of every CR LF taken out in place.
    QString out = QString::fromUtf8(text_.constData(), indexed_);
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return out;
}

} // namespace ui
