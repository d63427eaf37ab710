#pragma once

#include "ui/Dialogs.h"

#include <QList>
#include <QString>
#include <deque>
#include <functional>

class QWidget;

namespace qvtest {

// One dialog as it was shown.
struct ShownDialog
{
    enum Kind { Message, Question, Modal } kind;
    QString text;
    QString title;
    ui::Buttons buttons;
    ui::Icon icon;
    QString windowName;     // objectName of a modally shown window
    bool defaultNo = false; // a question whose default button is No
};

// Replaces the real dialogs for the lifetime of the object. Every dialog is recorded;
// questions take their answers from a queue and modal windows run a queued action while
// "shown". A question or modal window without a queued answer, or a recorded dialog the
// test never looked at, fails the test: no dialog goes unnoticed.
class ScriptedDialogs final : public ui::Dialogs
{
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void answer(ui::Answer answer) { answers_.push_back(answer); }
    // The action runs while the window is "modal"; it should hide the window as its
    // OK or Cancel would.
    void onModal(std::function<void(QWidget*)> action) { modalActions_.push_back(std::move(action)); }
    // The action runs while the next OK message is "open" (a user reading it: time passes).
    void onMessage(std::function<void()> action) { messageActions_.push_back(std::move(action)); }

    // Takes every dialog recorded so far (the test then asserts on them).
    QList<ShownDialog> take();
    // Takes the texts of the OK-only messages recorded so far, failing on other dialogs.
    QStringList takeMessages();

    void message(const QString& text, const QString& title, ui::Icon icon) override;
    ui::Answer question(const QString& text, const QString& title) override;
    ui::Answer questionDefaultNo(const QString& text, const QString& title) override;
    void showModal(QWidget* window) override;

private:
    QList<ShownDialog> shown_;
    std::deque<ui::Answer> answers_;
    std::deque<std::function<void(QWidget*)>> modalActions_;
    std::deque<std::function<void()>> messageActions_;
};

} // namespace qvtest
