// The main window's own place on the desktop: minimise to the tray and back, stay on top,
// and the help page.
#include "app/Form1.h"
#include "app/HelpPage.h"
#include "app/Tray.h"

#include <QAction>
#include <QCoreApplication>
#include <QIcon>
#include <QPushButton>
#include <QStyle>

void Form1::connectTray()
{
    connect(Command8, &QPushButton::clicked, this, &Form1::Command8_Click);
    connect(StayonTopWindow, &QAction::triggered, this, &Form1::StayonTopWindow_Click);
    connect(Help, &QAction::triggered, this, &Form1::Help_Click);
}

void Form1::Command8_Click()
{
    AddIconTray();
    // Hidden only where the tray can bring the window back; elsewhere it is minimised.
    if (app::tray().available())
        hide();
    else
        showMinimized();
}

void Form1::AddIconTray()
{
    if (!app::tray().available())
        return;
    QIcon icon = windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_ComputerIcon);
    app::tray().add(this, icon, windowTitle(),
                    [this](QSystemTrayIcon::ActivationReason reason) { Tray_Activated(reason); });
}

void Form1::Tray_Activated(QSystemTrayIcon::ActivationReason reason)
{
    // A left press (Trigger) or a right press (Context) brings the window back; a double
    // click restores through its first press, so its own event does nothing, nor does any
    // other.
    if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::Context)
        return;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void Form1::StayonTopWindow_Click()
{
    const bool onTop = !StayonTopWindow->isChecked();
    const bool shown = isVisible();
    const QRect place = geometry();
    // Changing a window's flags hides it: show it again in the same place.
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    StayonTopWindow->setChecked(onTop);
    if (shown) {
        setGeometry(place);
        show();
    }
}

void Form1::Help_Click()
{
    app::openHelp(QCoreApplication::applicationDirPath());
}
