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

// Windows-1252's byte for a character, or -1 when it has none.
int windows1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (std::size_t i = 0; i < cp1252High.size(); ++i) {
        if (cp1252High[i] == c)
            return int(0x80 + i);
    }
    return -1;
}

// The length of the well-formed UTF-8 sequence at `at` (1 to 4), or 0 when the byte there
// starts none (overlong forms, surrogates and code points past U+10FFFF are not UTF-8).
int utf8Sequence(const QByteArray& bytes, qsizetype at, char32_t& code)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    int length = 0;
    char32_t min = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

// UTF-8 with each byte that starts no well-formed sequence read as Windows-1252; `multiByte`
// counts the sequences beyond ASCII.
QString decodeUtf8Leniently(const QByteArray& bytes, qsizetype from, qsizetype& multiByte)
{
    QString out;
    out.reserve(bytes.size() - from);
    multiByte = 0;
    for (qsizetype at = from; at < bytes.size();) {
        char32_t code = 0;
        const int length = utf8Sequence(bytes, at, code);
        if (length == 0) {
            const unsigned char b = static_cast<unsigned char>(bytes[at]);
            out += (b >= 0x80 && b <= 0x9F) ? QChar(cp1252High[b - 0x80]) : QChar(b);
            ++at;
            continue;
        }
        if (length > 1)
            ++multiByte;
        // Appended by hand: QString::fromUcs4 would take a U+FEFF for a byte-order mark and drop it.
        if (QChar::requiresSurrogates(code)) {
            out += QChar(QChar::highSurrogate(code));
            out += QChar(QChar::lowSurrogate(code));
        } else {
            out += QChar(char16_t(code));
        }
        at += length;
    }
    return out;
}

bool systemIsUtf8()
{
    static const bool utf8 = encodeText(QStringLiteral("\u00e9")) == QByteArray("\xc3\xa9");
    return utf8;
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

DecodedText decodeTextAndEncoding(const QByteArray& bytes)
{
    qsizetype multiByte = 0;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return {decodeUtf8Leniently(bytes, 3, multiByte), TextEncoding::Utf8Bom};
    if (bytes.startsWith("\xFF\xFE"))
        return {QStringDecoder(QStringConverter::Utf16LE).decode(bytes.mid(2)), TextEncoding::Utf16LeBom};
    if (bytes.startsWith("\xFE\xFF"))
        return {QStringDecoder(QStringConverter::Utf16BE).decode(bytes.mid(2)), TextEncoding::Utf16BeBom};

    QStringDecoder decoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (!decoder.hasError())
        return {text, TextEncoding::System};
    text = decodeUtf8Leniently(bytes, 0, multiByte);
    if (multiByte > 0)
        return {text, systemIsUtf8() ? TextEncoding::System : TextEncoding::Utf8};
    return {decodeWindows1252(bytes), TextEncoding::Windows1252};
}

QString decodeText(const QByteArray& bytes)
{
    return decodeTextAndEncoding(bytes).text;
}

QByteArray encodeText(const QString& text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::System:
        break;
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        return text.toUtf8();
    case TextEncoding::Utf16LeBom:
        return QStringEncoder(QStringConverter::Utf16LE).encode(text);
    case TextEncoding::Utf16BeBom:
        return QStringEncoder(QStringConverter::Utf16BE).encode(text);
    case TextEncoding::Windows1252: {
        QByteArray out;
        out.reserve(text.size());
        for (const QChar c : text) {
            const int b = windows1252Byte(c.unicode());
            if (b < 0)
                return encodeText(text);
            out.append(char(b));
        }
        return out;
    }
    }
    return encodeText(text);
}

QByteArray byteOrderMark(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF");
    case TextEncoding::Utf16LeBom:
        return QByteArray("\xFF\xFE");
    case TextEncoding::Utf16BeBom:
        return QByteArray("\xFE\xFF");
    default:
        return {};
    }
}

QString readTextFile(const QString& path)
{
    return readTextFileAndEncoding(path).text;
}

DecodedText readTextFileAndEncoding(const QString& path)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        throw lastError(file);
    errno = 0;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw lastError(file);
    return decodeTextAndEncoding(bytes);
}

void appendText(const QString& path, const QString& text)
{
    appendText(path, text, TextEncoding::System);
}

void appendText(const QString& path, const QString& text, TextEncoding encoding)
{
    appendBytes(path, encodeText(text, encoding));
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
