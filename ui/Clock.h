#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>

namespace ui {

class Timer;

// The program's time: the date and time it shows and the timers that every wait runs on.
// The system's clock unless a test has installed one that moves only when it is told to.
class Clock
{
public:
    virtual ~Clock() = default;

    virtual QDateTime now() const = 0;
    // Starts counting `timer`'s interval from now; stop() ends the count.
    virtual void start(Timer& timer) = 0;
    virtual void stop(Timer& timer) = 0;
};

// The clock in use.
Clock& clock();
// Installs `replacement` (not owned) for the timers started from now on; nullptr restores
// the system's clock. Install it before the windows whose timers it should drive.
void setClock(Clock* replacement);

// The timer control: while enabled it raises timeout() each time its interval has passed.
class Timer : public QObject
{
    Q_OBJECT
public:
    explicit Timer(QObject* parent = nullptr);
    ~Timer() override;

    int interval() const { return interval_; }
    // In milliseconds; an enabled timer starts counting the new interval at once.
    void setInterval(int milliseconds);

    bool isEnabled() const { return enabled_; }
    // Enabling a disabled timer starts a fresh interval; enabling an enabled one changes nothing.
    void setEnabled(bool enabled);

    // Called by the clock when the interval has passed.
    void fire();

signals:
    void timeout();

private:
    friend class SystemClock;
    QTimer qtimer_;
    int interval_ = 0;
    bool enabled_ = false;
};

} // namespace ui
