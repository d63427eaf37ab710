#include "ui/Events.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(Events, ThePumpYieldsOnlyOnceItsSliceHasPassed)
{
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
