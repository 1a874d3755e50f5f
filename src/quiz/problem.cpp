#include "problem.h"

#include "numbertext.h"
#include "randomsource.h"

QString Problem::dividendText() const { return numbertext::format(dividend, numbertext::Picture::Plain); }
QString Problem::divisorText() const { return numbertext::format(divisor, numbertext::Picture::Plain); }

Problem poseProblem(RandomSource &random)
{
    Problem p;
    random.reseedFromClock();
    p.redLevel = randomInt(-10, random.next());
    p.greenLevel = randomInt(-6, random.next());
    do
        p.divisor = randomInt(-10, random.next());
    while (p.divisor == 0);
    const int factor = randomInt(-11, random.next());
    p.dividend = p.divisor * factor;

    random.reseedFromClock();
    p.signChoice = randomInt(3, random.next());
    if (p.signChoice == 1)
        p.dividend = -p.dividend;
    else if (p.signChoice == 2)
        p.divisor = -p.divisor;
    // Always exact and within -11 ... 11.
    p.quotient = static_cast<int16::Value>(p.dividend / p.divisor);
    return p;
}

namespace gradient {

Rgb bandColour(const Problem &problem, int band)
{
    // The levels are negative draws; their 16-bit products with -20 cannot
    // overflow within the drawn ranges, so the fallback is never taken.
    const int red = int16::mul(-20, int16::Value(problem.redLevel)).value_or(0);
    const int green = int16::mul(-20, int16::Value(problem.greenLevel)).value_or(0);
    return {red, green, band};
}

Rows bandRows(int band, int height)
{
    const int units = 2 * bands;
    return {2 * band * height / units, 2 * (band + 1) * height / units};
}

} // namespace gradient
