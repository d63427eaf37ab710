#include "query/QueryRunner.h"

#include "query/ConnectionHints.h"
#include "query/ResultPresentation.h"
#include "query/db/Connection.h"
#include "query/db/Error.h"
#include "query/db/Recordset.h"
#include "ui/Dialogs.h"
#include "ui/Events.h"
#include "ui/Failure.h"

#include <QDateTime>
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

namespace {

// Whole seconds between two readings of the clock, counted as a date difference counts
// them: the second boundaries passed.
qint64 secondsBetween(qint64 startSecs, qint64 nowSecs)
{
    return nowSecs - startSecs;
}

void present(const RunRequest& request, const CommandText& command, db::Recordset& result, RunWindow& window,
             qint64& records)
{
    const KeepReading keepReading = [&window] { return window.cancelEnabled(); };
    switch (request.output) {
    case Output::PlainText: {
        PlainTextResult text = plainText(result, keepReading);
        records = text.records;
        window.setPlainText(text.text);
        break;
    }
    case Output::File:
        records = window.outputToFile(result);
        break;
    case Output::Grid:
        records = fillGrid(result, window.grid(), command.rowCountAppended, keepReading);
        break;
    }
}

void run(const RunRequest& request, RunWindow& window)
{
    // A new connection and result for this run.
    auto connection = std::make_unique<db::Connection>();
    db::Recordset result;

    // No type chosen: nothing to connect to.
    if (request.connection.type.isEmpty()) {
        ui::msgBox(QStringLiteral("Please Select a database type"));
        window.setRunning(false);
        return;
    }

    // The connection string of the type; an unknown type sets nothing, and opening then
    // fails into the error report. A MySql run takes the SQL Server tools away.
    if (request.connection.type.toUpper() == QLatin1String("MYSQL"))
        window.disableTools();
    connectionSettings(request.connection).applyTo(*connection);

    // Empty outputs, the connection, the statement log; a database file that is not there is
    // named by its box before any driver tries it.
    window.clearOutputs();
    checkDatabaseFile(request.connection.type, request.connection.location);
    connection->Open();
    if (request.logStatement)
        window.logStatement();

    // The text to run: the whole box or the selection.
    const CommandText command = commandText(request);
    if (command.fromSelection)
        window.focusQueryBox();

    // The clock starts; the command runs.
    const qint64 started = QDateTime::currentSecsSinceEpoch();
    if (request.directEdit) {
        result.CursorLocation = db::adUseClient;
        result.Open(command.text, *connection, db::adOpenDynamic, db::adLockOptimistic);
        window.showDataGridFrame(true);
    } else {
        window.showDataGridFrame(false);
        result = connection->Execute(command.text);
    }

    // With the row count appended, what is shown is the one-row result of the row-count query.
    if (command.rowCountAppended)
        result = result.NextRecordset();

    // The result into the chosen output.
    window.clearOutputs();
    qint64 records = 0;
    present(request, command, result, window, records);

    // Rows read.
    const PanelText rows = rowsPanel(records);
    window.setStatusPanel(1, rows.text, rows.widthTwips);

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
    connection->Close();

    // Seconds taken.
    const PanelText seconds = secondsPanel(secondsBetween(started, QDateTime::currentSecsSinceEpoch()));
    window.setStatusPanel(2, seconds.text, seconds.widthTwips);

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

    // Running: Run off, Cancel on, and the window catches up.
    window.setRunning(true);
    ui::doEvents();

    if (!ui::guarded<db::Error>([&] { run(request, window); }))
        window.setRunning(false);
}

} // namespace query
