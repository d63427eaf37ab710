// The tools window as the main window opens it, its controls, and what stops a compare or a
// search while it runs: Cancel, or the program's end.
#include "app/Form1.h"
#include "tests/support/ToolsFixture.h"
#include "tools/Form10.h"
#include "ui/Clock.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

using Tools = ToolsFixture;

// Each case opens the tools window from a main window of its own: one is alive at the end.
TEST_F(Tools, OneModelessWindowThatCancelOrTheProgramsEndStopsAtItsNextStep)
{
    const char* sql = "CREATE TABLE big (id INTEGER, v TEXT); WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL "
                      "SELECT i + 1 FROM n WHERE i < 299) INSERT INTO big SELECT i, 'Smith' FROM n;";
    const QString db1 = database(one, QStringLiteral("end1"), sql);
    const QString db2 = database(two, QStringLiteral("end2"), sql);
    const auto search = [&](Form2& tools) {
        finderOn(db1, QStringLiteral("Smith"), &tools);
        tools.Check3->setChecked(true);
        tools.Command10_Click();
    };
    const auto searching = [](Form2& tools) { return tools.Text29->toPlainText().count("Found") >= 3; };
    const auto searchStopped = [](Form2& tools) {
        EXPECT_LT(tools.Text29->toPlainText().count("Found"), 300) << "the hits found so far stay";
        EXPECT_EQ(tools.Command10->text(), "&Find");
        EXPECT_EQ(tools.Label39->text(), "Complete");
    };
    enum Stop { Close, Exit, Cancel };
    struct Case
    {
        const char* what;
        Stop stop;
        std::function<void(Form2&)> start;
        std::function<bool(Form2&)> midway;
        std::function<void(Form2&)> expectStopped;
    } cases[] = {
        {"compare, main window closed", Close,
         [&](Form2& tools) {
             compareSides(db1, db2, &tools);
             tools.Option1->setChecked(true);
             tools.Command11_Click();
             pick(tools.Combo1, QStringLiteral("[dbo].[big]"));
             pick(tools.Combo2, QStringLiteral("[dbo].[big]"));
             tools.Command9_Click();
         },
         [](Form2& tools) { return tools.Label28->text().startsWith("Comparing Line"); },
         [](Form2& tools) {
             EXPECT_TRUE(tools.Command9->isEnabled());
             EXPECT_EQ(tools::form10(&tools).Text1->toPlainText(), "") << "no log of a compare cut short";
         }},
        {"search, File Exit", Exit, search, searching, searchStopped},
        {"search, Cancel with the search box emptied meanwhile", Cancel, search, searching, searchStopped},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        programEnds = 0;
        Form1 main;
        EXPECT_EQ(main.toolsWindow, nullptr);
        main.Command2_Click();
        ASSERT_NE(main.toolsWindow, nullptr);
        Form2& tools = *main.toolsWindow;
        EXPECT_TRUE(tools.isVisible() && !tools.isModal());
        EXPECT_EQ(tools.windowTitle(), "Database Tools");
        tools.hide();
        main.Command2_Click();
        EXPECT_EQ(main.toolsWindow, &tools) << "the button shows the same window again";
        EXPECT_TRUE(tools.isVisible());
        for (QLineEdit* password : {tools.Text14, tools.Text20, tools.Text30, tools.Text32})
            EXPECT_EQ(password->echoMode(), QLineEdit::Password) << password->objectName().toStdString();
        // The starting states the handlers rely on: procedures, Check For Locks, first hit only,
        // no system tables, no Compare before a Connect, no watch.
        EXPECT_EQ(
            (QList<bool>{tools.Option2->isChecked(), tools.Option3->isChecked(), tools.Check3->isChecked(),
                         tools.Check2->isChecked(), tools.Command9->isEnabled(), tools.Timer2->isEnabled()}),
            (QList<bool>{true, true, false, false, false, false}));
        bool stopped = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &tools, [&] {
            if (stopped || !c.midway(tools))
                return;
            stopped = true;
            switch (c.stop) {
            case Close:
                main.close();
                break;
            case Exit:
                dialogs.answer(ui::Answer::Yes);
                main.Exitm->trigger();
                break;
            case Cancel:
                tools.Text28->clear();
                tools.Command10_Click();
                break;
            }
        });
        poll.start(0);
        c.start(tools);
        poll.stop();
        EXPECT_TRUE(stopped);
        EXPECT_EQ(programEnds, c.stop == Cancel ? 0 : 1);
        c.expectStopped(tools);
        // No verdict and no message of a finished run: only the exit question, when asked.
        EXPECT_EQ(dialogs.take().size(), c.stop == Exit ? 1 : 0);
    }
}

} // namespace
