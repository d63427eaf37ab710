// The main window's workspace: connection profiles, quick queries, the statement log and
// the previous-queries panel, and the font panel. Each handler reads its controls, calls
// the plain logic in profiles/ and query/log/, writes its controls and keeps its failures
// to itself.
#include "app/FontSize.h"
#include "app/Form1.h"
#include "profiles/PasswordTable.h"
#include "profiles/Profile.h"
#include "profiles/QuickQueries.h"
#include "query/log/StatementLog.h"
#include "settings/SettingsStore.h"
#include "ui/BoxText.h"
#include "ui/Clock.h"
#include "ui/Dialogs.h"
#include "ui/Events.h"
#include "ui/Failure.h"
#include "ui/MSFlexGrid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <exception>

namespace {

// Adds an entry to the end of a drop-down combo's list without touching its text (Qt would
// otherwise show the first entry added to an empty list).
void appendKeepingText(QComboBox* combo, const QString& entry)
{
    const QString text = combo->currentText();
    combo->addItem(entry);
    if (combo->currentText() != text)
        combo->setEditText(text);
}

QStringList entriesOf(const QComboBox* combo)
{
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    return entries;
}

} // namespace

void Form1::connectWorkspace()
{
    connect(Combo2, &QComboBox::activated, this, [this] { Combo2_Click(); });
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Text10, &QLineEdit::textChanged, this, &Form1::Text10_Change);
    connect(Check2, &QCheckBox::toggled, this, &Form1::Check2_Click);
    connect(LoadLastProfileonStartup, &QAction::triggered, this, &Form1::LoadLastProfileonStartup_Click);
    Combo2->installEventFilter(this);
    Text9->installEventFilter(this);

    queryTextKeeper_ = std::make_unique<profiles::QueryTextKeeper>();
    Text1KeepTimer = new ui::Timer(this);
    Text1KeepTimer->setObjectName(QStringLiteral("Text1KeepTimer"));
    Text1KeepTimer->setInterval(500);
    connect(Text1KeepTimer, &ui::Timer::timeout, this, [this] {
        Text1KeepTimer->setEnabled(false);
        queryTextKeeper_->keep(queryTextKeepProfile_, ui::boxText(Text1));
    });
    connect(Text1, &QPlainTextEdit::textChanged, this, &Form1::Text1_Change);
    connect(Check1, &QCheckBox::toggled, this, &Form1::Check1_Click);
    connect(Check4, &QCheckBox::toggled, this, &Form1::Check4_Click);
    connect(AutomacticallySaveSqlStatements, &QAction::triggered, this,
            &Form1::AutomacticallySaveSqlStatements_Click);
    connect(AutomaticallySaveAllSQLStatements, &QAction::triggered, this,
            &Form1::AutomaticallySaveAllSQLStatements_Click);
    connect(MQuerys, &QAction::triggered, this, &Form1::MQuerys_Click);
    connect(Command20, &QPushButton::clicked, this, &Form1::Command20_Click);
    connect(List1, &QListWidget::itemClicked, this, [this] { List1_Click(); });
    connect(List1, &QListWidget::itemActivated, this, [this] { List1_Click(); });

    connect(Combo4, &QComboBox::activated, this, [this] { Combo4_Click(); });
    connect(Command10, &QPushButton::clicked, this, &Form1::Command10_Click);
    connect(Command12, &QPushButton::clicked, this, &Form1::Command12_Click);
    connect(Check5, &QCheckBox::toggled, this, &Form1::Check5_Click);

    connect(MFontSettings, &QAction::triggered, this, &Form1::MFontSettings_Click);
    connect(Command14, &QPushButton::clicked, this, &Form1::Command14_Click);
    connect(Command15, &QPushButton::clicked, this, &Form1::Command15_Click);

    // The menu entries show the state of their check boxes.
    AutomacticallySaveSqlStatements->setChecked(Check1->isChecked());
    AutomaticallySaveAllSQLStatements->setChecked(Check4->isChecked());
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (workspaceEvent(watched, event) || layoutEvent(watched, event) || runEvent(watched, event) ||
        directEditEvent(watched, event) || keyEvent(watched, event))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

bool Form1::workspaceEvent(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::FocusOut)
        return false;
    // Opening the combo's own list is no loss of focus.
    if (static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason)
        return false;
    if (watched == Combo2)
        Combo2_LostFocus();
    else if (watched == Text9)
        Text9_LostFocus();
    return false;
}

void Form1::startWorkspace()
{
    LoadProfiles();

    bool loadLast = false;
    try {
        loadLast = settings::store().get(settings::LoadProfile).trimmed().toInt() == 1;
    } catch (const std::exception&) {
    }
    LoadLastProfileonStartup->setChecked(loadLast);
    if (loadLast) {
        QString last;
        try {
            last = settings::store().get(settings::LastProfileName);
        } catch (const std::exception&) {
        }
        Combo2->setEditText(last);
        Combo2_Click();
    }

    Check5->setChecked(profiles::quickQueryPanelShown());
    fillQuickQueryList();

    try {
        if (const auto size = app::storedQueryBoxFontSize())
            setQueryBoxFontSize(*size);
        if (const auto size = app::storedResultGridFontSize())
            MSFlexGrid1->setFontSize(*size);
    } catch (const std::exception&) {
        // A size the controls refuse leaves them as they were.
    }
}

// --- profiles ---------------------------------------------------------------------------

void Form1::LoadProfiles()
{
    Combo2->clear();
    Combo2->setEditText(QString());
    for (const QString& name : profiles::storedProfileNames()) {
        appendKeepingText(Combo2, name);
        ui::doEvents();
    }
}

void Form1::Combo2_Click()
{
    flushQueryTextKeep();
    const QString name = Combo2->currentText();
    const profiles::ProfileFields f = profiles::loadProfile(name);
    Text1->setPlainText(f.queryText);
    Text4->setText(f.user);
    Text8->setText(f.location);
    Text9->setText(f.databaseName);
    Combo1->setEditText(f.type);
    Check1->setChecked(f.saveCurrentStatement);
    Check4->setChecked(f.saveAllStatements);
    profiles::rememberLastProfile(name);

    // The password boxes change here without the user: that is no typed database password.
    fillingPasswords_ = true;
    Text5->clear();
    Text10->clear();
    if (const auto remembered = passwords_.choose(name)) {
        Text5->setText(remembered->password);
        Text10->setText(remembered->databasePassword);
    }
    fillingPasswords_ = false;

    fillQuickQueryList();
}

void Form1::Combo2_LostFocus()
{
    fillQuickQueryList();
}

void Form1::Command4_Click()
{
    flushQueryTextKeep();
    const QString name = Combo2->currentText();
    profiles::ProfileFields f;
    f.queryText = ui::boxText(Text1);
    f.user = Text4->text();
    f.location = Text8->text();
    f.databaseName = Text9->text();
    f.type = Combo1->currentText();
    f.saveCurrentStatement = Check1->isChecked();
    f.saveAllStatements = Check4->isChecked();

    profiles::SaveResult saved;
    if (!ui::guarded<settings::StoreError>([&] { saved = profiles::saveProfile(name, f); }))
        return;
    if (saved.outcome != profiles::Outcome::Saved) {
        ui::msgBox(profiles::message(saved.outcome, name));
        return;
    }
    if (saved.nameAdded)
        appendKeepingText(Combo2, name);
    else if (saved.listedName != name)
        Combo2->setEditText(saved.listedName); // the same profile, as the list spells it
    passwords_.save(saved.listedName, Text5->text(), Text10->text());
}

void Form1::Command5_Click()
{
    flushQueryTextKeep();
    const QString name = Combo2->currentText();
    if (!name.isEmpty() && !ui::askYesNo(QStringLiteral("Are You sure you want to Delete this Profile?")))
        return;

    profiles::Outcome outcome = profiles::Outcome::NoName;
    if (!ui::guarded<settings::StoreError>([&] { outcome = profiles::deleteProfile(name); }))
        return; // refused as a whole: the profile and the list are as they were
    LoadProfiles();
    Combo2->setEditText(name);
    const QString text = profiles::message(outcome, name);
    if (!text.isEmpty())
        ui::msgBox(text);
}

void Form1::Text10_Change()
{
    if (fillingPasswords_)
        return;
    passwords_.setDatabasePassword(Combo2->currentText(), Text10->text());
}

void Form1::Text9_LostFocus()
{
    if (Combo2->currentText().trimmed().isEmpty())
        Combo2->setEditText(Text9->text());
}

void Form1::Check2_Click()
{
    Frame1->setVisible(Check2->isChecked());
}

void Form1::LoadLastProfileonStartup_Click()
{
    const bool nowSet = !LoadLastProfileonStartup->isChecked();
    // The mark shows what is stored, so the next start does what it shows.
    if (ui::guarded<settings::StoreError>([&] {
            settings::store().save(settings::LoadProfile, nowSet ? QStringLiteral("1") : QStringLiteral("0"));
        }))
        LoadLastProfileonStartup->setChecked(nowSet);
}

// --- statements -------------------------------------------------------------------------

void Form1::Text1_Change()
{
    const QString profile = Combo2->currentText();
    if (!Check1->isChecked() || profile.isEmpty())
        return;
    if (profile != queryTextKeepProfile_)
        flushQueryTextKeep();
    queryTextKeepProfile_ = profile;
    // Not restarted by further typing: what is typed is kept within one interval.
    Text1KeepTimer->setEnabled(true);
}

void Form1::flushQueryTextKeep()
{
    if (Text1KeepTimer->isEnabled()) {
        Text1KeepTimer->setEnabled(false);
        queryTextKeeper_->keep(queryTextKeepProfile_, ui::boxText(Text1));
    }
    queryTextKeeper_->wait();
}

void Form1::Check1_Click()
{
    flushQueryTextKeep();
    AutomacticallySaveSqlStatements->setChecked(Check1->isChecked());
    profiles::keepSaveCurrentStatement(Combo2->currentText(), Check1->isChecked());
}

void Form1::Check4_Click()
{
    AutomaticallySaveAllSQLStatements->setChecked(Check4->isChecked());
    profiles::keepSaveAllStatements(Combo2->currentText(), Check4->isChecked());
}

void Form1::AutomacticallySaveSqlStatements_Click()
{
    Check1->setChecked(!Check1->isChecked());
    AutomacticallySaveSqlStatements->setChecked(Check1->isChecked());
}

void Form1::AutomaticallySaveAllSQLStatements_Click()
{
    Check4->setChecked(!Check4->isChecked());
    AutomaticallySaveAllSQLStatements->setChecked(Check4->isChecked());
}

void Form1::LogStatement()
{
    if (!Check4->isChecked())
        return;
    const QString text = ui::boxText(Text1);
    try {
        query::statementLog().log(text);
    } catch (const std::exception&) {
        // The statement log never stops a run.
    }
    // The list holds every distinct statement of this run of the program, whatever the file
    // held before.
    for (int i = 0; i < List1->count(); ++i) {
        if (List1->item(i)->text() == text)
            return;
    }
    List1->addItem(text);
}

void Form1::MQuerys_Click()
{
    Frame8->setVisible(true);
}

void Form1::Command20_Click()
{
    Frame8->setVisible(false);
}

void Form1::List1_Click()
{
    if (const QListWidgetItem* item = List1->currentItem())
        Text1->setPlainText(item->text());
}

// --- quick queries ----------------------------------------------------------------------

void Form1::fillQuickQueryList()
{
    Combo4->clear();
    Combo4->setEditText(QString());
    for (const QString& name : profiles::quickQueryNames())
        appendKeepingText(Combo4, name);
}

void Form1::Combo4_Click()
{
    const QString name = Combo4->currentText();
    const QString text = profiles::quickQueryText(name);
    if (text.isEmpty())
        return;
    Text1->setPlainText(text);
    Text12->setText(name);
}

void Form1::Command10_Click()
{
    const QString name = Text12->text();
    profiles::AddQuickQueryResult added;
    if (!ui::guarded<settings::StoreError>([&] {
            added =
                profiles::addQuickQuery(ui::boxText(Text1), name, Combo2->currentText(), entriesOf(Combo4));
        }))
        return;
    if (!added.message.isEmpty()) {
        ui::msgBox(added.message);
        return;
    }
    if (added.addToList)
        appendKeepingText(Combo4, name);
    Text12->clear();
}

void Form1::Command12_Click()
{
    const QString name = Combo4->currentText();
    profiles::removeQuickQuery(name);
    // Names that differ only in letter case are one quick query.
    for (int i = Combo4->count() - 1; i >= 0; --i) {
        if (Combo4->itemText(i).compare(name, Qt::CaseInsensitive) == 0)
            Combo4->removeItem(i);
    }
    Combo4->setEditText(QString());
}

void Form1::Check5_Click()
{
    Frame2->setVisible(Check5->isChecked());
    profiles::keepQuickQueryPanelShown(Check5->isChecked());
}

// --- fonts ------------------------------------------------------------------------------

void Form1::setQueryBoxFontSize(float points)
{
    QFont f = Text1->font();
    f.setPointSizeF(points);
    Text1->setFont(f);
}

void Form1::MFontSettings_Click()
{
    Text14->setText(app::formatFontSize(float(Text1->font().pointSizeF())));
    Text15->setText(app::formatFontSize(MSFlexGrid1->fontSize()));
    ui::doEvents();
    Frame5->setVisible(true);
}

void Form1::Command14_Click()
{
    const auto sizes = app::parseFontSizes(Text14->text(), Text15->text());
    if (!sizes) {
        ui::msgBox(app::fontSizeMessage());
        return;
    }
    const bool applied = ui::guarded(
        [&] {
            setQueryBoxFontSize(sizes->queryBox);
            MSFlexGrid1->setFontSize(sizes->resultGrid);
        },
        [](const ui::Failure&) { ui::msgBox(app::fontSizeMessage()); });
    if (!applied)
        return;
    Frame5->setVisible(false);
    ui::guarded<settings::StoreError>([&] { app::keepFontSizes(Text14->text(), Text15->text()); });
}

void Form1::Command15_Click()
{
    Frame5->setVisible(false);
}
