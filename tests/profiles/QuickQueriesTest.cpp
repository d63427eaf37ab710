#include "FreshStore.h"

#include "profiles/QuickQueries.h"

using namespace profiles;

using QuickQueryAdding = FreshStore;

TEST_F(QuickQueryAdding, TheThreeMessagesComeInOrderOfPrecedence)
{
    EXPECT_EQ(addQuickQuery("", "", "", {}).message, "You must have a query in the query box to use this feature");
    EXPECT_EQ(addQuickQuery("", "n", "p", {}).message, noQueryMessage());
    EXPECT_EQ(addQuickQuery("q", "", "", {}).message, "You must select a name first to use this feature");
    EXPECT_EQ(addQuickQuery("q", "n", "", {}).message, "You must have a profile for this feature");
    EXPECT_TRUE(quickQueryNames().isEmpty()) << "nothing stored after a message";
}

TEST_F(QuickQueryAdding, ANewNameIsStoredAndListed)
{
    const auto r = addQuickQuery("select 1\r\nfrom t", "one", "p", {});
    EXPECT_TRUE(r.message.isEmpty());
    EXPECT_TRUE(r.addToList);
    EXPECT_EQ(quickQueryText("one"), "select 1\r\nfrom t") << "line breaks kept";
    EXPECT_EQ(quickQueryNames(), QStringList({"one"}));
}

TEST_F(QuickQueryAdding, AnExistingNameReplacesTheTextWithoutASecondEntry)
{
    addQuickQuery("select 1", "one", "p", {});
    const auto r = addQuickQuery("select 2", "one", "p", {"one"});
    EXPECT_FALSE(r.addToList);
    EXPECT_EQ(quickQueryText("one"), "select 2");
    EXPECT_EQ(quickQueryNames(), QStringList({"one"}));
}

TEST_F(QuickQueryAdding, TheListIsComparedWithLetterCase)
{
    addQuickQuery("select 1", "one", "p", {});
    EXPECT_TRUE(addQuickQuery("select 2", "ONE", "p", {"one"}).addToList);
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

using QuickQueryRemoving = FreshStore;

TEST_F(QuickQueryRemoving, RemoveDeletesTheStoredNameAndIgnoresAnUnknownOne)
{
    addQuickQuery("select 1", "one", "p", {});
    addQuickQuery("select 2", "two", "p", {"one"});
    removeQuickQuery("one");
    EXPECT_EQ(quickQueryNames(), QStringList({"two"}));
    EXPECT_NO_THROW(removeQuickQuery("one"));
    EXPECT_NO_THROW(removeQuickQuery(""));
    EXPECT_EQ(quickQueryNames(), QStringList({"two"}));
}

using QuickQueryPanel = FreshStore;

TEST_F(QuickQueryPanel, HiddenAtFirstAndKeptAsShown)
{
    EXPECT_FALSE(quickQueryPanelShown());
    keepQuickQueryPanelShown(true);
    EXPECT_EQ(store().get(settings::QuickQueryShown), "1");
    EXPECT_TRUE(quickQueryPanelShown());
    keepQuickQueryPanelShown(false);
    EXPECT_EQ(store().get("CHECK5", "ShowHide", ""), "0");
    EXPECT_FALSE(quickQueryPanelShown());
}
