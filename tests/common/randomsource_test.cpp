#include "randomsource.h"

#include <gtest/gtest.h>
#include <set>

TEST(RandomInt, FloorOfConstantTimesDraw)
{
    struct Row { int constant; double r; int value; };
    const Row rows[] = {
        {-10, 0.0, 0}, {-10, 1e-9, -1}, {-10, 0.1, -1}, {-10, 0.10000001, -2}, {-10, 0.999999, -10},
        {-6, 0.5, -3}, {3, 0.0, 0}, {3, 0.34, 1}, {3, 0.999, 2}, {4, 0.25, 1}, {4, 0.75, 3}, {-11, 0.99, -11},
    };
    for (const Row &row : rows)
        EXPECT_EQ(randomInt(row.constant, row.r), row.value) << row.constant << " * " << row.r;
}

// Reseeding twice in a row must not replay the same sequence: a problem
// reseeds twice within microseconds.
TEST(ClockRandomSource, DrawsStayInRangeAndReseedsDoNotRepeat)
{
    ClockRandomSource source;
    std::set<double> firstDraws;
    for (int i = 0; i < 50; ++i) {
        source.reseedFromClock();
        const double r = source.next();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
        firstDraws.insert(r);
    }
    EXPECT_EQ(firstDraws.size(), 50u);
}
