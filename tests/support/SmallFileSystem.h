#pragma once

// A tmpfs of a few kilobytes mounted by the test (which needs root), to fill a disk or make
// one read-only. Where the mount is refused, skipReason() says why and the test skips.

#include <QString>
#include <QTemporaryDir>

namespace qvtest {

class SmallFileSystem
{
public:
    explicit SmallFileSystem(qint64 bytes);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    // Empty when mounted.
    QString skipReason() const { return skipReason_; }
    QString path() const { return folder_.path(); }
    QString filePath(const QString& name) const { return folder_.filePath(name); }

    // True when the remount worked.
    bool remount(bool readOnly);
    // Fills what is left with a file of its own, so the next write finds the disk full.
    void fill();

private:
    QTemporaryDir folder_;
    QString skipReason_;
    qint64 bytes_;
};

} // namespace qvtest

// Skips the test where `disk` could not be mounted.
#define QV_REQUIRE_SMALL_FILE_SYSTEM(disk)                                                                   \
    if (!(disk).skipReason().isEmpty())                                                                      \
    GTEST_SKIP() << (disk).skipReason().toStdString()
