// The timer and the event pump.
#include "ui/Clock.h"

#include "ui/Events.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(Clock, TheTimerFiresUntilDisabledAndThePumpYieldsOnlyAfterItsSlice)
{
    ui::Timer timer;
    int fired = 0;
    QObject::connect(&timer, &ui::Timer::timeout, [&] {
        if (++fired == 2)
            timer.setEnabled(false);
    });
    timer.setInterval(1);
    timer.setEnabled(true);
    QDeadlineTimer deadline(10000);
    while (fired < 2 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_TRUE(fired == 2 && !timer.isEnabled()) << fired;

    // The event pump yields only once its slice has passed.
    int ran = 0;
    QTimer::singleShot(0, [&] { ++ran; });

    ui::EventPump slow(1h);
    for (int i = 0; i < 100000; ++i)
        EXPECT_FALSE(slow.tick());
    EXPECT_EQ(ran, 0) << "events ran before the slice had passed";

    ui::EventPump eager(0ms);
    EXPECT_TRUE(eager.tick());
    EXPECT_EQ(ran, 1);
}
