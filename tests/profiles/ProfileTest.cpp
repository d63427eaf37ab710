#include "profiles/Profile.h"

#include "profiles/QueryTextKeeper.h"
#include "tests/support/FreshStore.h"

using namespace profiles;

// Check1 off, Check4 on.
const ProfileFields sample{"MySql", "reporter", "db.example.org", "sales", "select *\r\nfrom orders", false};

using Profiles = FreshStore;

TEST_F(Profiles, AFirstSaveStoresEveryFieldAndListsTheNameALaterSpellingReusesBoth)
{
    SaveResult r = saveProfile("a", sample);
    EXPECT_TRUE(r.outcome == Outcome::Saved && r.nameAdded);
    EXPECT_EQ(store().get(settings::ProfileNames), ",a,");

    // Stored in this order and nothing else (no password).
    EXPECT_EQ(store().getAll("a"), std::optional(settings::KeyValueList{{"Text1", "select *\r\nfrom orders"},
                                                                        {"Text4", "reporter"},
                                                                        {"Text8", "db.example.org"},
                                                                        {"Text9", "sales"},
                                                                        {"Combo1", "MySql"},
                                                                        {"CheckBox1", "0"},
                                                                        {"CheckBox4", "1"}}));

    // Names differing in case are one profile, listed as first saved.
    ProfileFields upper = sample;
    upper.databaseName = "archive";
    r = saveProfile("A", upper);
    EXPECT_TRUE(!r.nameAdded && r.listedName == "a") << r.listedName.toStdString();
    EXPECT_EQ(storedProfileNames(), QStringList({"a"}));
    EXPECT_EQ(loadProfile("a").databaseName, "archive") << "one section for both spellings";
}

TEST_F(Profiles, AnEmptyOrReservedNameStoresOrDeletesNothingAndSaysSo)
{
    EXPECT_EQ(saveProfile("", sample).outcome, Outcome::NoName);
    EXPECT_FALSE(message(Outcome::NoName, "").isEmpty());

    EXPECT_EQ(saveProfile("quickquery", sample).outcome, Outcome::ReservedName);
    EXPECT_TRUE(message(Outcome::ReservedName, "quickquery").contains("quickquery"));
    EXPECT_FALSE(store().getAll("QuickQuery").has_value());
    EXPECT_EQ(store().get(settings::ProfileNames), "");

    // Deleting a reserved name takes it off the list and leaves the program's own settings alone.
    store().save(settings::FontSizeText1, "12");
    store().save(settings::ProfileNames, ",Options,,a,");
    EXPECT_EQ(deleteProfile("Options"), Outcome::ReservedNameDelisted);
    EXPECT_EQ(store().get(settings::FontSizeText1), "12");
    EXPECT_EQ(store().get(settings::ProfileNames), ",a,");
}

// No section reads as empty fields with ticked boxes; so does a box key that is missing or
// cannot be read.
TEST_F(Profiles, MissingSectionsAndUnreadableCheckBoxKeysReadAsTicked)
{
    const ProfileFields ticked{{}, {}, {}, {}, {}, true, true};
    EXPECT_EQ(loadProfile(""), ticked);
    EXPECT_EQ(loadProfile("never saved"), ticked);

    store().save("p", "Text4", "u");
    store().save("p", "CheckBox4", "zero");
    EXPECT_EQ(loadProfile("p"), (ProfileFields{{}, "u", {}, {}, {}, true, true}));

    store().save("p", "checkbox1", "0");
    EXPECT_FALSE(loadProfile("p").saveCurrentStatement) << "written in one case, read in another";
}

TEST_F(Profiles, TheQueryTextAndCheckBoxesAreKeptPerProfileNamedOnly)
{
    QueryTextKeeper keeper;
    keeper.keep("p", "select 0");
    keeper.keep("p", "select 1");
    keeper.wait();
    keepSaveCurrentStatement("p", false);
    keepSaveAllStatements("p", true);
    EXPECT_EQ(loadProfile("p"), (ProfileFields{{}, {}, {}, {}, "select 1", false, true}));

    keepQueryTextOnRun("P", "select 2");
    EXPECT_EQ(loadProfile("p").queryText, "select 2") << "\"text1\" and \"Text1\" are one value";

    // Without a profile name nothing is kept and nothing fails: the store refuses an empty
    // section (SettingsStoreTest), and the keepers never pass the refusal on.
    EXPECT_NO_THROW(QueryTextKeeper().keep("", "select 1"));
    EXPECT_NO_THROW(keepQueryTextOnRun("", "select 1"));
    EXPECT_NO_THROW(keepSaveCurrentStatement("", false));
    EXPECT_NO_THROW(keepSaveAllStatements("", false));
}
