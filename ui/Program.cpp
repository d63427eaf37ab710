#include "ui/Program.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

namespace ui {
namespace {

std::function<void()>& endAction()
{
    static std::function<void()> action;
    return action;
}

std::function<bool(const QUrl&)>& urlAction()
{
    static std::function<bool(const QUrl&)> action;
    return action;
}

} // namespace

void endProgram()
{
    if (endAction()) {
        endAction()();
        return;
    }
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
}

void setEndProgramAction(std::function<void()> action) { endAction() = std::move(action); }

bool openUrl(const QUrl& url)
{
    if (urlAction())
        return urlAction()(url);
    return QDesktopServices::openUrl(url);
}

void setOpenUrlAction(std::function<bool(const QUrl&)> action) { urlAction() = std::move(action); }

} // namespace ui
