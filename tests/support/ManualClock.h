#pragma once

#include "ui/Clock.h"

#include <QDateTime>
#include <chrono>
#include <map>

namespace qvtest {

// A clock that stands still until the test moves it. Installed for the lifetime of the
// object; install it before the windows whose timers it drives.
class ManualClock final : public ui::Clock
{
public:
    ManualClock();
    ~ManualClock() override;
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    QDateTime now() const override { return now_; }
    void start(ui::Timer& timer) override;
    void stop(ui::Timer& timer) override;

    // Moves time on by `span`; every timer fires each time one of its intervals ends on the
    // way, in the order of those moments.
    void advance(std::chrono::milliseconds span);

private:
    QDateTime now_;
    std::map<ui::Timer*, QDateTime> due_;
};

} // namespace qvtest
