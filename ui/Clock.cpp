#include "ui/Clock.h"

namespace ui {

class SystemClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    void start(Timer& timer) override { timer.qtimer_.start(timer.interval()); }
    void stop(Timer& timer) override { timer.qtimer_.stop(); }
};

namespace {

SystemClock systemClock;
Clock* installed = nullptr;

} // namespace

Clock& clock()
{
    return installed ? *installed : systemClock;
}

void setClock(Clock* replacement)
{
    installed = replacement;
}

Timer::Timer(QObject* parent) : QObject(parent)
{
    connect(&qtimer_, &QTimer::timeout, this, &Timer::fire);
}

Timer::~Timer()
{
    if (enabled_)
        clock().stop(*this);
}

void Timer::setInterval(int milliseconds)
{
    interval_ = milliseconds;
    if (enabled_)
        clock().start(*this);
}

void Timer::setEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    // The timer's own QTimer stops too, whichever clock started it.
    qtimer_.stop();
    if (enabled)
        clock().start(*this);
    else
        clock().stop(*this);
}

void Timer::fire()
{
    if (enabled_)
        emit timeout();
}

} // namespace ui
