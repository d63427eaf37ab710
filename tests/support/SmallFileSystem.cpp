#include "tests/support/SmallFileSystem.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

namespace qvtest {
namespace {

QString options(qint64 bytes)
{
    return QStringLiteral("size=%1,mode=0777").arg(bytes);
}

} // namespace

SmallFileSystem::SmallFileSystem(qint64 bytes) : bytes_(bytes)
{
    if (geteuid() != 0) {
        skipReason_ = QStringLiteral("mounting a small tmpfs needs root");
        return;
    }
    const QByteArray where = QFile::encodeName(folder_.path());
    if (::mount("tmpfs", where.constData(), "tmpfs", 0, options(bytes).toLatin1().constData()) != 0)
        skipReason_ =
            QStringLiteral("the tmpfs mount was refused: %1").arg(QString::fromLocal8Bit(strerror(errno)));
}

SmallFileSystem::~SmallFileSystem()
{
    if (skipReason_.isEmpty())
        ::umount2(QFile::encodeName(folder_.path()).constData(), MNT_DETACH);
}

bool SmallFileSystem::remount(bool readOnly)
{
    const QByteArray where = QFile::encodeName(folder_.path());
    const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
    return ::mount("tmpfs", where.constData(), "tmpfs", flags, options(bytes_).toLatin1().constData()) == 0;
}

void SmallFileSystem::fill()
{
    QFile filler(filePath(QStringLiteral(".filler")));
    if (!filler.open(QIODevice::WriteOnly))
        return;
    const QByteArray block(512, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    // The last bytes: one at a time, until nothing more fits.
    while (filler.write("x", 1) == 1 && filler.flush()) {
    }
}

} // namespace qvtest
