#include "results/FileReplace.h"

#include "ui/Dialogs.h"
#include "ui/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

namespace results {
namespace {

ui::FileError replaceError(int number, const QSaveFile& file, const QString& path)
{
    return ui::FileError(number != 0 ? number : EIO, file.errorString() + QStringLiteral("\r\nThe file ") +
                                                         path + QStringLiteral(" was left as it was."));
}

} // namespace

void replaceFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        throw replaceError(errno, file, path);
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        const int number = errno;
        file.cancelWriting();
        throw replaceError(number, file, path);
    }
    errno = 0;
    if (!file.commit())
        throw replaceError(errno, file, path);
}

bool mayReplace(const QString& path)
{
    if (!QFileInfo::exists(path))
        return true;
    return ui::askYesNoDefaultNo(QStringLiteral("The file %1 already exists. Replace it?")
                                     .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())));
}

} // namespace results
