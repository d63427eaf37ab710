#include "profiles/Profile.h"

#include "profiles/QueryTextKeeper.h"
#include "tests/support/FreshStore.h"

using namespace profiles;

namespace {

ProfileFields sampleFields()
{
    ProfileFields f;
    f.type = "MySql";
    f.user = "reporter";
    f.location = "db.example.org";
    f.databaseName = "sales";
    f.queryText = "select *\r\nfrom orders";
    f.saveCurrentStatement = false;
    f.saveAllStatements = true;
    return f;
}

QString storedNames()
{
    return settings::store().get(settings::ProfileNames);
}

} // namespace

using ProfileSaving = FreshStore;

TEST_F(ProfileSaving, AFirstSaveStoresEveryFieldUnderItsKeyAndListsTheName)
{
    const SaveResult r = saveProfile("a", sampleFields());
    EXPECT_EQ(r.outcome, Outcome::Saved);
    EXPECT_TRUE(r.nameAdded);
    EXPECT_EQ(storedNames(), ",a,");

    // Stored in this order and nothing else (no password).
    EXPECT_EQ(store().getAll("a"), std::optional(settings::KeyValueList{{"Text1", "select *\r\nfrom orders"},
                                                                        {"Text4", "reporter"},
                                                                        {"Text8", "db.example.org"},
                                                                        {"Text9", "sales"},
                                                                        {"Combo1", "MySql"},
                                                                        {"CheckBox1", "0"},
                                                                        {"CheckBox4", "1"}}));
}

TEST_F(ProfileSaving, NamesDifferingInCaseAreOneProfileListedAsFirstSaved)
{
    ProfileFields lower = sampleFields();
    saveProfile("work", lower);
    ProfileFields upper = sampleFields();
    upper.databaseName = "archive";
    const SaveResult r = saveProfile("WORK", upper);
    EXPECT_FALSE(r.nameAdded);
    EXPECT_EQ(r.listedName, "work");
    EXPECT_EQ(storedProfileNames(), QStringList({"work"}));
    EXPECT_EQ(loadProfile("work").databaseName, "archive") << "one section for both spellings";
}

TEST_F(ProfileSaving, AnEmptyOrReservedNameStoresOrDeletesNothingAndSaysSo)
{
    SaveResult r = saveProfile("", sampleFields());
    EXPECT_EQ(r.outcome, Outcome::NoName);
    EXPECT_FALSE(message(r.outcome, "").isEmpty());

    r = saveProfile("quickquery", sampleFields());
    EXPECT_EQ(r.outcome, Outcome::ReservedName);
    EXPECT_TRUE(message(r.outcome, "quickquery").contains("quickquery"));
    EXPECT_FALSE(store().getAll("QuickQuery").has_value());
    EXPECT_EQ(storedNames(), "");

    // Deleting a reserved name takes it off the list and leaves the program's own settings alone.
    store().save(settings::FontSizeText1, "12");
    store().save(settings::ProfileNames, ",Options,,a,");
    EXPECT_EQ(deleteProfile("Options"), Outcome::ReservedNameDelisted);
    EXPECT_EQ(store().get(settings::FontSizeText1), "12");
    EXPECT_EQ(storedNames(), ",a,");
}

using ProfileLoading = FreshStore;

// No section reads as empty fields with ticked boxes; so does a box key that is missing or
// cannot be read.
TEST_F(ProfileLoading, MissingSectionsAndUnreadableCheckBoxKeysReadAsTicked)
{
    EXPECT_EQ(loadProfile(""), ProfileFields{});
    const ProfileFields none = loadProfile("never saved");
    EXPECT_EQ(none, ProfileFields{});
    EXPECT_TRUE(none.saveCurrentStatement && none.saveAllStatements);

    store().save("p", "Text4", "u");
    store().save("p", "CheckBox4", "zero");
    ProfileFields f = loadProfile("p");
    EXPECT_EQ(f.user, "u");
    EXPECT_TRUE(f.saveCurrentStatement);
    EXPECT_TRUE(f.saveAllStatements);

    store().save("p", "checkbox1", "0");
    EXPECT_FALSE(loadProfile("p").saveCurrentStatement) << "written in one case, read in another";
}

using StatementKeeping = FreshStore;

TEST_F(StatementKeeping, TheQueryTextAndCheckBoxesAreKeptPerProfileNamedOnly)
{
    QueryTextKeeper keeper;
    keeper.keep("p", "select 0");
    keeper.keep("p", "select 1");
    keeper.wait();
    keepSaveCurrentStatement("p", false);
    keepSaveAllStatements("p", true);
    const ProfileFields f = loadProfile("p");
    EXPECT_EQ(f.queryText, "select 1");
    EXPECT_FALSE(f.saveCurrentStatement);
    EXPECT_TRUE(f.saveAllStatements);

    keepQueryTextOnRun("P", "select 2");
    EXPECT_EQ(loadProfile("p").queryText, "select 2") << "\"text1\" and \"Text1\" are one value";

    // Without a profile name nothing is kept and nothing fails: the store refuses an empty
    // section, and the keepers never pass the refusal on.
    EXPECT_THROW(store().save("", "Text1", "x"), settings::StoreError);
    EXPECT_NO_THROW(QueryTextKeeper().keep("", "select 1"));
    EXPECT_NO_THROW(keepQueryTextOnRun("", "select 1"));
    EXPECT_NO_THROW(keepSaveCurrentStatement("", false));
    EXPECT_NO_THROW(keepSaveAllStatements("", false));
}
