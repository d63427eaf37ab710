// The main of every test program: a private HOME, XDG folders and settings store in a
// temporary folder, the offscreen platform, and one QApplication for widget tests.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/quorvane-test-XXXXXX"));
    if (!home.isValid()) {
        fprintf(stderr, "cannot create a temporary home folder\n");
        return 2;
    }
    const QByteArray root = QFile::encodeName(home.path());
    for (const char* sub : {"config", "data", "cache", "runtime"})
        QDir(home.path()).mkpath(QString::fromLatin1(sub));
    setenv("HOME", root.constData(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
    setenv("XDG_CACHE_HOME", (root + "/cache").constData(), 1);
    setenv("XDG_RUNTIME_DIR", (root + "/runtime").constData(), 1);
    setenv("QUORVANE_SETTINGS", (root + "/config/settings.sqlite").constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
