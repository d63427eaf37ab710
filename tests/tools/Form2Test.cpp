// The tools window as the main window opens it, its controls, and the end of the program
// while a compare or a search runs.
#include "ToolsFixture.h"
#include "app/Form1.h"
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

TEST_F(Tools, TheToolsButtonCreatesOneModelessWindowReusedAfterwards)
{
    Form1 main;
    EXPECT_EQ(main.toolsWindow, nullptr);
    main.Command2_Click();
    Form2* tools = main.toolsWindow;
    ASSERT_NE(tools, nullptr);
    EXPECT_TRUE(tools->isVisible());
    EXPECT_FALSE(tools->isModal());
    EXPECT_EQ(tools->windowTitle(), "Database Tools");
    tools->hide();
    main.Command2_Click();
    EXPECT_EQ(main.toolsWindow, tools);
    EXPECT_TRUE(tools->isVisible());

    // Masked passwords and the starting states the handlers rely on.
    for (QLineEdit* password : {tools->Text14, tools->Text20, tools->Text30, tools->Text32})
        EXPECT_EQ(password->echoMode(), QLineEdit::Password) << password->objectName().toStdString();
    EXPECT_TRUE(tools->Option2->isChecked());
    EXPECT_TRUE(tools->Option3->isChecked());
    EXPECT_FALSE(tools->Check2->isChecked() || tools->Check3->isChecked());
    EXPECT_FALSE(tools->Command9->isEnabled());
    EXPECT_FALSE(tools->Timer2->isEnabled());
}

TEST_F(Tools, EndingTheProgramStopsARunningCompareOrSearchAtItsNextStep)
{
    const char* sql = "CREATE TABLE big (id INTEGER, v TEXT); WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL "
                      "SELECT i + 1 FROM n WHERE i < 299) INSERT INTO big SELECT i, 'Smith' FROM n;";
    const QString db1 = database(one, QStringLiteral("end1"), sql);
    const QString db2 = database(two, QStringLiteral("end2"), sql);
    struct Case
    {
        const char* what;
        bool exitMenu; // File Exit answered Yes, else the main window closed
        std::function<void(Form2&)> start;
        std::function<bool(Form2&)> midway;
        std::function<void(Form2&)> expectStopped;
    } cases[] = {
        {"compare", false,
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
        {"search", true,
         [&](Form2& tools) {
             finderOn(db1, QStringLiteral("Smith"), &tools);
             tools.Check3->setChecked(true);
             tools.Command10_Click();
         },
         [](Form2& tools) { return tools.Text29->toPlainText().count("Found") >= 3; },
         [](Form2& tools) {
             EXPECT_LT(tools.Text29->toPlainText().count("Found"), 300);
             EXPECT_EQ(tools.Command10->text(), "&Find");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        programEnds = 0;
        Form1 main;
        main.Command2_Click();
        Form2& tools = *main.toolsWindow;
        bool ended = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &tools, [&] {
            if (ended || !c.midway(tools))
                return;
            ended = true;
            if (c.exitMenu) {
                dialogs.answer(ui::Answer::Yes);
                main.Exitm->trigger();
            } else {
                main.close();
            }
        });
        poll.start(0);
        c.start(tools);
        poll.stop();
        EXPECT_TRUE(ended);
        EXPECT_EQ(programEnds, 1);
        c.expectStopped(tools);
        // No verdict and no status of a finished run: only the exit question, when asked.
        EXPECT_EQ(dialogs.take().size(), c.exitMenu ? 1 : 0);
    }
}

} // namespace
