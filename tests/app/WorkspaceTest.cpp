// The main window's workspace as the user drives it: profiles, quick queries, the
// statement log and previous queries and fonts (the layout: LayoutTest). The rules themselves are unit
// tested in tests/profiles and tests/query/log; here each behaviour is shown once through
// the window.
#include "tests/support/FormFixture.h"
#include "tests/support/SqliteFiles.h"
#include "ui/Clock.h"

namespace {

class Workspace : public FormFixture
{
protected:
    // Saves the profile fields under `name`, with `database` as its database.
    void saveProfile(const QString& name, const QString& database = "db")
    {
        form->Combo2->setEditText(name);
        form->Text9->setText(database);
        form->Command4_Click();
    }

    void choose(const QString& name)
    {
        form->Combo2->setEditText(name);
        form->Combo2_Click();
    }

    void deleteProfile(const QString& name, ui::Answer answer)
    {
        form->Combo2->setEditText(name);
        dialogs.answer(answer);
        form->Command5_Click();
    }

    // Makes the settings file refuse writes as a full disk does: every write, or only the
    // removal of a section (a disk with room for a small write only).
    void refuseWrites(bool sectionRemovalOnly)
    {
        QByteArray sql = "CREATE TRIGGER IF NOT EXISTS full1 BEFORE DELETE ON sections BEGIN"
                         " SELECT RAISE(ABORT, 'database or disk is full'); END;";
        if (!sectionRemovalOnly) {
            for (const char* what :
                 {"INSERT ON sections", "INSERT ON entries", "UPDATE ON entries", "DELETE ON entries"})
                sql += QByteArray("CREATE TRIGGER \"") + what + "\" BEFORE " + what +
                       " BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END;";
        }
        SqliteFiles::exec(store().path(), sql.constData());
    }
};

// --- profiles ---------------------------------------------------------------------------
// The name list, the password table and the profile fields are unit tested in tests/profiles;
// here the window's part: the profile box, the questions and messages, the fields it fills.

using Profiles = Workspace;

// The list's spelling and case rules: tests/profiles (NameList, ProfileSaving).
TEST_F(Profiles, SaveListsANameAndDeleteAsksFirstAndChangesNothingTheStoreRefuses)
{
    for (const char* name : {"a", "b", "c"})
        saveProfile(name);
    EXPECT_EQ(listed(form->Combo2), QStringList({"a", "b", "c"}));

    deleteProfile("b", ui::Answer::No);
    EXPECT_EQ(dialogs.take().size(), 1);
    EXPECT_EQ(listed(form->Combo2), QStringList({"a", "b", "c"})) << "answered No";
    deleteProfile("B", ui::Answer::Yes);
    const auto shown = dialogs.take();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, "Are You sure you want to Delete this Profile?");
    EXPECT_EQ(store().get(settings::ProfileNames), ",a,,c,");
    EXPECT_EQ(listed(form->Combo2), QStringList({"a", "c"}));
    EXPECT_EQ(form->Combo2->currentText(), "B") << "the profile box keeps its text";
    EXPECT_FALSE(store().getAll("b").has_value());

    // A delete the store refuses changes nothing and says so once.
    for (const bool removalOnly : {true, false}) {
        SCOPED_TRACE(removalOnly ? "a nearly full disk" : "a full disk");
        refuseWrites(removalOnly);
        deleteProfile("c", ui::Answer::Yes);
        const auto told = dialogs.take();
        ASSERT_EQ(told.size(), 2) << "the question, then one message";
        EXPECT_TRUE(told[1].text.contains("database or disk is full")) << told[1].text.toStdString();
        EXPECT_EQ(listed(form->Combo2), QStringList({"a", "c"}));
        EXPECT_EQ(store().get(settings::ProfileNames), ",a,,c,");
        EXPECT_EQ(store().get("c", settings::profile::Text9), "db");
    }

    // The menu's mark shows what is stored, so the next start does what it shows.
    form->LoadLastProfileonStartup->trigger();
    EXPECT_EQ(dialogs.takeMessages().size(), 1);
    EXPECT_FALSE(form->LoadLastProfileonStartup->isChecked());
    EXPECT_EQ(store().get(settings::LoadProfile), "0");
}

TEST_F(Profiles, NamesThatCannotBeProfilesAreToldTheListStillTidiedAndSectionsLeftAlone)
{
    store().save(settings::ProfileNames, ",ghost,a,,\"");
    store().save("a", settings::profile::Text9, "db");
    start();
    EXPECT_EQ(listed(form->Combo2), QStringList({"a"})) << "a list from an earlier version";
    for (const char* name : {"", "a,b", "   "}) {
        SCOPED_TRACE(name);
        saveProfile(name);
        const QStringList told = dialogs.takeMessages();
        ASSERT_EQ(told.size(), 1);
        EXPECT_TRUE(told[0].contains(QString(name).trimmed())) << told[0].toStdString();
    }
    form->Combo2->setEditText("");
    form->Command5_Click(); // no question for nothing to delete
    EXPECT_EQ(dialogs.takeMessages().size(), 1);
    EXPECT_EQ(store().get(settings::ProfileNames), ",ghost,,a,");

    deleteProfile("ghost", ui::Answer::Yes);
    const auto shown = dialogs.take();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[1].text.contains("ghost"));
    EXPECT_EQ(listed(form->Combo2), QStringList({"a"}));

    // A program section never gets a profile's writes.
    for (const char* name : {"QuickQuery", "options"}) {
        SCOPED_TRACE(name);
        form->Combo2->setEditText(name);
        form->Check1->setChecked(false);
        form->Check1->setChecked(true);
        form->Check4->setChecked(false);
        form->Text1->setPlainText("select 1");
        form->Combo1->setEditText(QString());
        form->Command1_Click(); // keeps "text1" before it asks for a type
        EXPECT_EQ(dialogs.takeMessages(), QStringList({"Please Select a database type"}));
        form->flushQueryTextKeep();
        for (const char* key : {"Text1", "CheckBox1", "CheckBox4"})
            EXPECT_EQ(store().get(name, key, "none"), "none") << key;
    }
}

// Leaving the database name names an unnamed profile; a named one keeps its name.
TEST_F(Profiles, ChoosingAProfileFillsItsFieldsAndPasswordsForThisRunAndTheLastOpensWhenAsked)
{
    form->Combo2->setEditText("  ");
    for (const char* database : {"inventory", "other"}) {
        form->Text9->setText(database);
        form->Text9_LostFocus();
        EXPECT_EQ(form->Combo2->currentText(), "inventory");
    }
    for (const bool first : {true, false}) {
        form->Combo2->setEditText(first ? "p" : "q");
        form->Text1->setPlainText(first ? "select * from t" : "select 2");
        form->Text4->setText(first ? "user" : "u2");
        form->Text8->setText(first ? "server" : "s2");
        form->Text9->setText(first ? "sales" : "d2");
        form->Combo1->setEditText(first ? "MySql" : "SQL");
        form->Check1->setChecked(!first);
        form->Check4->setChecked(first);
        form->Text5->setText(first ? "Pw-4f9e1" : "Pw-b");
        form->Text10->setText(first ? "Db-7c2d3" : "Db-b");
        form->Command4_Click();
    }
    choose("P");
    // The passwords come from one entry under either spelling.
    const QChar bar('|');
    EXPECT_EQ(form->Text1->toPlainText() + bar + form->Text4->text() + bar + form->Text8->text() + bar +
                  form->Text9->text() + bar + form->Combo1->currentText() + bar +
                  QString::number(form->Check1->isChecked()) + QString::number(form->Check4->isChecked()) +
                  bar + form->Text5->text() + bar + form->Text10->text(),
              "select * from t|user|server|sales|MySql|01|Pw-4f9e1|Db-7c2d3");
    EXPECT_EQ(store().get(settings::LastProfileName), "P");
    choose("q");
    EXPECT_EQ(form->Text10->text(), "Db-b") << "switching never wipes the chosen profile's database password";

    // A typed database password is kept for the chosen profile without a save; a typed
    // password is not.
    form->Text10->setText("typed");
    form->Text5->setText("not kept");
    choose("p");
    choose("q");
    EXPECT_EQ(form->Text10->text(), "typed");
    EXPECT_EQ(form->Text5->text(), "Pw-b");

    start();
    choose("p");
    EXPECT_EQ(form->Text9->text(), "sales");
    EXPECT_EQ(form->Text5->text(), "") << "gone after a restart";
    EXPECT_EQ(form->Text10->text(), "");

    // Asked to, the next start opens the last profile as last saved, with each quick query once.
    for (const char* name : {"one", "two"}) {
        form->Text12->setText(name);
        form->Command10_Click();
    }
    form->Text1->setPlainText("select last");
    form->Command4_Click();
    EXPECT_FALSE(form->LoadLastProfileonStartup->isChecked());
    form->LoadLastProfileonStartup->trigger();
    EXPECT_EQ(store().get(settings::LoadProfile), "1");
    start();
    EXPECT_TRUE(form->LoadLastProfileonStartup->isChecked());
    EXPECT_EQ(form->Combo2->currentText(), "p");
    EXPECT_EQ(form->Text9->text(), "sales");
    EXPECT_EQ(form->Text1->toPlainText(), "select last");
    EXPECT_EQ(listed(form->Combo4), QStringList({"one", "two"}));
    form->LoadLastProfileonStartup->trigger();
    EXPECT_FALSE(form->LoadLastProfileonStartup->isChecked());
    EXPECT_EQ(store().get(settings::LoadProfile), "0");
}

// --- quick queries ----------------------------------------------------------------------

using QuickQueries = Workspace;

// The three messages come in order and keep nothing; then a name in any case is one quick query.
TEST_F(QuickQueries, ANameInAnyCaseIsOneQuickQueryThatLoadsAndRemovesWhole)
{
    form->Command10_Click();
    form->Text12->setText("n");
    form->Command10_Click();
    form->Text1->setPlainText("select 1");
    form->Text12->clear();
    form->Command10_Click();
    form->Text12->setText("n");
    form->Command10_Click();
    EXPECT_EQ(dialogs.takeMessages(),
              QStringList({"You must have a query in the query box to use this feature",
                           "You must have a query in the query box to use this feature",
                           "You must select a name first to use this feature",
                           "You must have a profile for this feature"}));
    EXPECT_FALSE(store().getAll("QuickQuery").has_value());
    EXPECT_EQ(form->Combo4->count(), 0);

    form->Combo2->setEditText("p");
    for (const char* name : {"Foo", "foo"}) {
        form->Text1->setPlainText(QStringLiteral("select '%1'").arg(name));
        form->Text12->setText(name);
        form->Command10_Click();
        EXPECT_EQ(form->Text12->text(), "");
    }
    EXPECT_EQ(listed(form->Combo4), QStringList({"Foo"}));
    EXPECT_EQ(store().get("QuickQuery", "Foo", ""), "select 'foo'");

    store().save("QuickQuery", "empty", "");
    start();
    form->Combo4->setEditText("FOO");
    form->Combo4_Click();
    EXPECT_EQ(form->Text1->toPlainText(), "select 'foo'");
    EXPECT_EQ(form->Text12->text(), "FOO");
    form->Text12->clear();
    form->Combo4->setEditText("empty");
    form->Combo4_Click();
    EXPECT_EQ(form->Text1->toPlainText(), "select 'foo'") << "an empty text leaves the query box alone";

    form->Combo4->setEditText("foo");
    form->Command12_Click();
    EXPECT_EQ(form->Combo4->currentText(), "");
    EXPECT_EQ(listed(form->Combo4), QStringList({"empty"})) << "no entry left that loads nothing";
    EXPECT_EQ(store().get("QuickQuery", "Foo", "gone"), "gone");
    EXPECT_EQ(form->Text1->toPlainText(), "select 'foo'");

    store().save("QuickQuery", "added elsewhere", "select 1");
    form->Combo2_LostFocus();
    EXPECT_EQ(listed(form->Combo4), QStringList({"empty", "added elsewhere"}))
        << "rebuilt on leaving the box";
}

// The panel and its box across starts: LayoutTest, HidingThePanelsMovesNothingElse.

// --- statement log and previous queries --------------------------------------------------
// The log's file format is unit tested in tests/query/log; here what the window lists.

using Statements = Workspace;

TEST_F(Statements, EachTextIsListedOnceExactlyAsRunAndAPartOfAnEntryIsItsOwn)
{
    form->Check4->setChecked(false);
    form->Text1->setPlainText("select 1");
    form->LogStatement();
    EXPECT_EQ(form->List1->count(), 0) << "nothing while the box is unticked";
    EXPECT_FALSE(QFile::exists(logFile()));

    form->Check4->setChecked(true);
    for (const char* text : {"select 1\n\nselect 2", "select 2", "select 2  ", "select 2", "select 1"}) {
        form->Text1->setPlainText(text);
        form->LogStatement();
    }
    EXPECT_EQ(listed(form->List1),
              QStringList({"select 1\n\nselect 2", "select 2", "select 2  ", "select 1"}));
    const QByteArray logged("\r\n\r\nselect 1\r\n\r\nselect 2\r\n\r\n\r\nselect 2\r\n\r\n\r\nselect 1\r\n");
    EXPECT_EQ(fileBytes(logFile()), logged);

    // A statement the file held before this run of the program is listed, not written again.
    start();
    form->Check4->setChecked(true);
    form->Text1->setPlainText("select 2");
    form->LogStatement();
    EXPECT_EQ(listed(form->List1), QStringList({"select 2"}));
    EXPECT_EQ(fileBytes(logFile()), logged);
}

TEST_F(Statements, TheQueryTextIsKeptSoonAfterItChangesWhileTheFirstBoxIsTickedAsTheMenuShows)
{
    form->Combo2->setEditText("p");
    form->Check1->setChecked(true);
    form->Text1->setPlainText("select kept");
    EXPECT_TRUE(form->Text1KeepTimer->isEnabled()) << "the change does not wait for the disk";
    form->Text1KeepTimer->fire();
    EXPECT_FALSE(form->Text1KeepTimer->isEnabled());
    form->flushQueryTextKeep(); // waits for the keeper's thread, with nothing left to hand over
    EXPECT_EQ(store().get("p", settings::profile::Text1), "select kept");

    // A change still waiting is kept with its own profile before another one is chosen.
    form->Text1->setPlainText("select waiting");
    choose("q");
    EXPECT_EQ(store().get("p", settings::profile::Text1), "select waiting");

    choose("p");
    form->Check1->setChecked(false);
    EXPECT_EQ(store().get("p", settings::profile::CheckBox1Read), "0");
    form->Text1->setPlainText("select not kept");
    EXPECT_FALSE(form->Text1KeepTimer->isEnabled());
    start();
    EXPECT_EQ(store().get("p", settings::profile::Text1), "select waiting");

    // The menu entries switch the boxes, and the previous-queries panel gives an item back.
    form->show();
    form->Combo2->setEditText("p");
    form->Check1->setChecked(true);
    form->Check4->setChecked(false);
    form->AutomacticallySaveSqlStatements->trigger();
    form->AutomaticallySaveAllSQLStatements->trigger();
    EXPECT_FALSE(form->Check1->isChecked());
    EXPECT_TRUE(form->Check4->isChecked());
    EXPECT_FALSE(form->AutomacticallySaveSqlStatements->isChecked());
    EXPECT_TRUE(form->AutomaticallySaveAllSQLStatements->isChecked());
    EXPECT_EQ(store().get("p", settings::profile::CheckBox4Read), "1");

    form->MQuerys->trigger();
    EXPECT_TRUE(form->Frame8->isVisible());
    form->List1->addItem("select a");
    form->List1->addItem("select b");
    form->List1->setCurrentRow(1);
    form->List1_Click();
    EXPECT_EQ(form->Text1->toPlainText(), "select b");
    form->Command20->click();
    EXPECT_FALSE(form->Frame8->isVisible());
}

// Which sizes pass is unit tested in FontSizeTest; here the panel.

TEST_F(Workspace, TheFontPanelRefusesALetterAppliesStoresAndCancelKeepsTheSizes)
{
    form->show();
    form->MFontSettings_Click();
    EXPECT_EQ(form->Text14->text(), "10") << "the panel opens with the sizes in force";
    form->Text14->setText("1x");
    form->Command14_Click();
    EXPECT_EQ(dialogs.takeMessages(), QStringList({"The font size must be a numeric value "}));
    EXPECT_TRUE(form->Frame5->isVisible());
    EXPECT_EQ(form->Text1->font().pointSizeF(), 10.0);

    form->Text14->setText("14");
    form->Text15->setText("8.5");
    form->Command14_Click();
    EXPECT_FALSE(form->Frame5->isVisible());
    EXPECT_EQ(store().get(settings::FontSizeText1), "14");
    EXPECT_EQ(store().get(settings::FontSizeMSFlexGrid1), "8.5");
    start();
    form->show();
    EXPECT_EQ(form->Text1->font().pointSizeF(), 14.0);
    EXPECT_EQ(form->MSFlexGrid1->fontSize(), 8.5f);

    form->MFontSettings_Click();
    form->Text14->setText("30");
    form->Command15_Click();
    EXPECT_FALSE(form->Frame5->isVisible());
    EXPECT_EQ(form->Text1->font().pointSizeF(), 14.0);
    EXPECT_EQ(store().get(settings::FontSizeText1), "14");
}

} // namespace
