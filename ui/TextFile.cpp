#include "ui/TextFile.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <array>
#include <cerrno>

namespace ui {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five unassigned bytes map to
// the C1 control characters, as Windows itself does.
constexpr std::array<char16_t, 32> cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeWindows1252(const QByteArray& bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (unsigned char b : bytes)
        *dst++ = (b >= 0x80 && b <= 0x9F) ? QChar(cp1252High[b - 0x80]) : QChar(b);
    return out;
}

FileError lastError(const QFile& file)
{
    const int number = errno != 0 ? errno : EIO;
    return FileError(number, file.errorString());
}

} // namespace

QByteArray encodeText(const QString& text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

QString decodeText(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (!decoder.hasError())
        return text;
    return decodeWindows1252(bytes);
}

QString readTextFile(const QString& path)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        throw lastError(file);
    errno = 0;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw lastError(file);
    return decodeText(bytes);
}

void appendText(const QString& path, const QString& text)
{
    appendBytes(path, encodeText(text));
}

void appendBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    errno = 0;
    // Unbuffered: nothing is left in a buffer to be written after a failure.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        throw lastError(file);
    const qint64 before = file.size();
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        const FileError error = lastError(file);
        // A full disk may have taken part of the text: the file is given back as it was
        // rather than left with a cut line at its end.
        file.resize(before);
        throw error;
    }
}

void deleteFile(const QString& path)
{
    QFile file(path);
    errno = 0;
    if (!file.remove())
        throw lastError(file);
}

} // namespace ui
