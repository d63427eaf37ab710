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
    const QString noLogin = QStringLiteral("Problem with Login: Check username and password.");
    const QString noDatabase = QStringLiteral("Could not find Database: Check database and server names.");
    const QString done = QStringLiteral("Complete");
    const auto boxes = [] {};
    struct Case
    {
        const char* what;
        QString text;
        bool findAll, systems;
        std::function<void()> spoil; // after the boxes are filled
        QString hits;                // without the lines of objects skipped
        QStringList messages;
        QString status;
    } cases[] = {
        {"first hit only", "Smith", false, false, boxes, orders, {}, done},
        {"every hit", "Smith", true, false, boxes, all, {}, done},
        {"across fields", "h|x", true, false, boxes, row8, {}, done},
        {"letter case", "smith", true, false, boxes, "", {}, done},
        {"trailing blank", "Smith ", true, false, boxes, "", {}, done},
        {"views too", "Smith", true, true, boxes, all + view, {}, done},
        {"empty search text", "  ", true, false, boxes, all + view, {"Please enter a search string"}, ""},
        // A failure keeps the hits listed before and the status line as the click emptied it.
        {"wrong password",
         "Smith",
         true,
         false,
         [&] { form->Text30->setText("wrong"); },
         all + view,
         {noLogin},
         ""},
        {"no such database",
         "Smith",
         true,
         false,
         [&] { form->Text25->setText("nosuchdb"); },
         all + view,
         {noDatabase},
         ""},
        {"listing refused",
         "Smith",
         true,
         false,
         [&] {
             one.refused = {"sp_help"};
             one.configure();
         },
         all + view,
         {"Error -2147217900"},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        finderOn(db, c.text);
        form->Check3->setChecked(c.findAll);
        form->Check2->setChecked(c.systems);
        c.spoil();
        form->Command10_Click();
        QString hits = form->Text29->toPlainText();
        const qsizetype skipped = hits.count(skippedLine);
        EXPECT_EQ(hits.remove(skippedLine), c.hits);
        // Check Systems: every system table and INFORMATION_SCHEMA view of the listing is
        // unreadable here and skipped; the procedure is never read.
        if (c.systems) {
            EXPECT_EQ(skipped, 7);
        }
        EXPECT_EQ(dialogs.takeMessages(), c.messages);
        EXPECT_EQ(form->Label39->text(), c.status);
        EXPECT_EQ(form->Command10->text(), "&Find");
        if (c.systems)
            form->Check2->setChecked(false);
    }
}

} // namespace
