// The tools window as the main window opens it, its controls, and the end of the program
// while a compare or a search runs.
#include "ToolsFixture.h"
#include "app/Form1.h"
#include "ui/Clock.h"
#include "ui/Controls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

using Tools = ToolsFixture;

TEST_F(Tools, TheToolsButtonCreatesOneModelessWindowWithTheDesignedControls)
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

    // Captions, places (left, top, in twips) and the controls' starting states.
    struct Control
    {
        const char* name;
        QString caption;
        int left, top;
    } controls[] = {
        {"Frame10", "Find Value in Sql Database", 0, 0},
        {"Frame9", "Sql Compare", 0, 3120},
        {"Frame8", "Sql Watch", 3960, 3120},
        {"Label17", "Sql Server 1", 240, 240},
        {"Text12", "", 240, 480},
        {"Label25", "Database 1", 240, 2040},
        {"Combo2", "", 2040, 2880},
        {"Label24", "Object 2", 2040, 2640},
        {"Option2", "Stored Procedures", 360, 3840},
        {"Option1", "Tables", 2280, 3840},
        {"Command11", "Connect", 360, 4080},
        {"Command9", "Com&pare", 1440, 4080},
        {"Command12", "View Log", 2520, 4080},
        {"Label28", "", 240, 3240},
        {"Text28", "", 4200, 480},
        {"Label31", "Search String", 4200, 240},
        {"Check2", "Check Systems", 4320, 1080},
        {"Check3", "Find All", 5880, 1080},
        {"Command10", "&Find", 240, 1440},
        {"Label39", "", 4320, 1440},
        {"Text29", "", 240, 1920},
        {"Text32", "", 240, 2280},
        {"Label35", "User Name", 240, 1440},
        {"Command21", "Email Setup", 240, 2760},
        {"Option3", "Check for Locks", 360, 3600},
        {"Option4", "Check for No Locks", 1980, 3600},
        {"Command8", "&Run", 720, 4080},
        {"Label6", "", 360, 3240},
    };
    for (const Control& c : controls) {
        auto* w = tools->findChild<QWidget*>(QLatin1String(c.name));
        ASSERT_NE(w, nullptr) << c.name;
        QString caption;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            caption = b->text();
        else if (auto* l = qobject_cast<QLabel*>(w))
            caption = l->text();
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            caption = g->title();
        EXPECT_EQ(caption, c.caption) << c.name;
        EXPECT_EQ(ui::twipsGeometry(w).left, c.left) << c.name;
        EXPECT_EQ(ui::twipsGeometry(w).top, c.top) << c.name;
    }
    for (QLineEdit* password : {tools->Text14, tools->Text20, tools->Text30, tools->Text32})
        EXPECT_EQ(password->echoMode(), QLineEdit::Password) << password->objectName().toStdString();
    EXPECT_TRUE(tools->Option2->isChecked());
    EXPECT_TRUE(tools->Option3->isChecked());
    EXPECT_FALSE(tools->Check2->isChecked() || tools->Check3->isChecked());
    EXPECT_FALSE(tools->Command9->isEnabled());
    EXPECT_FALSE(tools->Timer2->isEnabled());
    EXPECT_EQ(tools->Timer2->interval(), 60000);
    EXPECT_EQ(tools->Timer2->objectName(), "Timer2");
}

} // namespace
