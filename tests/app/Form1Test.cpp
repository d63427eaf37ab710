// The main window's own behaviour at start: the option groups, the masked boxes, the panels'
// stacking, the menu marks and the Exit question. Its controls' names, captions and places
// are the window's own table (app/Form1Menus.cpp, app/Form1Layout.cpp) and are not repeated
// here; the layout arithmetic is tested in LayoutTest and WorkspaceTest.
#include "tests/support/FormFixture.h"

#include <QStyle>

namespace {

using Form1Test = FormFixture;

TEST_F(Form1Test, AtStartTheGroupsAreApartPasswordsMaskedPanelsAboveTheOutputAndExitAsks)
{
    EXPECT_TRUE(form->Option4->isChecked()) << "the data grid starts read-only";
    EXPECT_FALSE(form->Command9->isEnabled()) << "Cancel is disabled while nothing runs";
    form->Option1->setChecked(true);
    form->Option2->setChecked(true);
    EXPECT_FALSE(form->Option1->isChecked());
    form->Option5->setChecked(true);
    EXPECT_FALSE(form->Option4->isChecked());
    EXPECT_TRUE(form->Option2->isChecked()) << "the read/write choice must not touch the output choice";
    form->Option1->setChecked(true);
    EXPECT_TRUE(form->Option5->isChecked()) << "the output choice must not touch the read/write choice";

    for (QLineEdit* box : {form->Text5, form->Text10}) {
        EXPECT_EQ(box->echoMode(), QLineEdit::Password) << box->objectName().toStdString();
        EXPECT_EQ(box->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, box), '*');
    }
    for (QLineEdit* box : {form->Text4, form->Text8, form->Text9, form->Text12, form->Text14, form->Text15})
        EXPECT_EQ(box->echoMode(), QLineEdit::Normal) << box->objectName().toStdString();

    // Only the profile panel shows, and the floating panels stand above the output.
    form->show();
    EXPECT_TRUE(form->Frame1->isVisibleTo(form.get()));
    for (QGroupBox* hidden : {form->Frame2, form->Frame4, form->Frame5, form->Frame8})
        EXPECT_FALSE(hidden->isVisibleTo(form.get())) << hidden->objectName().toStdString();

    const QObjectList order = form->centralWidget()->children(); // bottom to top
    for (QWidget* panel : {form->Frame1, form->Frame2, form->Frame5, form->Frame8}) {
        EXPECT_TRUE(panel->autoFillBackground()) << panel->objectName().toStdString();
        for (QWidget* below : QList<QWidget*>{form->Text1, form->Text2, form->MSFlexGrid1, form->Frame4})
            EXPECT_GT(order.indexOf(panel), order.indexOf(below))
                << panel->objectName().toStdString() << " under " << below->objectName().toStdString();
    }

    // Were Qt's own flip left in place beside the handler's, two flips would cancel out.
    form->RunOnlySelectedText->trigger();
    EXPECT_FALSE(form->RunOnlySelectedText->isChecked());
    form->RunOnlySelectedText->trigger();
    EXPECT_TRUE(form->RunOnlySelectedText->isChecked());

    // Exit asks, and No keeps the program running (Yes, and closing the window without a
    // question, end it: RunTest's CancelClosingOrExitingDuringTheReadKeepsTheRowsReadAndStopsTheBatch).
    dialogs.answer(ui::Answer::No);
    form->Exitm->trigger();
    const auto asked = dialogs.take();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].text, "Are You sure you want to Exit");
    EXPECT_EQ(asked[0].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(programEnds, 0);
    EXPECT_TRUE(form->isVisible());
}

} // namespace
