#include "ui/Clock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <gtest/gtest.h>

TEST(Timer, FiresOnTheSystemClockUntilDisabled)
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
    EXPECT_EQ(fired, 2);
    EXPECT_FALSE(timer.isEnabled());
}
