#include "settings/SettingsStore.h"

#include "tests/support/FileBytes.h"
#include "tests/support/Thrown.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using settings::SettingsStore;

namespace {

class StoreTest : public testing::Test
{
protected:
    QTemporaryDir dir;
    QString path = dir.filePath("settings.sqlite");
};

} // namespace

TEST_F(StoreTest, SectionsAndKeysIgnoreLetterCaseValuesRoundTripAndDeletesNeedATarget)
{
    SettingsStore store(path);
    store.save("abc", settings::profile::CheckBox1, "0");
    EXPECT_EQ(store.get("ABC", settings::profile::CheckBox1Read), "0");

    store.save(settings::MailTo, "a@example.org");
    EXPECT_EQ(store.get(settings::MailToRead), "a@example.org");
    store.save("Mail", "FROM", "b@example.org");
    EXPECT_EQ(store.get(settings::MailTo), "b@example.org") << "\"from\" and \"FROM\" are one value";

    store.save("QuickQuery", "Second", "2");
    store.save("QUICKQUERY", "first", "1");
    store.save("quickquery", "SECOND", "two");
    store.save("QuickQuery", "Ärger", "3");
    store.save("QuickQuery", "ÄRGER", "4"); // beyond ASCII too
    EXPECT_EQ(store.getAll("QuickQuery"),
              std::optional(settings::KeyValueList{{"Second", "two"}, {"first", "1"}, {"Ärger", "4"}}));

    // Values come back unchanged.
    const QString awkward = QStringLiteral("select 'a\"b'\r\n\tfrom [t]\nwhere x = N'Мир 漢字 😀'\r");
    QString big(1024 * 1024, QChar(u'x'));
    big[500000] = QChar(u'€');
    store.save("p", "Text1", awkward);
    store.save("p", "Big", big);
    store.save("p", "Empty", "");
    const QString marks = QStringLiteral("\uFEFF\uFEFFx\uFFFE");
    store.save("p", marks, marks);

    SettingsStore reopened(path);
    EXPECT_EQ(reopened.get("p", marks, ""), marks) << "byte-order marks are characters of the value";
    EXPECT_EQ(reopened.getAll("p")->last().first, marks);
    EXPECT_EQ(reopened.get("p", "Text1", ""), awkward);
    EXPECT_EQ(reopened.get("p", "Big", ""), big);
    EXPECT_EQ(reopened.get("p", "Empty", "default"), "") << "a stored empty text is not the default";

    // Deletes need something to delete, and a section needs a name.
    EXPECT_THROW(store.save("", "Text1", "x"), settings::StoreError);
    EXPECT_THROW(store.get("", "Text1", "x"), settings::StoreError);
    EXPECT_THROW(store.deleteKey("QuickQuery", "none"), settings::StoreError);
    EXPECT_THROW(store.deleteSection("never written"), settings::StoreError);

    store.save("Profile A", "Text4", "sa");
    store.save("Profile A", "Text8", "server");
    store.save("Other", "Text4", "keep");
    store.deleteKey("profile a", "TEXT4");
    EXPECT_EQ(store.get("Profile A", "Text4", "gone"), "gone");
    EXPECT_THROW(store.deleteKey("Profile A", "Text4"), settings::StoreError);

    store.deleteSection("PROFILE A");
    EXPECT_EQ(store.get("Profile A", "Text8", "gone"), "gone");
    EXPECT_FALSE(store.getAll("Profile A").has_value());
    EXPECT_THROW(store.deleteSection("Profile A"), settings::StoreError);
    EXPECT_EQ(store.get("Other", "Text4", ""), "keep");
}

TEST_F(StoreTest, AnUnreadableFileIsMovedAsideAndAFreshStoreStarts)
{
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    qvtest::writeBytes(path, noise);

    SettingsStore store(path);
    EXPECT_TRUE(store.recoveryNotice().contains(path)) << "the notice names the file";
    EXPECT_EQ(store.get(settings::OptionBox), "2");
    store.save(settings::OptionBox, "1");
    EXPECT_EQ(SettingsStore(path).get(settings::OptionBox), "1");

    const QStringList aside = QDir(dir.path()).entryList({"settings.sqlite.unreadable-*"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(qvtest::fileBytes(dir.filePath(aside.first())), noise)
        << "the unreadable file is kept as it was";
}

// The program's store is the file the environment names. A write the file refuses names the
// file and keeps the old value.
TEST_F(StoreTest, TheEnvironmentsFileARefusedWriteAndTheFileRights)
{
    qputenv("QUORVANE_SETTINGS", QFile::encodeName(path));
    settings::reopenStore();
    settings::store().save(settings::OptionBox, "1");
    EXPECT_EQ(settings::store().path(), path);
    SettingsStore own(path);
    EXPECT_EQ(own.get(settings::OptionBox), "1");
    ASSERT_TRUE(QDir().mkdir(path + "-journal")); // the journal cannot be created now
    const auto refused = qvtest::thrown<settings::StoreError>([&] { own.save(settings::OptionBox, "2"); });
    ASSERT_TRUE(refused);
    EXPECT_TRUE(refused->message.contains(path)) << refused->message.toStdString();
    ASSERT_TRUE(QDir().rmdir(path + "-journal"));
    EXPECT_EQ(own.get(settings::OptionBox), "1");
    settings::reopenStore();

    // The file, its journal and the folders made for it are the user's alone.
    const auto mode = [](const QString& p) {
        struct stat st = {};
        return ::stat(QFile::encodeName(p).constData(), &st) == 0 ? st.st_mode & 07777 : 0u;
    };
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const QString nested = dir.filePath("made/for/it/settings.sqlite");
    SettingsStore store(nested);
    store.transaction([&] {
        store.save("work", "Text4", "sa");
        EXPECT_EQ(mode(nested + "-journal"), 0600u) << "the journal of a write";
    });
    EXPECT_EQ(mode(nested), 0600u);
    for (const char* folder : {"made", "made/for", "made/for/it"})
        EXPECT_EQ(mode(dir.filePath(folder)), 0700u) << folder;
    EXPECT_EQ(mode(dir.path()), 0755u) << "a folder that was there keeps its mode";
}
