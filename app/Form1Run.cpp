// The main window's run: Run and Cancel, the output choice (grid, plain text, file, direct edit),
// the data grid's permissions and the database-type box. The run itself is query::runQuery;
// this file reads the controls for it and lets it write them back.
#include "app/Form1.h"
#include "app/Maker.h"
#include "app/StatusBar.h"
#include "profiles/Profile.h"
#include "query/QueryRunner.h"
#include "query/db/Recordset.h"
#include "results/Export.h"
#include "results/FormFile.h"
#include "results/RecordsetModel.h"
#include "settings/SettingsStore.h"
#include "ui/BoxText.h"
#include "ui/Dialogs.h"
#include "ui/Failure.h"
#include "ui/MSFlexGrid.h"
#include "ui/PlainTextView.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <exception>

namespace {

// The run writes the window through this.
class Form1RunWindow final : public query::RunWindow
{
public:
    explicit Form1RunWindow(Form1& form) : f_(form) {}

    void setStatusPanel(int panel, const QString& text, std::optional<int> widthTwips) override
    {
        f_.StatusBar1->setPanelText(panel, text);
        if (widthTwips)
            f_.StatusBar1->setPanelWidth(panel, *widthTwips);
    }
    void setRunning(bool running) override
    {
        f_.Command9->setEnabled(running);
        f_.Command1->setEnabled(!running);
        f_.setBusyPointer(running);
    }
    void showRunNote(const QString& text) override { f_.StatusBar1->setNote(text); }
    bool cancelEnabled() const override { return f_.Command9->isEnabled(); }
    void disableTools() override { f_.Command2->setEnabled(false); }
    void keepQueryText(const QString& profileName, const QString& text) override
    {
        profiles::keepQueryTextOnRun(profileName, text);
    }
    void logStatement() override { f_.LogStatement(); }
    void focusQueryBox() override { f_.Text1->setFocus(Qt::OtherFocusReason); }
    void clearOutputs() override
    {
        f_.Text2->clear();
        f_.MSFlexGrid1->clearCells();
    }
    void showDataGridFrame(bool shown) override
    {
        f_.Frame4->setVisible(shown);
        if (!shown)
            return;
        // Each direct-edit run starts read-only, and the option buttons say so.
        f_.Option4->setChecked(true);
        if (auto* model = qobject_cast<results::RecordsetModel*>(f_.DataGrid1->model())) {
            model->setAllowUpdate(false);
            model->setAllowDelete(false);
        }
    }
    ui::MSFlexGrid& grid() override { return *f_.MSFlexGrid1; }
    ui::PlainTextView& plainText() override { return *f_.Text2; }
    qint64 outputToFile(db::Recordset& result, const std::function<bool()>& keepReading) override
    {
        return results::outputToFile(result, results::exportTarget(), keepReading);
    }
    void checkOutputFile() override { results::checkCanAppend(results::exportTarget()); }
    void bindDataGrid(db::Recordset result) override
    {
        QTableView* view = f_.DataGrid1;
        QAbstractItemModel* old = view->model();
        QItemSelectionModel* oldSelection = view->selectionModel();
        view->setModel(new results::RecordsetModel(std::move(result), view));
        // The set replaced goes now, and with it its connection.
        delete oldSelection;
        if (old && old->parent() == view)
            delete old;
    }

private:
    Form1& f_;
};

const QString suggestionText = QStringLiteral(
    "Please email any Suggestions about new Databases types to access or any other features to  ");

} // namespace

void Form1::connectRun()
{
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command9, &QPushButton::clicked, this, &Form1::Command9_Click);
    connect(RunOnlySelectedText, &QAction::triggered, this, &Form1::RunOnlySelectedText_Click);
    connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
    connect(Option1, &QRadioButton::clicked, this, &Form1::Option1_Click);
    connect(Option2, &QRadioButton::clicked, this, &Form1::Option2_Click);
    connect(PlainText, &QAction::triggered, this, &Form1::PlainText_Click);
    connect(DataGrid, &QAction::triggered, this, &Form1::DataGrid_Click);
    connect(DirectEdit, &QAction::triggered, this, &Form1::DirectEdit_Click);
    connect(Option4, &QRadioButton::clicked, this, &Form1::Option4_Click);
    connect(Option5, &QRadioButton::clicked, this, &Form1::Option5_Click);
}

bool Form1::runEvent(QObject* watched, QEvent* event)
{
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        Text1_KeyDown(key->key(), key->modifiers());
    }
    return false;
}

// Start-up steps before the workspace: the grid's empty columns, the stored output choice and
// the database types.
void Form1::startOutput()
{
    MSFlexGrid1->setColWidth(0, 1);
    MSFlexGrid1->setColWidth(1, 1);

    bool plain = false;
    try {
        plain = settings::store().get(settings::OptionBox).trimmed().toInt() == 1;
    } catch (const std::exception&) {
    }
    // The option button shows the choice the start-up made.
    if (plain) {
        Option1->setChecked(true);
        Option1_Click();
    } else {
        Option2->setChecked(true);
        Option2_Click();
    }

    const QString typed = Combo1->currentText();
    Combo1->addItems({QStringLiteral("SQL"), QStringLiteral("Access"), QStringLiteral("Oracle"),
                      QStringLiteral("MySql"), QStringLiteral("SQLite"), QStringLiteral("PostgreSQL"),
                      QStringLiteral("ODBC"), QStringLiteral("Suggestion")});
    Combo1->setEditText(typed);
}

// --- the run ----------------------------------------------------------------------------

void Form1::Command1_Click()
{
    flushQueryTextKeep();
    query::RunRequest request;
    request.profileName = Combo2->currentText();
    request.keepQueryText = Check1->isChecked();
    request.logStatement = Check4->isChecked();
    request.connection.type = Combo1->currentText();
    request.connection.user = Text4->text();
    request.connection.password = Text5->text();
    request.connection.location = Text8->text();
    request.connection.databaseName = Text9->text();
    request.connection.dbPassword = Text10->text();
    request.queryBox = ui::boxText(Text1);
    const QTextCursor cursor = Text1->textCursor();
    if (cursor.hasSelection())
        request.selection = ui::selectedText(cursor);
    request.runOnlySelectedText = RunOnlySelectedText->isChecked();
    request.directEdit = DirectEdit->isChecked();
    // Plain text wins over the file; the grid is the rest.
    request.output = PlainText->isChecked()          ? query::Output::PlainText
                     : DataOutputtoFile->isChecked() ? query::Output::File
                                                     : query::Output::Grid;

    Form1RunWindow window(*this);
    try {
        query::runQuery(request, window);
    } catch (...) {
        // runQuery reports its own failures; whatever else happens, the run ends idle.
        window.setRunning(false);
    }
}

void Form1::setBusyPointer(bool busy)
{
    busy_ = busy;
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
    centralWidget()->setCursor(restingPointer());
}

Qt::CursorShape Form1::restingPointer() const
{
    return busy_ ? Qt::BusyCursor : Qt::ArrowCursor;
}

void Form1::Command9_Click()
{
    Command9->setEnabled(false);
}

void Form1::RunOnlySelectedText_Click()
{
    RunOnlySelectedText->setChecked(!RunOnlySelectedText->isChecked());
}

void Form1::Text1_KeyDown(int /*keyCode*/, Qt::KeyboardModifiers /*shift*/)
{
    // Typing in the query box runs nothing.
}

void Form1::Combo1_Click()
{
    if (Combo1->currentText() == QLatin1String("Suggestion"))
        ui::msgBox(suggestionText + maker::suggestionMail);
}

// --- output choice ----------------------------------------------------------------------

namespace {
void keepOutputChoice(const QString& value)
{
    ui::guarded<settings::StoreError>([&] { settings::store().save(settings::OptionBox, value); });
}
} // namespace

void Form1::Option1_Click()
{
    Text2->setVisible(true);
    MSFlexGrid1->setVisible(false);
    DataGrid->setChecked(false);
    PlainText->setChecked(true);
    keepOutputChoice(QStringLiteral("1"));
}

void Form1::Option2_Click()
{
    Text2->setVisible(false);
    MSFlexGrid1->setVisible(true);
    DataGrid->setChecked(true);
    PlainText->setChecked(false);
    keepOutputChoice(QStringLiteral("2"));
}

void Form1::PlainText_Click()
{
    Option1_Click();
}

void Form1::DataGrid_Click()
{
    Option2_Click();
}

// --- direct edit ------------------------------------------------------------------------

void Form1::DirectEdit_Click()
{
    if (DirectEdit->isChecked()) {
        // The data grid's frame stays as it is until the next run.
        DirectEdit->setChecked(false);
        return;
    }
    DataGridReadWrite();
    Frame4->setVisible(false);
    DirectEdit->setChecked(true);
}

void Form1::DataGridReadWrite()
{
    auto* model = qobject_cast<results::RecordsetModel*>(DataGrid1->model());
    if (!model)
        return;
    if (Option4->isChecked()) {
        model->setAllowDelete(false);
        model->setAllowUpdate(false);
    } else if (Option5->isChecked()) {
        model->setAllowDelete(true);
        model->setAllowUpdate(true);
    }
}

void Form1::Option4_Click()
{
    DataGridReadWrite();
}

void Form1::Option5_Click()
{
    DataGridReadWrite();
}
