#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace ui {

// A file operation that failed: the platform's error number and its description.
struct FileError : std::exception
{
    int number = 0;
    QString description;

    FileError(int number, QString description) : number(number), description(std::move(description)) {}
    const char* what() const noexcept override { return "file error"; }
};

// Text files are kept in the system's 8-bit code page (UTF-8 on a UTF-8 system). Line ends
// are the caller's: the program writes CR LF itself.
QByteArray encodeText(const QString& text);

// How a file's bytes stand for its text, so that a file is written back the way it was read.
enum class TextEncoding {
    System,     // the system code page
    Utf8,       // UTF-8 on a system whose code page is another
    Utf8Bom,    // UTF-8 after a byte-order mark
    Utf16LeBom, // UTF-16 after a byte-order mark
    Utf16BeBom,
    Windows1252, // the code page of files written by older Windows tools
};

struct DecodedText
{
    QString text;
    TextEncoding encoding = TextEncoding::System;
};

// Reads the bytes of a text file: after a byte-order mark in its encoding; else in the
// system code page. Bytes not valid there are read as Windows-1252 — on a UTF-8 system each
// such byte alone, as long as the rest holds UTF-8 beyond ASCII (one stray byte does not
// make a UTF-8 file Windows-1252), the whole file when nothing in it is UTF-8 beyond ASCII.
DecodedText decodeTextAndEncoding(const QByteArray& bytes);
QString decodeText(const QByteArray& bytes);

// The text in `encoding`, without a byte-order mark. A text that Windows-1252 cannot hold
// is written in the system code page instead, whole, so that no character is lost.
QByteArray encodeText(const QString& text, TextEncoding encoding);
// The byte-order mark that starts a file in `encoding` ("" for none).
QByteArray byteOrderMark(TextEncoding encoding);

// Each throws FileError on failure.
QString readTextFile(const QString& path);
DecodedText readTextFileAndEncoding(const QString& path);
void appendText(const QString& path, const QString& text);
// Appends in the encoding the file was read in (no second byte-order mark).
void appendText(const QString& path, const QString& text, TextEncoding encoding);
// Appends bytes as they are. A write that fails leaves the file as it was.
void appendBytes(const QString& path, const QByteArray& bytes);
void deleteFile(const QString& path);

} // namespace ui
