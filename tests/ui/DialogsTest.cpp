#include "ui/Dialogs.h"

#include "tests/support/ScriptedDialogs.h"

#include <gtest/gtest.h>

TEST(Dialogs, TheRealDialogsComeBackWhenTheScriptEnds)
{
    ui::Dialogs* real = &ui::dialogs();
    {
        qvtest::ScriptedDialogs script;
        EXPECT_EQ(&ui::dialogs(), &script);
    }
    EXPECT_EQ(&ui::dialogs(), real);
}
