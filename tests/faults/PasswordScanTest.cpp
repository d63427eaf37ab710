// No password typed into the program (the profile's, the Access database's, a wrong one) ever
// reaches the settings store, the statement log, an output, export or query file, or a
// message: the main window is used the way a user would, then every file the test's home
// and folder hold and every message shown is searched for them.
#include "tests/support/FormFixture.h"
#include "tests/support/SecretScan.h"

#include <QDir>

namespace {

using PasswordScan = FormFixture; // its choose() answers the file chooser

TEST_F(PasswordScan, NoPasswordReachesAFileOrAMessage)
{
    if (!useMariaDb())
        return;
    const QStringList passwords{qEnvironmentVariable("QUORVANE_MARIADB_PASSWORD"),
                                QStringLiteral("Pw-Wrong-4471"), QStringLiteral("Pw-Access-5512")};

    form->Combo2->setEditText(QStringLiteral("scan"));
    form->Text10->setText(passwords[2]);
    form->Text10_Change();
    form->Command4_Click(); // Save Profile, the password boxes filled
    form->Check1->setChecked(true);
    form->Check4->setChecked(true);
    run(QStringLiteral("SELECT 'visible' AS a"));

    choose(dir.filePath(QStringLiteral("output.txt")));
    form->DataOutputtoFile->trigger();
    run(QStringLiteral("SELECT 'to a file' AS a"));
    form->Option2_Click();
    run(QStringLiteral("SELECT 'in the grid' AS a"));
    choose(dir.filePath(QStringLiteral("export.txt")));
    form->ExportData_Click();
    choose(dir.filePath(QStringLiteral("query.sql")));
    form->FileSaveAsSpecify_Click();

    form->Text5->setText(passwords[1]); // refused: the error report
    run(QStringLiteral("SELECT 1"));
    form->Command4_Click();
    form->Combo2_Click();
    const QStringList shown = qvtest::dialogTexts(dialogs.take());
    ASSERT_TRUE(shown.join(u'\n').contains(QLatin1String("-2147217843"))) << "the wrong password was refused";
    ASSERT_TRUE(QFile::exists(dir.filePath(QStringLiteral("export.txt"))));
    form.reset();
    settings::reopenStore();

    const QStringList folders{dir.path(), qEnvironmentVariable("HOME")};
    ASSERT_GE(QDir(dir.path()).entryList(QDir::Files).size(), 3) << "the output, export and query files";
    for (const QString& password : passwords)
        EXPECT_EQ(qvtest::placesHolding(password, folders, shown), QStringList()) << password.toStdString();
}

} // namespace
