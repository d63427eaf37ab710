#include "app/Tray.h"

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace app {
namespace {

class DesktopTray final : public Tray
{
public:
    bool available() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

    void add(QWidget* owner, const QIcon& icon, const QString& tip, Activated activated) override
    {
        if (!icon_) {
            icon_ = new QSystemTrayIcon(owner);
        }
        QObject::disconnect(icon_, &QSystemTrayIcon::activated, nullptr, nullptr);
        QObject::connect(icon_, &QSystemTrayIcon::activated, icon_,
                         [activated = std::move(activated)](QSystemTrayIcon::ActivationReason reason) {
                             if (activated)
                                 activated(reason);
                         });
        icon_->setIcon(icon);
        icon_->setToolTip(tip);
        icon_->show();
    }

private:
    QPointer<QSystemTrayIcon> icon_; // owned by the window it was first added for
};

Tray* installed = nullptr;

} // namespace

Tray& tray()
{
    static DesktopTray desktop;
    return installed ? *installed : desktop;
}

void setTray(Tray* replacement)
{
    installed = replacement;
}

} // namespace app
