// The main window on the desktop: minimise to the tray and back, stay on top.
#include "app/Maker.h"
#include "app/Tray.h"
#include "tests/support/FormFixture.h"

#include <QIcon>

namespace {

// A desktop with a tray: remembers what was put there.
class RecordingTray final : public app::Tray
{
public:
    bool available() const override { return true; }
    void add(QWidget* owner, const QIcon& icon, const QString& tip, Activated activated) override
    {
        ++adds;
        lastOwner = owner;
        lastTip = tip;
        iconShown = !icon.isNull();
        onActivated = std::move(activated);
    }

    int adds = 0;
    QWidget* lastOwner = nullptr;
    QString lastTip;
    bool iconShown = false;
    Activated onActivated;
};

class Desktop : public FormFixture
{
protected:
    void TearDown() override
    {
        FormFixture::TearDown();
        app::setTray(nullptr);
    }
};

// Without a tray, Minimize minimises the window instead of hiding it: nobody could bring it back
// from a tray that is not there. With one, it hides there until a left or right press.
TEST_F(Desktop, MinimizeHidesInTheTrayUntilALeftOrRightPressAndStayOnTopTwiceIsNormal)
{
    form->show();
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()) << "the offscreen platform has no tray";
    form->Command8_Click();
    EXPECT_FALSE(form->isHidden());
    EXPECT_TRUE(form->windowState() & Qt::WindowMinimized);
    form->Tray_Activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(form->windowState() & Qt::WindowMinimized);

    RecordingTray tray;
    app::setTray(&tray);
    for (auto restoring : {QSystemTrayIcon::Trigger, QSystemTrayIcon::Context}) {
        form->Command8->click();
        EXPECT_TRUE(form->isHidden());
        ASSERT_TRUE(tray.onActivated);
        // Moves, double clicks (their first press has already restored) and other buttons do nothing.
        for (auto ignored :
             {QSystemTrayIcon::DoubleClick, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown}) {
            tray.onActivated(ignored);
            EXPECT_TRUE(form->isHidden()) << int(ignored);
        }
        tray.onActivated(restoring);
        EXPECT_TRUE(form->isVisible()) << int(restoring);
        EXPECT_FALSE(form->isMinimized());
    }
    EXPECT_EQ(tray.adds, 2) << "each minimise puts the icon there again";
    EXPECT_EQ(tray.lastOwner, form.get());
    EXPECT_EQ(tray.lastTip, maker::windowCaption());
    EXPECT_TRUE(tray.iconShown);

    // Stay on Top twice returns to normal, and a hidden window stays hidden.
    const QRect place = form->geometry();
    for (const bool on : {true, false}) {
        form->StayonTopWindow->trigger();
        EXPECT_EQ(form->StayonTopWindow->isChecked(), on);
        EXPECT_EQ(bool(form->windowFlags() & Qt::WindowStaysOnTopHint), on);
        EXPECT_TRUE(form->isVisible()) << "changing the hint hides a window; it is shown again";
        EXPECT_EQ(form->geometry(), place);
    }
    form->hide();
    form->StayonTopWindow_Click();
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form->isHidden());
}

} // namespace
