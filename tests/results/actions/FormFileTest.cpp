// The file chooser: its life (loaded once, then only hidden), the two paths it hands back, the
// remembered settings and the lists.
#include "tests/support/ActionsSupport.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFocusEvent>
#include <QPushButton>

namespace {

using actionstest::ActionsTest;
using results::ChosenPath;
using results::FormFile;

using FileChooser = ActionsTest;

// Loaded once, then only hidden; Ok hands the file to the command that asked, Cancel clears it.
TEST_F(FileChooser, KeepsItsStateOkHandsTheFileToTheCommandThatAskedCancelClearsItAndNothingElse)
{
    FormFile* first = &results::formFile();
    EXPECT_FALSE(first->isVisible()) << "loading for the delimiter does not show the window";
    EXPECT_EQ(results::exportDelimiter(), "|");
    EXPECT_TRUE(results::exportColumnHeaders());
    first->Text10->setText(";");
    first->Check1->setChecked(false);
    cancelOnModal();
    results::chooseFile(ChosenPath::ExportTarget, nullptr);
    expectChooserShown();
    EXPECT_EQ(&results::formFile(), first);
    EXPECT_FALSE(first->isVisible());
    EXPECT_EQ(results::exportDelimiter(), ";");
    EXPECT_FALSE(results::exportColumnHeaders());

    // An emptied delimiter box is a tab, and becomes one when left.
    first->Text10->clear();
    EXPECT_EQ(results::exportDelimiter(), "\t") << "a tab before the box is left too";
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(first->Text10, &out);
    EXPECT_EQ(first->Text10->text(), "\t");
    EXPECT_EQ(results::exportDelimiter(), "\t");

    // A box that is not empty keeps its text when left.
    first->Text10->setText(",");
    first->Text10_LostFocus();
    EXPECT_EQ(first->Text10->text(), ",");

    chooseOnModal(path("out.txt"));
    EXPECT_EQ(results::chooseFile(ChosenPath::ExportTarget, nullptr), path("out.txt"));
    expectChooserShown();
    EXPECT_EQ(results::exportTarget(), path("out.txt"));
    EXPECT_TRUE(query::currentQueryFile().isEmpty());

    EXPECT_EQ(settings::store().get(settings::FilePath), path("out.txt"));
    EXPECT_EQ(settings::store().get(settings::Drive1Drive), first->Drive1->drive());
    EXPECT_EQ(settings::store().get(settings::Dir1Path), first->Dir1->path());
    EXPECT_EQ(settings::store().get(settings::File1PathRead), first->File1->path());

    chooseOnModal(path("q.sql"));
    EXPECT_EQ(results::chooseFile(ChosenPath::QueryFile, nullptr), path("q.sql"));
    expectChooserShown();
    EXPECT_EQ(query::currentQueryFile(), path("q.sql"));
    // The export target is only cleared by its own commands.
    EXPECT_EQ(results::exportTarget(), path("out.txt"));

    // Cancel or an empty file box chooses nothing and clears that path only.
    results::setExportTarget("old-target");
    query::setCurrentQueryFile("old-query");

    cancelOnModal();
    EXPECT_TRUE(results::chooseFile(ChosenPath::ExportTarget, nullptr).isEmpty());
    expectChooserShown();
    EXPECT_TRUE(results::exportTarget().isEmpty());
    EXPECT_EQ(query::currentQueryFile(), "old-query");

    chooseOnModal(QString());
    EXPECT_TRUE(results::chooseFile(ChosenPath::QueryFile, nullptr).isEmpty());
    const qvtest::ShownDialog told = messageAfterChooser();
    EXPECT_EQ(told.text, "Please Speicify a file ");
    EXPECT_EQ(told.title, "Quorvane");
    EXPECT_EQ(told.icon, ui::Icon::None);
    EXPECT_TRUE(query::currentQueryFile().isEmpty());
    EXPECT_FALSE(results::formFile().isVisible());
    // Nothing new was remembered.
    EXPECT_EQ(settings::store().get(settings::FilePath), path("q.sql"));
}

TEST_F(FileChooser, RestoresTheRememberedListsAndFileWhenLoadedSkippingWhatIsGone)
{
    QDir(dir.path()).mkpath("sub");
    const QString sub = QDir::toNativeSeparators(path("sub"));
    actionstest::writeBytes(path("sub/a.sql"), "x");
    settings::store().save(settings::FilePath, "/somewhere/file.sql");
    settings::store().save(settings::Drive1Drive, "/");
    settings::store().save(settings::Dir1Path, sub);
    settings::store().save(settings::File1Path, sub);

    FormFile& form = results::formFile();
    EXPECT_EQ((QStringList{form.Text2->text(), form.Drive1->drive(), form.Dir1->path(), form.File1->path()}),
              (QStringList{"/somewhere/file.sql", "/", sub, sub}));
    ASSERT_EQ(form.File1->count(), 1);
    EXPECT_EQ(form.File1->item(0)->text(), "a.sql");

    // Folders that are gone are skipped: the lists keep the current folder and its volume.
    delete results::loadedFormFile();
    settings::store().save(settings::Drive1Drive, "/no/such/drive");
    settings::store().save(settings::Dir1Path, "/no/such/folder");
    settings::store().save(settings::File1Path, "/no/such/folder");
    FormFile& fresh = results::formFile();
    EXPECT_EQ(fresh.Dir1->path(), QDir::toNativeSeparators(QDir::currentPath()));
    EXPECT_EQ(fresh.File1->path(), fresh.Dir1->path());
    EXPECT_FALSE(fresh.Drive1->drive().isEmpty());
}

TEST_F(FileChooser, ListsRootsAndVolumesBrowsesRealFoldersAndJoinsTheChosenName)
{
    QDir(dir.path()).mkpath("one/inner");
    QDir(dir.path()).mkpath("two");
    actionstest::writeBytes(path("b.txt"), "b");
    actionstest::writeBytes(path("a.txt"), "a");
    FormFile& form = results::formFile();

    EXPECT_GE(form.Drive1->findText("/"), 0);

    // Choosing a folder lists its subfolders in the tree and its files in the file list.
    ASSERT_TRUE(form.Dir1->setPath(dir.path()));
    EXPECT_EQ(form.File1->path(), QDir::toNativeSeparators(dir.path()));
    ASSERT_EQ(form.File1->count(), 2);
    EXPECT_EQ((QStringList{form.File1->item(0)->text(), form.File1->item(1)->text()}),
              (QStringList{"a.txt", "b.txt"}));
    QTreeWidgetItem* current = form.Dir1->currentItem();
    ASSERT_NE(current, nullptr);
    ASSERT_EQ(current->childCount(), 2);
    EXPECT_EQ((QStringList{current->child(0)->text(0), current->child(1)->text(0)}),
              (QStringList{"one", "two"}));
    // The tree reaches up to the root.
    QTreeWidgetItem* top = current;
    while (top->parent())
        top = top->parent();
    EXPECT_EQ(top->text(0), "/");
    // A subfolder opens when expanded, and activating it makes it the chosen folder.
    current->child(0)->setExpanded(true);
    ASSERT_EQ(current->child(0)->childCount(), 1);
    EXPECT_EQ(current->child(0)->child(0)->text(0), "inner");
    emit form.Dir1->itemActivated(current->child(1), 0);
    EXPECT_EQ(form.Dir1->path(), QDir::toNativeSeparators(path("two")));
    EXPECT_EQ(form.File1->count(), 0);

    // A drive change moves the folder list to the drive's root.
    form.Dir1->setPath(dir.path());
    form.Drive1->setCurrentIndex(-1);
    form.Drive1->setCurrentIndex(form.Drive1->findText("/"));
    EXPECT_EQ(form.Dir1->path(), "/");

    // A click in the file list joins folder and name with one separator.
    ASSERT_TRUE(form.Dir1->setPath("/"));
    EXPECT_EQ(form.File1->path(), "/");
    actionstest::writeBytes(path("pick.sql"), "x");
    ASSERT_TRUE(form.Dir1->setPath(dir.path()));
    form.File1->setCurrentItem(form.File1->findItems("pick.sql", Qt::MatchExactly).value(0));
    form.File1_Click();
    EXPECT_EQ(form.Text2->text(), QDir::toNativeSeparators(path("pick.sql")));

    for (const QString folder : {"/", "/tmp", "/tmp/"})
        EXPECT_EQ(results::joinPath(folder, "x.sql"), folder == QLatin1String("/") ? "/x.sql" : "/tmp/x.sql");
}

} // namespace
