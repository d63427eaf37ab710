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
// Decodes in the system code page; bytes that are not valid there are read as Windows-1252,
// the code page of files written by older Windows tools.
QString decodeText(const QByteArray& bytes);

// Each throws FileError on failure.
QString readTextFile(const QString& path);
void appendText(const QString& path, const QString& text);
// Appends bytes as they are. A write that fails leaves the file as it was.
void appendBytes(const QString& path, const QByteArray& bytes);
void deleteFile(const QString& path);

} // namespace ui
