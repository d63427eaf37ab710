// The compare frame: Connect fills the two object lists, Compare compares the objects their
// texts name (or, with "All" chosen on both sides, every listed object), View Log shows the
// compare log window.
#include "query/db/Error.h"
#include "query/db/Recordset.h"
#include "settings/SettingsStore.h"
#include "tools/Form10.h"
#include "tools/Form2.h"
#include "tools/ObjectCompare.h"
#include "tools/ObjectLists.h"
#include "tools/ToolsConnection.h"
#include "tools/ToolsErrorReport.h"
#include "ui/Dialogs.h"
#include "ui/Events.h"
#include "ui/Failure.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QString allEntry = QStringLiteral("All");

tools::ToolsLogin side1(const Form2& f)
{
    return {f.Text12->text(), f.Text13->text(), f.Text14->text(), f.Text22->text()};
}

tools::ToolsLogin side2(const Form2& f)
{
    return {f.Text18->text(), f.Text19->text(), f.Text20->text(), f.Text23->text()};
}

// The listed objects after "All", as their entries read.
QStringList listedObjects(const QComboBox* combo)
{
    QStringList names;
    for (int i = 1; i < combo->count(); ++i)
        names << combo->itemText(i);
    return names;
}

bool allChosen(const QComboBox* combo)
{
    return combo->currentIndex() == 0 && combo->count() > 0 && combo->itemText(0) == allEntry &&
           combo->currentText().toUpper() == QLatin1String("ALL");
}

class StatusLine final : public tools::CompareWatcher
{
public:
    StatusLine(QLabel* label, const bool& stop) : label_(label), stop_(stop) {}
    void status(const QString& text) override { label_->setText(text); }
    bool stopRequested() const override { return stop_; }

private:
    QLabel* label_;
    const bool& stop_;
};

} // namespace

void Form2::connectCompare()
{
    connect(Command11, &QPushButton::clicked, this, &Form2::Command11_Click);
    connect(Command9, &QPushButton::clicked, this, &Form2::Command9_Click);
    connect(Command12, &QPushButton::clicked, this, &Form2::Command12_Click);
}

void Form2::Command11_Click()
{
    Command11->setEnabled(false);
    ui::guarded<settings::StoreError>([&] {
        settings::SettingsStore& store = settings::store();
        store.save(settings::CompareServerName1, Text12->text());
        store.save(settings::CompareDataBase1, Text22->text());
        store.save(settings::CompareUserName1, Text13->text());
        store.save(settings::CompareServerName2, Text18->text());
        store.save(settings::CompareDataBase2, Text23->text());
        store.save(settings::CompareUserName2, Text19->text());
    });

    ui::guarded<db::Error>(
        [&] {
            ui::doEvents();
            db::Recordset list1;
            db::Recordset list2;
            list1.Open(QStringLiteral("sp_help"), tools::toolsConnectionString(side1(*this)));
            list2.Open(QStringLiteral("sp_help"), tools::toolsConnectionString(side2(*this)));

            // "All" first; no entry chosen, so both texts are empty.
            for (QComboBox* combo : {Combo1, Combo2}) {
                combo->clear();
                combo->addItem(allEntry);
                combo->setCurrentIndex(-1);
                combo->setEditText(QString());
            }
            const QString type =
                Option1->isChecked() ? QStringLiteral("USER TABLE") : QStringLiteral("STORED PROCEDURE");
            const auto fill = [&](db::Recordset& list, QComboBox* combo) {
                tools::walkObjectList(
                    list, type, [&](const tools::ObjectName& object) { combo->addItem(object.bracketed()); });
            };
            fill(list1, Combo1);
            fill(list2, Combo2);
            list1.Close();
            list2.Close();
            Label28->setText(QStringLiteral("Connected"));
            Command9->setEnabled(true);
        },
        [&](const ui::Failure& failure) {
            const qint32 number = tools::showToolsError(tools::Tool::Connect, failure);
            Label28->setText(QStringLiteral("Error ") + QString::number(number));
        });
    Command11->setEnabled(true);
}

void Form2::Command9_Click()
{
    const QString object1 = Combo1->currentText().trimmed();
    const QString object2 = Combo2->currentText().trimmed();
    if (object1.isEmpty() || object2.isEmpty()) {
        ui::msgBox(QStringLiteral("Please enter objects to compare."));
        return;
    }
    Command9->setEnabled(false);
    Label28->setText(QStringLiteral("Conecting ..."));
    ui::doEvents();

    tools::CompareRequest request;
    request.connection1 = tools::toolsConnectionString(side1(*this));
    request.connection2 = tools::toolsConnectionString(side2(*this));
    request.allObjects = allChosen(Combo1) && allChosen(Combo2);
    if (request.allObjects) {
        request.names1 = listedObjects(Combo1);
        request.names2 = listedObjects(Combo2);
        request.database1 = Text22->text().trimmed();
        request.database2 = Text23->text().trimmed();
    } else {
        request.name1 = object1;
        request.name2 = object2;
    }
    const bool tables = Option1->isChecked();
    request.kind = tables ? tools::ObjectKind::Tables : tools::ObjectKind::StoredProcedures;

    stopCompare_ = false;
    StatusLine status(Label28, stopCompare_);
    ui::guarded<db::Error>(
        [&] {
            const tools::CompareOutcome outcome = tools::runCompare(request, status);
            if (outcome.stopped)
                return;
            tools::form10(this).setLogText(outcome.logText);

            const QString c1 = Combo1->currentText().trimmed();
            const QString c2 = Combo2->currentText().trimmed();
            const QString kind = tables ? QStringLiteral("Tables") : QStringLiteral("Stored Procedures");
            const QString verdict =
                outcome.different ? QStringLiteral("are not identicle") : QStringLiteral("are identicle");
            const QString text =
                c1.toUpper() == QLatin1String("ALL")
                    ? QStringLiteral("All ") + kind + QLatin1Char(' ') + verdict + QLatin1Char('.')
                    : kind + QLatin1Char(' ') + c1 + QStringLiteral(" and ") + c2 + QLatin1Char(' ') +
                          verdict + QLatin1Char('.');
            ui::msgBox(text, outcome.different ? ui::Icon::Exclamation : ui::Icon::Information);
            Label28->setText(kind + QLatin1Char(' ') + verdict);
            Command12->setEnabled(true);
        },
        [&](const ui::Failure& failure) {
            const qint32 number = tools::showToolsError(tools::Tool::Compare, failure);
            Label28->setText(QStringLiteral("Error ") + QString::number(number));
        });
    Command9->setEnabled(true);
}

void Form2::Command12_Click()
{
    tools::Form10& log = tools::form10(this);
    log.show();
    log.raise();
}
