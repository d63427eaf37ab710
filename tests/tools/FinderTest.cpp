// The value finder through the tools window, FreeTDS and the test server.
#include "tests/support/ToolsFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

namespace {

using Finder = ToolsFixture;

TEST_F(Finder, HitsFailuresAndWhatCheckSystemsAdmits)
{
    const QString db = database(one, QStringLiteral("shop"), R"sql(
        CREATE TABLE customers (id INTEGER, name TEXT, note TEXT);
        INSERT INTO customers VALUES (7, 'Smith', NULL), (8, 'Smith', 'x'), (9, 'SMITH', 'y');
        CREATE TABLE orders (id INTEGER, who TEXT); INSERT INTO orders VALUES (1, 'Smith');
        CREATE VIEW smiths AS SELECT 'Smith' AS who, 'viewed' AS how;)sql");
    // Listed before the others, with blanks around its owner and name: read as [dbo].[orders].
    one.objects.append(QJsonArray{" orders ", " dbo ", "user table"});
    // Not "user table" exactly: never searched.
    one.objects.append(QJsonArray{"customers", "dbo", "User Table"});
    // Never read with "select * from", whatever Check Systems says.
    one.procedures = {{"dbo.Smith", "create procedure Smith as select 1"}};
    one.configure();

    const QString orders = QStringLiteral("Found Data in Table:[dbo].[orders]\n|1|Smith\n\n");
    const QString row7 = QStringLiteral("Found Data in Table:[dbo].[customers]\n|7|Smith|\n\n");
    const QString row8 = QStringLiteral("Found Data in Table:[dbo].[customers]\n|8|Smith|x\n\n");
    const QString all = orders + row7 + row8 + orders;
    const QString view = QStringLiteral("Found Data in Table:[dbo].[smiths]\n|Smith|viewed\n\n");
    const QRegularExpression skippedLine(QStringLiteral("Skipped Table:[^\n]* Error -?\\d+\n\n"));
    const struct
    {
        const char* what;
        QString text;
        bool findAll, systems;
        QString hits;
    } searches[] = {
        {"first hit only", "Smith", false, false, orders},
        {"every hit", "Smith", true, false, all},
        {"across fields", "h|x", true, false, row8},
        {"letter case", "smith", true, false, ""},
        {"trailing blank", "Smith ", true, false, ""},
        {"views too", "Smith", true, true, all + view}, // skipped lines left out
    };
    for (const auto& c : searches) {
        SCOPED_TRACE(c.what);
        finderOn(db, c.text);
        form->Check3->setChecked(c.findAll);
        form->Check2->setChecked(c.systems);
        form->Command10_Click();
        QString hits = form->Text29->toPlainText();
        // Check Systems: every system table and INFORMATION_SCHEMA view of the listing is
        // unreadable here and skipped; the procedure is never read.
        EXPECT_EQ(hits.count(skippedLine), c.systems ? 7 : 0);
        EXPECT_EQ(hits.remove(skippedLine), c.hits);
        EXPECT_EQ(dialogs.takeMessages() << form->Label39->text() << form->Command10->text(),
                  (QStringList{"Complete", "&Find"}));
    }

    // A failure keeps the hits listed before and the status line as the click emptied it. (A
    // refused password is LockWatchTest's password scan.)
    form->Check2->setChecked(false);
    const QString before = form->Text29->toPlainText();
    const struct
    {
        std::function<void()> spoil; // after the boxes are filled
        QString message;
    } failures[] = {
        {[&] { form->Text28->setText("  "); }, "Please enter a search string"},
        {[&] { form->Text25->setText("nosuchdb"); },
         "Could not find Database: Check database and server names."},
        {[&] {
             one.refused = {"sp_help"};
             one.configure();
         },
         "Error -2147217900"},
    };
    for (const auto& c : failures) {
        SCOPED_TRACE(c.message.toStdString());
        finderOn(db, QStringLiteral("Smith"));
        c.spoil();
        form->Command10_Click();
        EXPECT_EQ(dialogs.takeMessages()
                      << form->Text29->toPlainText() << form->Label39->text() << form->Command10->text(),
                  (QStringList{c.message, before, "", "&Find"}));
    }
}

} // namespace
