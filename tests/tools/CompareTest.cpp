// Connect, Compare and the compare log through the tools window, FreeTDS and two test servers.
#include "tests/support/SqliteFiles.h"
#include "tests/support/ToolsFixture.h"
#include "tools/Form10.h"
#include "tools/ObjectCompare.h"
#include "tools/ToolsConnection.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

const char* side1Sql = R"sql(
CREATE TABLE same (id INTEGER, name TEXT); INSERT INTO same VALUES (1, 'a'), (2, 'b'), (3, 'c');
CREATE TABLE third (id INTEGER, name TEXT); INSERT INTO third VALUES (1, 'a'), (2, 'b'), (3, 'c');
CREATE TABLE longer (id INTEGER); INSERT INTO longer VALUES (1), (2);
CREATE TABLE shorter (id INTEGER); INSERT INTO shorter VALUES (1), (2), (3);
CREATE TABLE nulls (id INTEGER, name TEXT); INSERT INTO nulls VALUES (1, NULL);
CREATE TABLE joined (a TEXT, b TEXT); INSERT INTO joined VALUES ('ab', 'c');
CREATE TABLE "Order" (id INTEGER);
CREATE VIEW someview AS SELECT 1 AS one;
)sql";
const char* side2Sql = R"sql(
CREATE TABLE same (id INTEGER, name TEXT); INSERT INTO same VALUES (1, 'a'), (2, 'b'), (3, 'c');
CREATE TABLE third (id INTEGER, name TEXT); INSERT INTO third VALUES (1, 'a'), (2, 'b'), (3, 'X');
CREATE TABLE longer (id INTEGER); INSERT INTO longer VALUES (1), (2), (3);
CREATE TABLE shorter (id INTEGER); INSERT INTO shorter VALUES (1), (2);
CREATE TABLE nulls (id INTEGER, name TEXT); INSERT INTO nulls VALUES (1, '');
CREATE TABLE joined (a TEXT, b TEXT); INSERT INTO joined VALUES ('a', 'bc');
CREATE TABLE Orders (id INTEGER);
CREATE TABLE extra (id INTEGER);
)sql";

// The tables of both sides in the servers' order, and the first difference the log names.
const std::pair<QString, QString> tableDifferences[] = {
    {"[dbo].[joined]", "    row 1, column a: 'ab' against 'a'"},
    {"[dbo].[longer]", "    row counts differ: 2 against 3"},
    {"[dbo].[nulls]", "    row 1, column name: Null against ''"},
    {"[dbo].[same]", ""},
    {"[dbo].[shorter]", "    row counts differ: 3 against 2"},
    {"[dbo].[third]", "    row 3, column name: 'c' against 'X'"},
};

// The log's lines for an object compared with its namesake.
QString logEntry(const QString& name, const QString& where)
{
    return name + (where.isEmpty() ? " = " + name + "\n" : " <> " + name + "\n" + where + "\n");
}

class Compare : public ToolsFixture
{
protected:
    void SetUp() override
    {
        ToolsFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        one.procedures = {{"dbo.GetOrders", "create procedure GetOrders as\nselect 1"}, {"dbo.Same", "x"}};
        two.procedures = {{"dbo.GetOrders", "create procedure GetOrders as\nSELECT 1"}, {"dbo.Same", "x"}};
        one.objects.append(QJsonArray{"Mixed", "dbo", "User Table"});
        compareSides(database(one, QStringLiteral("cmp1"), side1Sql),
                     database(two, QStringLiteral("cmp2"), side2Sql));
    }

    void connectAs(bool tables)
    {
        (tables ? form->Option1 : form->Option2)->setChecked(true);
        form->Command11_Click();
    }

    // Compares two entries picked from the lists; returns the verdict dialog.
    qvtest::ShownDialog comparePicked(const QString& name1, const QString& name2)
    {
        pick(form->Combo1, name1);
        pick(form->Combo2, name2);
        form->Command9_Click();
        const auto shown = dialogs.take();
        EXPECT_EQ(shown.size(), 1);
        return shown.value(0);
    }

    QString log() const { return tools::form10(form.get()).Text1->toPlainText(); }
};

TEST_F(Compare, ConnectListsAllThenTheObjectsOfTheKindAndAFailedConnectLeavesThem)
{
    connectAs(false); // Compare starts disabled: Form2Test
    EXPECT_EQ(listed(form->Combo1) << form->Combo1->currentText() << form->Label28->text(),
              (QStringList{"All", "[dbo].[GetOrders]", "[dbo].[Same]", "", "Connected"}));
    EXPECT_TRUE(form->Command9->isEnabled() && form->Command11->isEnabled());

    connectAs(true);
    EXPECT_EQ(listed(form->Combo1),
              (QStringList{"All", "[dbo].[Mixed]", "[dbo].[joined]", "[dbo].[longer]", "[dbo].[nulls]",
                           "[dbo].[Order]", "[dbo].[same]", "[dbo].[shorter]", "[dbo].[third]"}));
    EXPECT_EQ(listed(form->Combo2).size(), 9);
    EXPECT_EQ(store().get(settings::CompareServerName2), server(two));
    EXPECT_EQ(store().get(settings::CompareDataBase1), "cmp1");
    EXPECT_TRUE(dialogs.take().isEmpty());

    // A failed Connect reports by number and leaves both lists. (A refused password is
    // LockWatchTest's password scan.)
    const QStringList before = listed(form->Combo1) + listed(form->Combo2);
    struct Case
    {
        std::function<void()> spoil;
        QString message;
        QString status;
    } cases[] = {
        {[&] { form->Text23->setText(QStringLiteral("nosuchdb")); },
         "Could not find Database: Check database and server names.", "Error -2147467259"},
        {[&] {
             two.refused = {"sp_help"};
             two.configure();
         },
         "Error 1422--2147217900", "Error -2147217900"},
    };
    for (const Case& c : cases) {
        compareSides(QStringLiteral("cmp1"), QStringLiteral("cmp2"));
        c.spoil();
        form->Command11_Click();
        EXPECT_EQ(dialogs.takeMessages(), QStringList{c.message});
        EXPECT_EQ(form->Label28->text(), c.status);
        EXPECT_EQ(listed(form->Combo1) + listed(form->Combo2), before);
        EXPECT_TRUE(form->Command11->isEnabled() && form->Command9->isEnabled())
            << "an earlier Connect enabled both";
    }
}

TEST_F(Compare, PickedTablesAndProceduresGiveTheVerdictTheLogWhereTheyDifferAndTheCount)
{
    struct Case
    {
        bool tables;
        QString name;
        QString where; // "" when both sides are identical
    };
    std::vector<Case> cases{{false, "[dbo].[GetOrders]", "    line 2: 'select 1' against 'SELECT 1'"},
                            {false, "[dbo].[Same]", ""}};
    for (const auto& [name, where] : tableDifferences)
        cases.push_back({true, name, where});
    for (const Case& c : cases) {
        connectAs(c.tables);
        SCOPED_TRACE(c.name.toStdString());
        const bool differ = !c.where.isEmpty();
        const qvtest::ShownDialog verdict = comparePicked(c.name, c.name);
        const QString kind = c.tables ? QStringLiteral("Tables") : QStringLiteral("Stored Procedures");
        const QString outcome =
            differ ? QStringLiteral("are not identicle") : QStringLiteral("are identicle");
        EXPECT_EQ(verdict.text, kind + " " + c.name + " and " + c.name + " " + outcome + ".");
        EXPECT_EQ(verdict.title, "Quorvane");
        EXPECT_EQ(verdict.icon, differ ? ui::Icon::Exclamation : ui::Icon::Information);
        EXPECT_EQ(form->Label28->text(), kind + " " + outcome);
        EXPECT_EQ(log(), logEntry(c.name, c.where) + "\n");
        EXPECT_TRUE(form->Command9->isEnabled());
    }
    EXPECT_FALSE(tools::form10(form.get()).isVisible()) << "the compare writes the log without showing it";

    // The row counter counts equal rows and stops at the first difference.
    struct Recorder final : tools::CompareWatcher
    {
        QStringList statuses;
        void status(const QString& text) override { statuses << text; }
        bool stopRequested() const override { return false; }
    } recorder;
    tools::CompareRequest request;
    request.connection1 = tools::toolsConnectionString({server(one), "tester", "s3cret!", "cmp1"});
    request.connection2 = tools::toolsConnectionString({server(two), "tester", "s3cret!", "cmp2"});
    request.kind = tools::ObjectKind::Tables;
    request.name1 = request.name2 = QStringLiteral("[dbo].[third]");
    EXPECT_TRUE(tools::runCompare(request, recorder).different);
    EXPECT_EQ(recorder.statuses,
              (QStringList{"Comparing Line: [dbo].[third]  1", "Comparing Line: [dbo].[third]  2"}));

    recorder.statuses.clear();
    request.kind = tools::ObjectKind::StoredProcedures;
    request.name1 = request.name2 = QStringLiteral("[dbo].[Same]");
    EXPECT_FALSE(tools::runCompare(request, recorder).different);
    EXPECT_EQ(recorder.statuses, QStringList{"Comparing: [dbo].[Same]"});
}

// All compares every listed object by whole names, with a flag per object; empty boxes, a typed
// All and failures are reported and keep the previous log.
TEST_F(Compare, AllObjectsThenEmptyBoxesTypedAllAndFailures)
{
    connectAs(true);
    form->Text22->setText(QStringLiteral(" cmp1 "));
    const qvtest::ShownDialog verdict = comparePicked(QStringLiteral("All"), QStringLiteral("All"));
    EXPECT_EQ(verdict.text, "All Tables are not identicle.");
    EXPECT_EQ(verdict.icon, ui::Icon::Exclamation);
    // Every table in the servers' order, "same" logged identical although "nulls" before it is
    // not; then what one side lacks: "Order" is missing on side 2 although "Orders" is there.
    QString expected;
    for (const auto& [name, where] : tableDifferences)
        expected += logEntry(name, where);
    EXPECT_EQ(log(), expected + "\n"
                                "[dbo].[Mixed] is not found in cmp2\n"
                                "[dbo].[Order] is not found in cmp2\n"
                                "[dbo].[extra] is not found in cmp1\n"
                                "[dbo].[Orders] is not found in cmp1\n");

    const QString status = form->Label28->text();
    form->Combo1->setEditText(QStringLiteral("  "));
    form->Combo2->setEditText(QStringLiteral("[dbo].[same]"));
    form->Command9_Click();
    EXPECT_EQ(dialogs.takeMessages(), QStringList{"Please enter objects to compare."});
    EXPECT_EQ(form->Label28->text(), status);

    comparePicked(QStringLiteral("[dbo].[same]"), QStringLiteral("[dbo].[same]"));
    const QString previous = log();
    // "All" typed without choosing the entry names a table All, which neither side has;
    // Compare reports every number unmapped.
    QString seen;
    QTimer::singleShot(0, form.get(), [&] { seen = form->Label28->text(); });
    form->Combo1->setEditText(QStringLiteral("All"));
    form->Combo2->setEditText(QStringLiteral("All"));
    form->Command9_Click();
    EXPECT_EQ(dialogs.takeMessages() << form->Label28->text() << seen,
              (QStringList{"Error -2147217900", "Error -2147217900", "Conecting ..."}));
    EXPECT_EQ(log(), previous);
    EXPECT_TRUE(form->Command9->isEnabled());

    form->Text14->setText(QStringLiteral("wrong"));
    comparePicked(QStringLiteral("[dbo].[same]"), QStringLiteral("[dbo].[same]"));
    EXPECT_EQ(form->Label28->text(), "Error -2147217843");
    EXPECT_EQ(log(), previous);
}

TEST_F(Compare, TheLogWindowIsOneAndHiddenOnCloseKeepingEdits)
{
    form->Command12_Click();
    tools::Form10& log = tools::form10(form.get());
    EXPECT_TRUE(log.isVisible());
    EXPECT_EQ((QStringList{log.windowTitle(), log.Text1->toPlainText(), log.Text1->font().family()}),
              (QStringList{"Brindle Compare Log", "", "Courier"})); // no compare yet
    EXPECT_EQ(log.Text1->font().pointSizeF(), 9.75);
    log.Text1->setPlainText(QStringLiteral("my note"));
    log.close();
    EXPECT_FALSE(log.isVisible());
    form->Command12_Click();
    EXPECT_EQ(&tools::form10(), &log);
    EXPECT_EQ(log.Text1->toPlainText(), "my note");

    // Resizing lays the box and the button out again; a window too small for the box keeps
    // the box's last size and still moves the button. Pixels, 15 twips each.
    struct Size
    {
        int width, height; // the window's outer size, in pixels
        QRect box;         // Text1
        QPoint button;     // Command1's top left
    } sizes[] = {
        // W 9000, H 6750: the box 9000 - 120 - 220 by 6750 - 1450, the button at (9000 - 3880) / 2,
        // 6750 - 980.
        {600, 450, {8, 16, 577, 353}, {171, 385}},
        // W 330, H 1440: a box 10 twips less than nothing keeps its width, and its height.
        {22, 96, {8, 16, 577, 353}, {-118, 31}},
        // W 345: a box 5 twips wide, which is no pixel.
        {23, 96, {8, 16, 0, 353}, {-118, 31}},
    };
    const QSize frame = log.frameGeometry().size() - log.size();
    for (const Size& s : sizes) {
        log.resize(QSize(s.width, s.height) - frame);
        ASSERT_EQ(log.frameGeometry().size(), QSize(s.width, s.height)) << "the window takes the size";
        EXPECT_EQ(log.Text1->geometry(), s.box) << s.width;
        EXPECT_EQ(log.Command1->pos(), s.button) << s.width;
    }
    log.Command1_Click();
    EXPECT_FALSE(log.isVisible());
}

// Object names come from the server. One holding "]" or a statement of its own stays one name
// in every statement the compare and the finder send: nothing else is read or changed. (How a
// name is bracketed is ToolsLogicTest's; this is the tools using it against a server.)
TEST_F(Compare, HostileObjectNamesFromTheServerStayNames)
{
    const char* hostile = R"sql(
CREATE TABLE "x]; DROP TABLE keep; --" (v TEXT); INSERT INTO "x]; DROP TABLE keep; --" VALUES ('needle');
CREATE TABLE keep (id INTEGER); INSERT INTO keep VALUES (1);
)sql";
    const QString bad1 = database(one, QStringLiteral("bad1"), hostile);
    compareSides(bad1, database(two, QStringLiteral("bad2"), hostile));
    one.objects = QJsonArray();
    one.configure();

    connectAs(true);
    const QString statement = QStringLiteral("[dbo].[x]]; DROP TABLE keep; --]");
    EXPECT_EQ(comparePicked(QStringLiteral("All"), QStringLiteral("All")).text, "All Tables are identicle.")
        << log().toStdString();
    EXPECT_TRUE(log().contains(statement + " = " + statement)) << log().toStdString();
    finderOn(bad1, QStringLiteral("needle"));
    form->Command10_Click();
    EXPECT_TRUE(form->Text29->toPlainText().startsWith("Found Data in Table:" + statement))
        << form->Text29->toPlainText().toStdString();
    for (const QString& path : {one.databases["bad1"].toString(), two.databases["bad2"].toString()})
        EXPECT_EQ(SqliteFiles::scalar(path, "SELECT count(*) FROM keep"), "1") << path.toStdString();
}

} // namespace
