#pragma once

#include <QList>
#include <QString>
#include <memory>

namespace db {
class Connection;
}

// The "Sql Watch" frame's lock watch: at a click and then once a minute it asks the server for
// its locks ("sp_lock"), counts the lock requests that wait, and mails a notice when locks
// appear ("Check for Locks") or when none are left ("Check for No Locks"); after a notice it
// stops by itself. The frame is reached only through WatchFrame.
namespace tools {

struct WaitingLock;

// The frame's boxes as typed.
struct WatchFields
{
    QString server;   // Text8
    QString database; // Text9
    QString user;     // Text31
    QString password; // Text32
};

// The frame's side of the watch.
class WatchFrame
{
public:
    virtual ~WatchFrame() = default;

    virtual WatchFields fields() const = 0;
    // Option3 "Check for Locks" is selected (else Option4 "Check for No Locks").
    virtual bool checkForLocks() const = 0;
    // Command8's caption: "&Run" when idle, "&Stop" while watching.
    virtual QString caption() const = 0;
    virtual void setCaption(const QString& caption) = 0;
    // Timer2, the poll.
    virtual void setPolling(bool on) = 0;
    // Label6, the status line.
    virtual void setStatus(const QString& text) = 0;
};

inline const QString runCaption = QStringLiteral("&Run");
inline const QString stopCaption = QStringLiteral("&Stop");

class LockWatch
{
public:
    explicit LockWatch(WatchFrame& frame);
    // A check in progress ends at its next yield without touching anything.
    ~LockWatch();
    LockWatch(const LockWatch&) = delete;
    LockWatch& operator=(const LockWatch&) = delete;

    // Command8: starts a check when idle, stops the watch while watching.
    void click();
    // Timer2's tick: the poll is switched off, window events run once, and a check starts.
    void tick();
    // The program is ending: polling stops and a check in progress ends at its next row
    // without deciding anything.
    void abandon();

private:
    void runOrStop(bool ticked);
    void stop();
    void check(const WatchFields& fields);
    void decide(qint64 waiting, db::Connection& connection, const QList<WaitingLock>& waitingRows);
    void endPolling();

    WatchFrame& frame_;
    bool tickFlag_ = false; // a tick waits for its yield to end
    bool checking_ = false;
    bool stopped_ = false;   // Stop was pressed during the check in progress: it decides nothing
    bool abandoned_ = false; // the program is ending: the check reads no further
    // False once the watch is gone; a check's loop holds a copy and tests it after each yield.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace tools
