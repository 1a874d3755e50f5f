#include "countdown.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <map>

namespace {
// Ticks the clock as the window does: each tick reads the text it shows.
struct Clock
{
    Countdown countdown;
    QString shown;
    int timeUps = 0;

    Clock() { countdown.arm(); shown = countdown.text(); }
    void tick()
    {
        if (countdown.tick(shown) == Countdown::Tick::TimeUp)
            ++timeUps;
        else
            shown = countdown.text();
    }
};
} // namespace

// Fifteen minutes of ticks, checked at the moments a borrow or the end can go wrong.
TEST(Countdown, AWholeRunCountsDownAndEndsAtTick901)
{
    const std::map<int, QString> expected = {
        {1, "00:14:59"}, {59, "00:14:01"}, {60, "00:14:00"}, {61, "00:13:59"},
        {300, "00:10:00"}, {301, "00:09:59"}, {899, "00:00:01"}, {900, "00:00:00"},
    };
    Clock clock;
    EXPECT_EQ(clock.shown, "00:15:00");
    for (int tick = 1; tick <= 900; ++tick) {
        clock.tick();
        const QStringList fields = clock.shown.split(u':');
        ASSERT_EQ(fields.size(), 3) << "tick " << tick;
        const int total = fields[0].toInt() * 3600 + fields[1].toInt() * 60 + fields[2].toInt();
        ASSERT_EQ(total, 900 - tick) << "tick " << tick;
        ASSERT_LT(fields[2].toInt(), 60);
        if (auto it = expected.find(tick); it != expected.end()) {
            EXPECT_EQ(clock.shown, it->second) << "tick " << tick;
        }
    }
    EXPECT_EQ(clock.timeUps, 0) << "00:00:00 is shown for one whole interval";
    clock.tick();
    EXPECT_EQ(clock.timeUps, 1);
    EXPECT_EQ(clock.shown, "00:00:00");
}

TEST(Countdown, TheEndIsDecidedOnTheShownTextNotTheCounters)
{
    Countdown countdown;
    countdown.arm();
    EXPECT_EQ(countdown.tick("00:00:00"), Countdown::Tick::TimeUp);
    EXPECT_EQ(countdown.text(), "00:15:00") << "a time-up tick changes nothing";
    EXPECT_EQ(countdown.tick("00.00.00"), Countdown::Tick::Counted);
    EXPECT_EQ(countdown.text(), "00:14:59");
}

TEST(Countdown, ArmingAgainRestartsFromFifteenMinutes)
{
    Clock clock;
    for (int i = 0; i < 123; ++i)
        clock.tick();
    clock.countdown.arm();
    EXPECT_EQ(clock.countdown.text(), "00:15:00");
    clock.tick();
    EXPECT_EQ(clock.shown, "00:14:59");
}
