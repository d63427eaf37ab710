#pragma once

#include <QByteArray>
#include <QString>

// Writing a file whole over what it held: the query files and the CSV export.
namespace results {

// Writes `bytes` as the whole new content of `path`: into a new file beside it, renamed over
// the old one when complete. Throws ui::FileError; the old file is then left whole.
void replaceFile(const QString& path, const QByteArray& bytes);

// Whether `path` may be written over: true when no file is there, else the user's answer to
// "The file … already exists. Replace it?" (No is the default).
bool mayReplace(const QString& path);

} // namespace results
