#include "int16.h"

#include <gtest/gtest.h>
#include <limits>

// 16-bit arithmetic must report overflow, never wrap, and round halves to even.

TEST(Int16, ArithmeticReportsOverflowInsteadOfWrapping)
{
    EXPECT_EQ(int16::sub(0, 15), std::optional<int16::Value>(-15));
    EXPECT_FALSE(int16::sub(-32768, 1));
    EXPECT_EQ(int16::mul(-20, -10), std::optional<int16::Value>(200));
    EXPECT_FALSE(int16::mul(256, 128));
}

TEST(Int16, ConversionRoundsHalvesToEven)
{
    struct Row { double in; std::optional<int16::Value> out; };
    const Row rows[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2},
        {2.4999, 2}, {2.5001, 3}, {-0.4, 0}, {-7.0, -7},
        {32767.0, 32767}, {32767.5, std::nullopt}, {32767.4, 32767},
        {-32768.0, -32768}, {-32768.5, -32768}, {-32768.6, std::nullopt},
        {1e10, std::nullopt}, {std::numeric_limits<double>::infinity(), std::nullopt},
        {std::numeric_limits<double>::quiet_NaN(), std::nullopt},
    };
    for (const Row &row : rows)
        EXPECT_EQ(int16::fromDouble(row.in), row.out) << "input " << row.in;
}

TEST(Int16, SaturatingAdditionStopsAtTheEdge)
{
    EXPECT_EQ(int16::addSaturating(32766, 1), 32767);
    EXPECT_EQ(int16::addSaturating(32767, 1), 32767);
    EXPECT_EQ(int16::addSaturating(20000, 20000), 32767);
    EXPECT_EQ(int16::addSaturating(-32768, -1), -32768);
}
