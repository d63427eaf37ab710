// The "Sql Watch" frame's handlers: the lock watch and the mail setup window.
#include "mail/Form12.h"
#include "tools/Form2.h"
#include "tools/LockWatch.h"
#include "ui/Clock.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// The watch's view of the frame's controls.
class WatchControls final : public tools::WatchFrame
{
public:
    explicit WatchControls(Form2& form) : form_(form) {}

    tools::WatchFields fields() const override
    {
        return {form_.Text8->text(), form_.Text9->text(), form_.Text31->text(), form_.Text32->text()};
    }
    bool checkForLocks() const override { return form_.Option3->isChecked(); }
    QString caption() const override { return form_.Command8->text(); }
    void setCaption(const QString& caption) override { form_.Command8->setText(caption); }
    void setPolling(bool on) override { form_.Timer2->setEnabled(on); }
    void setStatus(const QString& text) override { form_.Label6->setText(text); }

private:
    Form2& form_;
};

} // namespace

void Form2::connectWatch()
{
    watchFrame_ = std::make_unique<WatchControls>(*this);
    watch_ = std::make_unique<tools::LockWatch>(*watchFrame_);
    connect(Command8, &QPushButton::clicked, this, &Form2::Command8_Click);
    connect(Timer2, &ui::Timer::timeout, this, &Form2::Timer2_Timer);
    connect(Command21, &QPushButton::clicked, this, &Form2::Command21_Click);
}

void Form2::Command8_Click()
{
    watch_->click();
}

void Form2::Timer2_Timer()
{
    watch_->tick();
}

void Form2::Command21_Click()
{
    mail::Form12& form = mail::form12();
    form.show();
    form.raise();
    form.activateWindow();
}
