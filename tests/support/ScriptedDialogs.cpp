#include "tests/support/ScriptedDialogs.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace qvtest {

ScriptedDialogs::ScriptedDialogs()
{
    ui::setDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    ui::setDialogs(nullptr);
    for (const ShownDialog& d : shown_)
        ADD_FAILURE() << "dialog shown but never checked: \"" << d.text.toStdString() << "\"";
    if (!answers_.empty())
        ADD_FAILURE() << answers_.size() << " scripted answer(s) never asked for";
    if (!modalActions_.empty())
        ADD_FAILURE() << modalActions_.size() << " scripted modal window(s) never shown";
    if (!messageActions_.empty())
        ADD_FAILURE() << messageActions_.size() << " scripted message action(s) never run";
}

QList<ShownDialog> ScriptedDialogs::take()
{
    return std::exchange(shown_, {});
}

QStringList ScriptedDialogs::takeMessages()
{
    QStringList texts;
    for (const ShownDialog& d : take()) {
        EXPECT_EQ(d.kind, ShownDialog::Message) << "not an OK message: " << d.text.toStdString();
        texts << d.text;
    }
    return texts;
}

void ScriptedDialogs::message(const QString& text, const QString& title, ui::Icon icon)
{
    shown_.append({ShownDialog::Message, text, title, ui::Buttons::Ok, icon, {}});
    if (!messageActions_.empty()) {
        auto action = std::move(messageActions_.front());
        messageActions_.pop_front();
        action();
    }
}

ui::Answer ScriptedDialogs::question(const QString& text, const QString& title)
{
    shown_.append({ShownDialog::Question, text, title, ui::Buttons::YesNo, ui::Icon::None, {}});
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected question: \"" << text.toStdString() << "\"";
        return ui::Answer::No;
    }
    const ui::Answer a = answers_.front();
    answers_.pop_front();
    return a;
}

ui::Answer ScriptedDialogs::questionDefaultNo(const QString& text, const QString& title)
{
    const ui::Answer a = question(text, title);
    shown_.last().defaultNo = true;
    return a;
}

void ScriptedDialogs::showModal(QWidget* window)
{
    shown_.append({ShownDialog::Modal,
                   {},
                   window->windowTitle(),
                   ui::Buttons::Ok,
                   ui::Icon::None,
                   window->objectName()});
    if (modalActions_.empty()) {
        ADD_FAILURE() << "unexpected modal window: " << window->objectName().toStdString();
        return;
    }
    auto action = std::move(modalActions_.front());
    modalActions_.pop_front();
    window->show();
    action(window);
    window->hide();
}

} // namespace qvtest
