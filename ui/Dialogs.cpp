#include "ui/Dialogs.h"

#include "ui/Clock.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace ui {
namespace {

QMessageBox::Icon toQt(Icon icon)
{
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

class QtDialogs final : public Dialogs
{
public:
    void message(const QString& text, const QString& title, Icon icon) override
    {
        QMessageBox box(toQt(icon), title, text, QMessageBox::Ok, QApplication::activeWindow());
        box.exec();
    }

    Answer question(const QString& text, const QString& title) override { return ask(text, title, false); }

    Answer questionDefaultNo(const QString& text, const QString& title) override
    {
        return ask(text, title, true);
    }

    static Answer ask(const QString& text, const QString& title, bool defaultNo)
    {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No,
                        QApplication::activeWindow());
        if (defaultNo)
            box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }

    void showModal(QWidget* window) override
    {
        // A local loop until the window hides itself (its own OK or Cancel hides it).
        QPointer<QWidget> guard(window);
        window->setWindowModality(Qt::ApplicationModal);
        window->show();
        QEventLoop loop;
        while (guard && guard->isVisible())
            loop.processEvents(QEventLoop::WaitForMoreEvents);
        if (guard)
            guard->setWindowModality(Qt::NonModal);
    }
};

Dialogs* installed = nullptr;
std::chrono::milliseconds openDialogs{};

// Adds the time from its making to its end, on the program's clock, to openDialogs.
class DialogClock
{
public:
    ~DialogClock() { openDialogs += std::chrono::milliseconds(start_.msecsTo(clock().now())); }

private:
    QDateTime start_ = clock().now();
};

} // namespace

Dialogs& dialogs()
{
    static QtDialogs real;
    return installed ? *installed : real;
}

void setDialogs(Dialogs* replacement)
{
    installed = replacement;
}

void msgBox(const QString& text, Icon icon)
{
    const DialogClock clock;
    dialogs().message(text, programTitle(), icon);
}

bool askYesNo(const QString& text)
{
    const DialogClock clock;
    return dialogs().question(text, QString()) == Answer::Yes;
}

std::chrono::milliseconds timeInDialogs()
{
    return openDialogs;
}

bool askYesNoDefaultNo(const QString& text)
{
    return dialogs().questionDefaultNo(text, QString()) == Answer::Yes;
}

} // namespace ui
