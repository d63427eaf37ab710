#include "query/QueryRunner.h"

#include "query/ConnectionHints.h"
#include "query/ResultPresentation.h"
#include "query/db/Connection.h"
#include "query/db/Error.h"
#include "query/db/Recordset.h"
#include "query/db/Watch.h"
#include "ui/Clock.h"
#include "ui/Dialogs.h"
#include "ui/Events.h"
#include "ui/Failure.h"

#include <QDateTime>
#include <QObject>
#include <algorithm>
#include <chrono>
#include <memory>

namespace query {

QString trimSpaces(const QString& text)
{
    qsizetype first = 0, last = text.size();
    while (first < last && text[first] == QLatin1Char(' '))
        ++first;
    while (last > first && text[last - 1] == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

CommandText commandText(const RunRequest& request)
{
    CommandText c;
    c.fromSelection = request.runOnlySelectedText && !request.selection.isEmpty();
    c.text = trimSpaces(c.fromSelection ? request.selection : request.queryBox);
    const QString start = c.text.left(5).toLower();
    if (request.connection.type.toUpper() == QLatin1String("SQL") &&
        (start == QLatin1String("inser") || start == QLatin1String("updat"))) {
        c.text += QStringLiteral("\r\n") + QLatin1String(rowCountQuery);
        c.rowCountAppended = true;
    }
    const qsizetype semicolon = c.text.indexOf(QLatin1Char(';'));
    for (qsizetype i = semicolon; semicolon >= 0 && i < c.text.size() && !c.mayBeBatch; ++i)
        c.mayBeBatch = !c.text[i].isSpace() && c.text[i] != QLatin1Char(';');
    return c;
}

PanelText rowsPanel(qint64 rows)
{
    const QString number = QString::number(rows);
    return {QStringLiteral("Rows: ") + number, int(QStringLiteral("Rows:").size() + number.size()) * 200};
}

PanelText secondsPanel(qint64 seconds)
{
    const QString number = QString::number(seconds);
    return {QStringLiteral("Seconds: ") + number,
            int(QStringLiteral("Seconds:").size() + number.size()) * 200};
}

QString runningNote(qint64 seconds, qint64 rows)
{
    QString note = QStringLiteral("Running\u2026 %1 s").arg(seconds);
    if (rows > 0)
        note += QStringLiteral(", %1 rows").arg(rows);
    return note;
}

QString cancelledNote(qint64 rows)
{
    return QStringLiteral("Cancelled: the result holds %1 rows").arg(rows);
}

namespace {

// Whole seconds between two readings of the clock, counted as a date difference counts
// them: the second boundaries passed.
qint64 secondsBetween(qint64 startSecs, qint64 nowSecs)
{
    return nowSecs - startSecs;
}

// The clock of a run: the program's clock, less the time message boxes stood open since the
// run began.
class RunClock
{
public:
    // Milliseconds since the epoch, less the dialogs' time.
    qint64 nowMsecs() const
    {
        return ui::clock().now().toMSecsSinceEpoch() - (ui::timeInDialogs() - dialogsAtStart_).count();
    }
    qint64 nowSecs() const { return nowMsecs() / 1000; }

private:
    std::chrono::milliseconds dialogsAtStart_ = ui::timeInDialogs();
};

// The run's eye on its work: lets window events run while the statement executes and while
// rows are read, notices Cancel, counts the rows and keeps the progress note current. The
// note's timer and seconds run on the program's clock, so a test can move them.
class RunMonitor final : public db::Watch
{
public:
    explicit RunMonitor(RunWindow& window) : window_(window), startMsecs_(clock_.nowMsecs())
    {
        progress_.setInterval(250);
        QObject::connect(&progress_, &ui::Timer::timeout, [this] {
            window_.showRunNote(runningNote((clock_.nowMsecs() - startMsecs_) / 1000, rows()));
        });
        window_.showRunNote(runningNote(0, 0));
        progress_.setEnabled(true);
    }

    bool proceed(qint64 rowsRead) override
    {
        loaded_ = rowsRead;
        pump_.tick();
        return stillRunning();
    }

    // The reading loops' question before every record.
    bool keepReading()
    {
        if (!stillRunning())
            return false;
        ++presented_;
        return true;
    }

    bool cancelled() const { return cancelled_; }
    qint64 rows() const { return std::max(loaded_, presented_); }
    void stop() { progress_.setEnabled(false); }

private:
    bool stillRunning()
    {
        if (!cancelled_ && !window_.cancelEnabled())
            cancelled_ = true;
        return !cancelled_;
    }

    RunWindow& window_;
    ui::EventPump pump_;
    const RunClock clock_;
    const qint64 startMsecs_;
    ui::Timer progress_;
    qint64 loaded_ = 0;
    qint64 presented_ = 0;
    bool cancelled_ = false;
};

void present(const RunRequest& request, const CommandText& command, db::Recordset& result, RunWindow& window,
             RunMonitor& monitor, qint64& records)
{
    const KeepReading keepReading = [&monitor] { return monitor.keepReading(); };
    switch (request.output) {
    case Output::PlainText:
        records = fillPlainText(result, window.plainText(), keepReading);
        break;
    case Output::File:
        records = window.outputToFile(result, keepReading);
        break;
    case Output::Grid:
        records = fillGrid(result, window.grid(), command.rowCountAppended, keepReading);
        break;
    }
}

// Rows read.
void showRows(RunWindow& window, qint64 records)
{
    const PanelText rows = rowsPanel(records);
    window.setStatusPanel(1, rows.text, rows.widthTwips);
}

// Seconds taken, and the note of a cancelled result.
void showSeconds(RunWindow& window, const RunMonitor& monitor, qint64 records, qint64 started,
                 const RunClock& clock)
{
    const PanelText seconds = secondsPanel(secondsBetween(started, clock.nowSecs()));
    window.setStatusPanel(2, seconds.text, seconds.widthTwips);
    window.showRunNote(monitor.cancelled() ? cancelledNote(records) : QString());
}

void run(const RunRequest& request, RunWindow& window, RunMonitor& monitor)
{
    // A new connection and result for this run; its statements execute under the monitor.
    auto connection = std::make_unique<db::Connection>();
    connection->setWatch(&monitor);
    db::Recordset result;

    // No type chosen: nothing to connect to.
    if (request.connection.type.isEmpty()) {
        ui::msgBox(QStringLiteral("Please Select a database type"));
        window.showRunNote(QString());
        window.setRunning(false);
        return;
    }

    // The connection string of the type; an unknown type sets nothing, and opening then
    // fails into the error report. A MySql run takes the SQL Server tools away.
    if (request.connection.type.toUpper() == QLatin1String("MYSQL"))
        window.disableTools();
    connectionSettings(request.connection).applyTo(*connection);
    if (request.output == Output::File)
        window.checkOutputFile();
    const CommandText command = commandText(request);
    connection->MultipleStatements = command.mayBeBatch;

    // Empty outputs, the connection, the statement log; a database file that is not there is
    // named by its box before any driver tries it.
    window.clearOutputs();
    checkDatabaseFile(request.connection.type, request.connection.location);
    connection->Open();
    if (request.logStatement)
        window.logStatement();

    // The text to run: the whole box or the selection (read above).
    if (command.fromSelection)
        window.focusQueryBox();

    // The clock starts; the command runs.
    const RunClock clock;
    const qint64 started = clock.nowSecs();
    try {
        if (request.directEdit) {
            result.CursorLocation = db::adUseClient;
            result.Open(command.text, *connection, db::adOpenDynamic, db::adLockOptimistic);
            window.showDataGridFrame(true);
        } else {
            window.showDataGridFrame(false);
            result = connection->Execute(command.text);
        }
    } catch (const db::Cancelled&) {
        // Cancel during the execute: nothing to show; the connection goes with the run.
        connection->Close();
        showRows(window, 0);
        showSeconds(window, monitor, 0, started, clock);
        window.setRunning(false);
        return;
    }

    // With the row count appended, what is shown is the one-row result of the row-count query.
    if (command.rowCountAppended)
        result = result.NextRecordset();

    // The result into the chosen output.
    window.clearOutputs();
    qint64 records = 0;
    present(request, command, result, window, monitor, records);

    // Rows read.
    showRows(window, records);

    if (monitor.cancelled()) {
        // Cancelled: nothing more of the batch runs, and a direct-edit set cut short is not
        // kept for editing.
        if (const auto engine = connection->backend())
            engine->cancel();
        if (request.directEdit)
            window.bindDataGrid(db::Recordset());
        result.Close();
    } else {
        // The data grid keeps an open direct-edit set, and with it the connection's engine;
        // anything else is released. The rest of a direct-edit batch runs first, so that the grid
        // shows a database the whole batch has left, and its connection is free for the grid's
        // writes; an error there is the run's error, and the grid is left with nothing to edit.
        if (request.directEdit) {
            try {
                result.runRestOfBatch();
            } catch (const db::Error&) {
                window.bindDataGrid(db::Recordset());
                throw;
            }
        }
        if (request.directEdit && result.State() == db::adStateOpen) {
            result.MoveFirst();
            window.bindDataGrid(std::move(result));
        } else {
            result.Close();
        }
    }
    connection->Close();

    // Seconds taken, and the note of a cancelled result.
    showSeconds(window, monitor, records, started, clock);

    // Idle again.
    window.setRunning(false);
}

} // namespace

void runQuery(const RunRequest& request, RunWindow& window)
{
    // Empty status panels.
    window.setStatusPanel(1, QString(), std::nullopt);
    window.setStatusPanel(2, QString(), std::nullopt);

    // The profile keeps the query text when asked to.
    if (request.keepQueryText) {
        if (request.profileName.isEmpty()) {
            ui::msgBox(QStringLiteral("You must select a profile name"));
            return;
        }
        window.keepQueryText(request.profileName, request.queryBox);
    }

    // Running: Run off, Cancel on, the progress note, and the window catches up.
    window.setRunning(true);
    RunMonitor monitor(window);
    ui::doEvents();

    const bool ranThrough = ui::guarded<db::Error>([&] { run(request, window, monitor); });
    monitor.stop();
    if (!ranThrough) {
        window.showRunNote(QString());
        window.setRunning(false);
    }
}

} // namespace query
