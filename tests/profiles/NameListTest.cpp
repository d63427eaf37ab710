#include "profiles/NameList.h"

#include <gtest/gtest.h>

using namespace profiles;

// Reading: every name enclosed in commas is listed in order, the last piece never.
TEST(NameList, ReadingSavingAndDeletingNeverMakeOrGlueNames)
{
    EXPECT_EQ(parseNameList(",a,,b,,c,"), QStringList({"a", "b", "c"}));
    EXPECT_EQ(parseNameList(""), QStringList());
    EXPECT_EQ(parseNameList(",a,"), QStringList({"a"}));

    // An earlier version's ending and shared commas still read.
    EXPECT_EQ(parseNameList(",a,c,,\""), QStringList({"a", "c"})) << "the lone quote is the last piece";
    EXPECT_EQ(parseNameList(",a,c,"), QStringList({"a", "c"}));

    // The last piece is never read and blank pieces are skipped.
    EXPECT_EQ(parseNameList(",a,b"), QStringList({"a"}));
    EXPECT_EQ(parseNameList("a"), QStringList());
    EXPECT_EQ(parseNameList(",  ,, x ,"), QStringList({" x "})) << "names stay untrimmed";
    EXPECT_EQ(parseNameList(",a,c,,\",d,"), QStringList({"a", "c", "\"", "d"}))
        << "an old ending followed by a later save shows the quote as a name";

    // Saving adds a name once.
    EXPECT_EQ(nameListWith("", "a"), ",a,");
    EXPECT_EQ(nameListWith(",a,", "a"), ",a,");
    EXPECT_EQ(nameListWith(",a,", "b"), ",a,,b,");
    EXPECT_EQ(nameListWith(",a,", "A"), ",a,") << "names differing only in case are one entry";
    EXPECT_EQ(nameListWith(",ab,", "a"), ",ab,,a,") << "only a whole name counts";

    // An earlier version's ending never becomes a name.
    const QString saved = nameListWith(",a,c,,\"", "d");
    EXPECT_EQ(parseNameList(saved), QStringList({"a", "c", "d"}));

    // Deleting writes the rest back, each in its own commas.
    EXPECT_EQ(nameListWithout(",a,,b,,c,", "b"), ",a,,c,");
    EXPECT_EQ(nameListWithout(",a,", "a"), "");
    EXPECT_EQ(nameListWithout(",a,,b,", "x"), ",a,,b,");
    EXPECT_EQ(nameListWithout(",a,,A,,b,", "A"), ",b,") << "every spelling of the name";

    // Two deletes never glue neighbours together.
    QString list;
    for (const char* name : {"a", "b", "c", "d"})
        list = nameListWith(list, name);
    list = nameListWithout(nameListWithout(list, "a"), "c");
    EXPECT_EQ(list, ",b,,d,");

    // Lists of earlier versions are tidied too.
    EXPECT_EQ(nameListWithout(",a,b,c,,\"", "b"), ",a,,c,") << "shared commas and the old ending";
    EXPECT_EQ(nameListWithout(",a,c,,\"", "zz"), ",a,,c,");
    EXPECT_EQ(nameListWithout(",x,y,,z,", "x,y"), ",z,") << "a name with a comma goes as it was written";
}
