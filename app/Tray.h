#pragma once

#include <QSystemTrayIcon>
#include <functional>

class QIcon;
class QString;
class QWidget;

// The system tray, behind a seam: the program uses the desktop's tray through QSystemTrayIcon;
// tests install their own and deliver activations to the window's handler themselves.
namespace app {

class Tray
{
public:
    using Activated = std::function<void(QSystemTrayIcon::ActivationReason)>;

    virtual ~Tray() = default;
    // Whether the desktop has a tray to put the icon in (not offscreen, often not under Xvfb).
    virtual bool available() const = 0;
    // Puts the icon in the tray (again) with its tip; activations go to `activated`. A failure
    // is ignored. The icon stays in the tray until the program ends.
    virtual void add(QWidget* owner, const QIcon& icon, const QString& tip, Activated activated) = 0;
};

// The tray in use: the desktop's unless a test has installed another.
Tray& tray();
// Installs `replacement` (not owned); nullptr restores the desktop's tray.
void setTray(Tray* replacement);

} // namespace app
