#include "problem.h"

#include "fakes/scriptedrandom.h"

#include <gtest/gtest.h>

// Draws are taken in the order red, green, divisor, factor | reseed | sign.
TEST(PoseProblem, EachSignPatternGivesAnExactDivision)
{
    struct Row {
        double sign; int dividend, divisor, quotient; const char *dividendText, *divisorText;
    };
    // divisor draw 0.55 -> -6, factor draw 0.63 -> -7, dividend 42
    const Row rows[] = {
        {0.0, 42, 6 * -1, -7, "42", "-6"},
        {0.34, -42, -6, 7, "-42", "-6"},
        {0.99, 42, 6, 7, "42", "6"},
    };
    for (const Row &row : rows) {
        ScriptedRandom random{0.05, 0.95, 0.55, 0.63, row.sign};
        const Problem p = poseProblem(random);
        EXPECT_EQ(random.log, "RnnnnRn");
        EXPECT_EQ(p.redLevel, -1);
        EXPECT_EQ(p.greenLevel, -6);
        EXPECT_EQ(p.dividend, row.dividend);
        EXPECT_EQ(p.divisor, row.divisor);
        EXPECT_EQ(p.quotient, row.quotient);
        EXPECT_EQ(p.dividend, p.divisor * p.quotient);
        EXPECT_EQ(p.dividendText(), QString::fromLatin1(row.dividendText));
        EXPECT_EQ(p.divisorText(), QString::fromLatin1(row.divisorText));
    }
}

TEST(PoseProblem, ADivisorDrawOfZeroIsDrawnAgain)
{
    ScriptedRandom random{0.5, 0.5, 0.0, 0.0, 0.95, 0.2, 0.9};
    const Problem p = poseProblem(random);
    EXPECT_EQ(random.log, "RnnnnnnRn") << "two redraws of the divisor, then the factor";
    EXPECT_EQ(p.divisor, 10);   // draw 0.95 -> -10, negated by sign choice 2
    EXPECT_EQ(p.dividend, 30);  // factor draw 0.2 -> -3
    EXPECT_EQ(p.quotient, 3);
}

TEST(PoseProblem, AFactorDrawOfZeroPosesZero)
{
    ScriptedRandom random{0.5, 0.5, 0.3, 0.0, 0.5};
    const Problem p = poseProblem(random);
    EXPECT_EQ(p.dividend, 0);
    EXPECT_EQ(p.quotient, 0);
    EXPECT_EQ(p.dividendText(), "0");
}

// Whatever the draws, the ranges hold and the division is exact.
TEST(PoseProblem, RangesHoldOverAGridOfDraws)
{
    const double grid[] = {1e-12, 0.05, 0.1, 0.2, 0.33, 0.5, 0.66, 0.7, 0.91, 0.999999};
    for (double r1 : grid)
        for (double r2 : grid)
            for (double r3 : grid) {
                ScriptedRandom random{r1, r2, r1, r2, r3};
                const Problem p = poseProblem(random);
                ASSERT_GE(p.redLevel, -10);
                ASSERT_LE(p.redLevel, -1);
                ASSERT_GE(p.greenLevel, -6);
                ASSERT_LE(p.greenLevel, -1);
                ASSERT_GE(std::abs(p.divisor), 1);
                ASSERT_LE(std::abs(p.divisor), 10);
                ASSERT_GE(std::abs(p.quotient), 1);
                ASSERT_LE(std::abs(p.quotient), 11);
                ASSERT_EQ(p.dividend, p.divisor * p.quotient);
                ASSERT_FALSE(p.dividend < 0 && p.divisor > 0) << "never a negative dividend over a positive divisor";
                ASSERT_EQ(p.quotient < 0, p.signChoice == 0);
            }
}

TEST(Gradient, BandsRunFromBlue0To255OnAFixedTint)
{
    Problem p;
    p.redLevel = -10;
    p.greenLevel = -6;
    const auto top = gradient::bandColour(p, 0);
    const auto bottom = gradient::bandColour(p, 255);
    EXPECT_EQ(top.red, 200);
    EXPECT_EQ(top.green, 120);
    EXPECT_EQ(top.blue, 0);
    EXPECT_EQ(bottom.red, 200);
    EXPECT_EQ(bottom.blue, 255);
    p.redLevel = -1;
    p.greenLevel = -1;
    EXPECT_EQ(gradient::bandColour(p, 7).red, 20);
    EXPECT_EQ(gradient::bandColour(p, 7).green, 20);
}

TEST(Gradient, BandsTileTheHeightWithoutGapsOrOverlap)
{
    for (int height : {554, 512, 100, 1000}) {
        EXPECT_EQ(gradient::bandRows(0, height).top, 0);
        EXPECT_EQ(gradient::bandRows(255, height).bottom, height);
        for (int band = 1; band < gradient::bands; ++band)
            ASSERT_EQ(gradient::bandRows(band, height).top, gradient::bandRows(band - 1, height).bottom);
    }
}
