#include "tests/support/ManualClock.h"

#include <algorithm>

namespace qvtest {

ManualClock::ManualClock() : now_(QDate(2026, 3, 2), QTime(9, 30))
{
    ui::setClock(this);
}

ManualClock::~ManualClock()
{
    ui::setClock(nullptr);
}

void ManualClock::start(ui::Timer& timer)
{
    due_[&timer] = now_.addMSecs(timer.interval());
}

void ManualClock::stop(ui::Timer& timer)
{
    due_.erase(&timer);
}

void ManualClock::advance(std::chrono::milliseconds span)
{
    const QDateTime end = now_.addMSecs(span.count());
    for (;;) {
        const auto next = std::min_element(due_.begin(), due_.end(),
                                           [](const auto& a, const auto& b) { return a.second < b.second; });
        if (next == due_.end() || next->second > end)
            break;
        ui::Timer* timer = next->first;
        now_ = next->second;
        next->second = now_.addMSecs(std::max(timer->interval(), 1));
        // The handler may stop, restart or destroy timers: the next round looks afresh.
        timer->fire();
    }
    now_ = end;
}

} // namespace qvtest
