// Durability and sharing, checked with real second processes on the same file.
#include "settings/SettingsStore.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class Peer
{
public:
    explicit Peer(const QString& path)
    {
        process.start(QStringLiteral(SETTINGS_PEER), {path});
        EXPECT_TRUE(process.waitForStarted(30000));
        EXPECT_EQ(reply(), "ready");
    }
    ~Peer()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(30000))
            process.kill();
    }

    QString send(const QString& line)
    {
        process.write((line + "\n").toUtf8());
        return reply();
    }
    void kill()
    {
        process.kill(); // SIGKILL: no chance to flush or close anything
        process.waitForFinished(30000);
    }

    QProcess process;

private:
    QString reply()
    {
        while (!process.canReadLine())
            if (!process.waitForReadyRead(30000))
                return QStringLiteral("<no reply>");
        return QString::fromUtf8(process.readLine()).trimmed();
    }
};

} // namespace

TEST(SettingsSharing, ASaveSurvivesTheProgramBeingKilledRightAfter)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.sqlite");
    {
        Peer peer(path);
        ASSERT_EQ(peer.send("save Options OptionBox 1"), "ok");
        peer.kill();
    }
    EXPECT_EQ(settings::SettingsStore(path).get(settings::OptionBox), "1");
}

TEST(SettingsSharing, TwoRunningProgramsShareOneFileAndTheLastWriterWins)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.sqlite");
    Peer first(path);
    Peer second(path);

    ASSERT_EQ(first.send("save Profiles ProfileName one"), "ok");
    ASSERT_EQ(second.send("save profiles profilename two"), "ok");
    EXPECT_EQ(first.send("get Profiles ProfileName"), "two");
    ASSERT_EQ(first.send("save PROFILES PROFILENAME three"), "ok");
    EXPECT_EQ(second.send("get Profiles ProfileName"), "three");
    EXPECT_EQ(settings::SettingsStore(path).get(settings::LastProfileName), "three");
}
