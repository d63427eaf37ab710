// The value finder frame: Find searches every user table of a database for the search text;
// while it runs the button reads "Cancel" and stops it, keeping the hits found so far.
#include "query/db/Error.h"
#include "settings/SettingsStore.h"
#include "tools/Form2.h"
#include "tools/ToolsConnection.h"
#include "tools/ToolsErrorReport.h"
#include "tools/ValueFinder.h"
#include "ui/Dialogs.h"
#include "ui/Events.h"
#include "ui/Failure.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTextCursor>

namespace {

const QString findCaption = QStringLiteral("&Find");
const QString cancelCaption = QStringLiteral("Cancel");

class FinderFrame final : public tools::FindWatcher
{
public:
    FinderFrame(Form2& form, const bool& stop) : f_(form), stop_(stop) {}
    void status(const QString& text) override { f_.Label39->setText(text); }
    void clear() override { f_.Text29->clear(); }
    void append(const QString& text) override
    {
        f_.Text29->moveCursor(QTextCursor::End);
        f_.Text29->insertPlainText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    }
    bool stopRequested() const override { return stop_; }

private:
    Form2& f_;
    const bool& stop_;
};

} // namespace

void Form2::connectFinder()
{
    connect(Command10, &QPushButton::clicked, this, &Form2::Command10_Click);
}

void Form2::Command10_Click()
{
    // Cancel: the running search stops at its next step and keeps what it found.
    if (searching_) {
        stopSearch_ = true;
        return;
    }

    Label39->setText(QString());
    ui::guarded<settings::StoreError>([&] {
        settings::SettingsStore& store = settings::store();
        store.save(settings::FindServerName, Text24->text());
        store.save(settings::FindDataBase, Text25->text());
        store.save(settings::FindUserName, Text27->text());
    });
    if (Text28->text().trimmed().isEmpty()) {
        ui::msgBox(QStringLiteral("Please enter a search string"));
        return;
    }

    QScopedValueRollback running(searching_, true);
    stopSearch_ = false;
    Command10->setText(cancelCaption);
    ui::doEvents();

    tools::FindRequest request;
    request.connection =
        tools::toolsConnectionString({Text24->text(), Text27->text(), Text30->text(), Text25->text()});
    request.searchText = Text28->text();
    request.findAll = Check3->isChecked();
    request.checkSystems = Check2->isChecked();

    FinderFrame frame(*this, stopSearch_);
    const bool ranThrough = ui::guarded<db::Error>(
        [&] { tools::findValue(request, frame); },
        [&](const ui::Failure& failure) { tools::showToolsError(tools::Tool::Find, failure); });
    Command10->setText(findCaption);
    if (ranThrough)
        Label39->setText(QStringLiteral("Complete"));
}
