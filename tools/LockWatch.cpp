#include "tools/LockWatch.h"

#include "mail/Form12.h"
#include "query/db/Command.h"
#include "query/db/Connection.h"
#include "query/db/Error.h"
#include "settings/SettingsStore.h"
#include "tools/LockNotice.h"
#include "tools/ToolsConnection.h"
#include "tools/ToolsErrorReport.h"
#include "ui/Clock.h"
#include "ui/Dialogs.h"
#include "ui/Events.h"
#include "ui/Failure.h"

#include <QDateTime>
#include <QLocale>

namespace tools {
namespace {

const QString locksNotice = QStringLiteral("Sql Locks");
const QString noLocksNotice = QStringLiteral("Sql No Locks");

// The system's general date format: the short date and the long time.
QString generalDate(const QDateTime& at)
{
    const QLocale locale = QLocale::system();
    return locale.toString(at.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(at.time(), QLocale::LongFormat);
}

// Written for reference only (nothing reads them back): a store that fails says so and the
// watch goes on.
void saveWatchSettings(const WatchFields& fields)
{
    ui::guarded<settings::StoreError>([&] {
        settings::SettingsStore& store = settings::store();
        store.save(settings::WatchServerName, fields.server);
        store.save(settings::WatchDataBase, fields.database);
        store.save(settings::WatchUserName, fields.user);
    });
}

// The status line after a row: the count, " Locks at " and the date and time.
QString lockStatus(qint64 count, const QDateTime& at)
{
    return QString::number(count) + QStringLiteral(" Locks at ") + generalDate(at);
}

} // namespace

LockWatch::LockWatch(WatchFrame& frame) : frame_(frame) {}

LockWatch::~LockWatch()
{
    *alive_ = false;
}

void LockWatch::click()
{
    runOrStop(false);
}

void LockWatch::tick()
{
    tickFlag_ = true;
    frame_.setPolling(false);
    const std::shared_ptr<bool> alive = alive_;
    ui::doEvents();
    // A Stop clicked meanwhile has cleared the flag: the tick then checks nothing.
    if (*alive && std::exchange(tickFlag_, false))
        runOrStop(true);
}

void LockWatch::stop()
{
    frame_.setPolling(false);
    frame_.setCaption(runCaption);
    tickFlag_ = false;
    if (checking_)
        stopped_ = true;
}

void LockWatch::abandon()
{
    stop();
    abandoned_ = checking_;
}

void LockWatch::endPolling()
{
    frame_.setPolling(false);
    frame_.setCaption(runCaption);
}

void LockWatch::runOrStop(bool ticked)
{
    const WatchFields fields = frame_.fields();
    const QString missing = fields.server.trimmed().isEmpty() ? QStringLiteral("Please Enter a Server Name.")
                            : fields.database.trimmed().isEmpty() ? QStringLiteral("Please Enter a DB Name.")
                                                                  : QString();
    if (!missing.isEmpty()) {
        ui::msgBox(missing);
        // A click changes nothing; a tick found the poll switched off, and the button says so.
        if (ticked)
            endPolling();
        return;
    }
    if (checking_) {
        // A click during a check stops the watch; after that, clicks are ignored until the
        // check ends rather than start a second one (a second connection, a second notice).
        if (!stopped_)
            stop();
        return;
    }
    if (frame_.caption() == runCaption || ticked)
        check(fields);
    else
        stop();
}

void LockWatch::check(const WatchFields& fields)
{
    frame_.setCaption(stopCaption);
    saveWatchSettings(fields);
    checking_ = true;
    stopped_ = false;
    abandoned_ = false;
    const std::shared_ptr<bool> alive = alive_;
    try {
        db::Connection connection;
        connection.Open(toolsConnectionString({fields.server, fields.user, fields.password, fields.database},
                                              LastPiece::LockWatch));
        db::Command command;
        command.ActiveConnection = &connection;
        command.CommandText = QStringLiteral("sp_lock");
        db::Recordset locks;
        locks.Open(command, db::adOpenKeyset, db::adLockReadOnly);

        qint64 waiting = 0;
        QList<WaitingLock> waitingRows;
        ui::EventPump pump;
        while (!locks.Eof()) {
            pump.tick();
            if (!*alive)
                return; // the window is gone: nothing of it may be touched
            if (abandoned_)
                break;
            const QString status = locks.Fields().Item(7).Value().toString();
            if (status.contains(QLatin1String("WAIT"))) {
                ++waiting;
                waitingRows.push_back(
                    {locks.cellText(0), locks.cellText(1), locks.cellText(2), locks.cellText(6), status});
            }
            frame_.setStatus(lockStatus(waiting, ui::clock().now()));
            locks.MoveNext();
        }
        locks.Close();
        checking_ = false;
        abandoned_ = false;
        if (std::exchange(stopped_, false))
            return; // a Stop during the check is final: no notice, no further poll
        decide(waiting, connection, waitingRows);
    } catch (...) {
        if (!*alive)
            return;
        checking_ = false;
        abandoned_ = false;
        const bool stopped = std::exchange(stopped_, false);
        const QString message = toolsErrorMessage(
            Tool::LockWatch, failureNumber(ui::currentFailure<db::Error, settings::StoreError>()));
        if (!message.isEmpty()) {
            ui::msgBox(message);
            endPolling();
        } else {
            frame_.setStatus(QStringLiteral(" Timmed Out at ") + generalDate(ui::clock().now()));
            if (!stopped)
                frame_.setPolling(true);
        }
    }
}

void LockWatch::decide(qint64 waiting, db::Connection& connection, const QList<WaitingLock>& waitingRows)
{
    if (frame_.checkForLocks() && waiting != 0) {
        const QString body = locksNoticeBody(locksNotice, waitingRows, lockNames(connection, waitingRows),
                                             blockingChain(connection));
        endPolling();
        mail::sendNotice(locksNotice, body);
    } else if (!frame_.checkForLocks() && waiting == 0) {
        endPolling();
        mail::sendNotice(noLocksNotice, noLocksNotice);
    } else {
        frame_.setPolling(true);
    }
}

} // namespace tools
