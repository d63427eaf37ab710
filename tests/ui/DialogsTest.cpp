#include "tests/support/ScriptedDialogs.h"
#include "ui/Dialogs.h"

#include <gtest/gtest.h>

TEST(Dialogs, ScriptedDialogsRecordWhatWasShownAndAnswerFromTheQueue)
{
    qvtest::ScriptedDialogs script;
    script.answer(ui::Answer::No);
    script.answer(ui::Answer::Yes);

    ui::msgBox(QStringLiteral("Export Complete"));
    ui::dialogs().message(QStringLiteral("Tables are identicle"), QStringLiteral("Compare"),
                          ui::Icon::Information);
    EXPECT_FALSE(ui::askYesNo(QStringLiteral("Are You sure you want to Exit")));
    EXPECT_TRUE(ui::askYesNo(QStringLiteral("Again?")));

    const auto shown = script.take();
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown[0].kind, qvtest::ShownDialog::Message);
    EXPECT_EQ(shown[0].text, "Export Complete");
    EXPECT_EQ(shown[0].title, "Quorvane");
    EXPECT_EQ(shown[0].buttons, ui::Buttons::Ok);
    EXPECT_EQ(shown[0].icon, ui::Icon::None);
    EXPECT_EQ(shown[1].title, "Compare");
    EXPECT_EQ(shown[1].icon, ui::Icon::Information);
    EXPECT_EQ(shown[2].kind, qvtest::ShownDialog::Question);
    EXPECT_EQ(shown[2].text, "Are You sure you want to Exit");
    EXPECT_EQ(shown[2].title, "");
    EXPECT_EQ(shown[2].buttons, ui::Buttons::YesNo);
}

TEST(Dialogs, TheRealDialogsComeBackWhenTheScriptEnds)
{
    ui::Dialogs* real = &ui::dialogs();
    {
        qvtest::ScriptedDialogs script;
        EXPECT_EQ(&ui::dialogs(), &script);
    }
    EXPECT_EQ(&ui::dialogs(), real);
}
