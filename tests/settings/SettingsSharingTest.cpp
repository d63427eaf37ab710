// Durability and sharing, checked with real second processes on the same file.
#include "settings/SettingsStore.h"
#include "tests/support/SettingsPeer.h"
#include "tests/support/SmallFileSystem.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using qvtest::SettingsPeer;

TEST(SettingsSharing, EveryAcknowledgedSaveSurvivesAKillAtAnyMoment)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.sqlite");
    QRandomGenerator random(20);
    for (int round = 0; round < 100; ++round) {
        const QString section = QStringLiteral("Round%1").arg(round);
        int acknowledged = -1;
        {
            SettingsPeer peer(path);
            peer.post(QStringLiteral("saves %1 1000").arg(section));
            // Kill after a random number of acknowledgements, anywhere inside the next save.
            const int wanted = int(random.bounded(8));
            while (acknowledged < wanted) {
                const QString line = peer.reply();
                if (!line.startsWith("ok "))
                    break;
                acknowledged = line.mid(3).toInt();
            }
            peer.kill();
        }
        settings::SettingsStore store(path);
        ASSERT_TRUE(store.recoveryNotice().isEmpty()) << store.recoveryNotice().toStdString();
        for (int i = 0; i <= acknowledged; ++i)
            ASSERT_EQ(store.get(section, QStringLiteral("K%1").arg(i), "lost"), QString::number(i))
                << "round " << round << ", save " << i;
    }
}

// Two running programs share one file and the last writer wins. A file another program holds
// past the busy time-out is left to it: its transaction commits.
TEST(SettingsSharing, TwoProgramsShareOneFileTheLastWriterWinsAndAHeldFileIsLeftAsItIs)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.sqlite");
    SettingsPeer first(path);
    SettingsPeer peer(path);
    ASSERT_EQ(first.send("save Profiles ProfileName one"), "ok");
    ASSERT_EQ(peer.send("save profiles profilename two"), "ok");
    EXPECT_EQ(first.send("get Profiles ProfileName"), "two");
    ASSERT_EQ(first.send("save PROFILES PROFILENAME three"), "ok");
    EXPECT_EQ(peer.send("get Profiles ProfileName"), "three");
    EXPECT_EQ(settings::SettingsStore(path).get(settings::LastProfileName), "three");

    settings::SettingsStore(path).save(settings::OptionBox, "1");
    ASSERT_EQ(peer.send("hold 3"), "held");

    settings::SettingsStore::setBusyTimeout(200);
    settings::SettingsStore store(path);
    settings::SettingsStore::setBusyTimeout(10000);
    EXPECT_TRUE(store.recoveryNotice().contains("database is locked"))
        << store.recoveryNotice().toStdString();
    EXPECT_TRUE(store.recoveryNotice().contains("left as it is"));
    store.save(settings::OptionBox, "2"); // this run's own copy
    EXPECT_EQ(store.get(settings::OptionBox), "2");

    EXPECT_EQ(peer.send("commit"), "ok");
    EXPECT_EQ(QDir(dir.path()).entryList({"*unreadable*"}), QStringList());
    EXPECT_EQ(settings::SettingsStore(path).get(settings::OptionBox), "3");
}

// A read-only file is read, never moved; a crashed writer's journal beside it stays, so the
// half-written transaction is rolled back once the file can be written again.
TEST(SettingsSharing, AReadOnlyFileIsReadAndLeftWithItsJournal)
{
    qvtest::SmallFileSystem disk(1024 * 1024);
    QV_REQUIRE_SMALL_FILE_SYSTEM(disk);
    const QString path = disk.filePath("settings.sqlite");
    settings::SettingsStore(path).save(settings::OptionBox, "1");
    {
        SettingsPeer crashed(path);
        ASSERT_EQ(crashed.send("hold 3"), "held");
        crashed.kill();
    }
    ASSERT_TRUE(QFile::exists(path + "-journal"));
    ASSERT_TRUE(disk.remount(true));
    {
        settings::SettingsStore store(path);
        EXPECT_TRUE(store.recoveryNotice().contains("left as it is")) << store.recoveryNotice().toStdString();
        store.save(settings::OptionBox, "2");
        EXPECT_EQ(store.get(settings::OptionBox), "2");
    }
    EXPECT_TRUE(QFile::exists(path + "-journal"));
    EXPECT_EQ(QDir(disk.path()).entryList({"*unreadable*"}), QStringList());

    ASSERT_TRUE(disk.remount(false));
    EXPECT_EQ(settings::SettingsStore(path).get(settings::OptionBox), "1");

    // Read-only without a journal: the settings are there for this run.
    ASSERT_TRUE(disk.remount(true));
    settings::SettingsStore store(path);
    EXPECT_TRUE(store.recoveryNotice().contains("read-only")) << store.recoveryNotice().toStdString();
    EXPECT_EQ(store.get(settings::OptionBox), "1");
}
