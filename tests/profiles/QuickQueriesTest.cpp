#include "tests/support/FreshStore.h"

#include "profiles/QuickQueries.h"

using namespace profiles;

using QuickQueryAdding = FreshStore;

TEST_F(QuickQueryAdding, TheListIsComparedWithoutLetterCaseAsTheStoreDoes)
{
    addQuickQuery("select 1", "one", "p", {});
    EXPECT_FALSE(addQuickQuery("select 2", "ONE", "p", {"one"}).addToList);
}

TEST_F(QuickQueryAdding, TheSetIsTheSameWhicheverProfileAddsOrReads)
{
    addQuickQuery("select 1", "one", "sales", {});
    addQuickQuery("select 2", "two", "stock", {"one"});
    EXPECT_EQ(quickQueryNames(), QStringList({"one", "two"}));
}

using QuickQueryReading = FreshStore;

TEST_F(QuickQueryReading, AnUnknownOrEmptyNameReadsNothing)
{
    EXPECT_EQ(quickQueryText("nothing"), "");
    EXPECT_EQ(quickQueryText(""), "");
    store().save("QuickQuery", "blank", "");
    EXPECT_EQ(quickQueryText("blank"), "");
    EXPECT_EQ(quickQueryNames(), QStringList({"blank"}));
}

TEST_F(QuickQueryReading, NamesComeInTheStoresOrder)
{
    store().save("QuickQuery", "zeta", "1");
    store().save("QuickQuery", "alpha", "2");
    EXPECT_EQ(quickQueryNames(), QStringList({"zeta", "alpha"}));
}
