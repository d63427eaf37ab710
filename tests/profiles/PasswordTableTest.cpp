#include "profiles/PasswordTable.h"

#include <QStringList>
#include <gtest/gtest.h>

using profiles::PasswordTable;

// A first choice or save of a name claims the lowest free entry (a save's password kept), any
// later one under any letter case claims nothing.
TEST(PasswordTable, AFirstChoiceOrSaveClaimsTheLowestEntryOfAHundredAndKeepsWhatIsTyped)
{
    PasswordTable t;
    const auto first = t.choose("a");
    EXPECT_TRUE(first && first->password.isEmpty() && first->databasePassword.isEmpty());
    EXPECT_TRUE(t.save("new", "pw", ""));
    t.choose("a");
    EXPECT_EQ((QStringList{t.entry(0).name, t.entry(1).name}), (QStringList{"a", "new"}));
    EXPECT_EQ(t.choose("NEW")->password, "pw") << "names compare without letter case, as their sections do";
    EXPECT_EQ(t.claimedCount(), 2) << "choosing a name again claims nothing";

    // The database password is remembered as typed, for a known name only.
    PasswordTable u;
    u.setDatabasePassword("unknown", "x");
    u.setDatabasePassword("", "db");
    EXPECT_FALSE(u.choose("").has_value());
    EXPECT_FALSE(u.save("", "pw", "db"));
    EXPECT_EQ(u.claimedCount(), 0) << "a change, or an empty name, never claims an entry";
    EXPECT_TRUE(u.choose("later")->password.isEmpty()) << "no password left behind in an unclaimed entry";
    u.setDatabasePassword("later", "typed");
    EXPECT_EQ(u.choose("later")->databasePassword, "typed") << "kept without a save";
    EXPECT_TRUE(u.choose("later")->password.isEmpty()) << "the password box has no such path";

    // Only a hundred names are remembered, and the last entry stays empty.
    t = PasswordTable();
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(t.save(QString("p%1").arg(i), QString("pw%1").arg(i), {}));
    EXPECT_EQ(t.claimedCount(), 100);

    EXPECT_FALSE(t.choose("p100").has_value()) << "the 101st name gets no memory";
    EXPECT_FALSE(t.save("p100", "pw", "db"));
    EXPECT_TRUE(t.entry(PasswordTable::Usable).name.isEmpty());
    EXPECT_TRUE(t.entry(PasswordTable::Usable).password.isEmpty());
    EXPECT_EQ(t.choose("p99")->password, "pw99") << "the others keep theirs";
    EXPECT_EQ(t.choose("p0")->password, "pw0");
}
