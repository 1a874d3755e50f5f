#include "countdown.h"

#include <gtest/gtest.h>
#include <map>

// Fifteen minutes of ticks, checked at the moments a borrow or the end can go wrong.
TEST(Countdown, AWholeRunCountsDownAndEndsAtTick901)
{
    const std::map<int, QString> expected = {
        {1, "00:14:59"}, {59, "00:14:01"}, {60, "00:14:00"}, {61, "00:13:59"},
        {300, "00:10:00"}, {301, "00:09:59"}, {899, "00:00:01"}, {900, "00:00:00"},
    };
    Countdown clock;
    EXPECT_EQ(clock.text(), "00:15:00");
    EXPECT_EQ(clock.secondsLeft(), 900);
    for (int tick = 1; tick <= 900; ++tick) {
        ASSERT_EQ(clock.tick(), Countdown::Tick::Counted) << "tick " << tick;
        ASSERT_EQ(clock.secondsLeft(), 900 - tick) << "tick " << tick;
        const QString shown = clock.text();
        ASSERT_EQ(shown.size(), 8) << "tick " << tick;
        ASSERT_EQ(shown.mid(0, 2).toInt() * 3600 + shown.mid(3, 2).toInt() * 60 + shown.mid(6, 2).toInt(), 900 - tick);
        if (auto it = expected.find(tick); it != expected.end()) {
            EXPECT_EQ(shown, it->second) << "tick " << tick;
        }
    }
    EXPECT_EQ(clock.tick(), Countdown::Tick::TimeUp) << "tick 901";
    EXPECT_EQ(clock.tick(), Countdown::Tick::TimeUp) << "a late tick finds the same end";
    EXPECT_EQ(clock.text(), "00:00:00");
    EXPECT_EQ(clock.secondsLeft(), 0);
}
