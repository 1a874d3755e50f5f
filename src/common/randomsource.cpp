#include "randomsource.h"

#include <chrono>
#include <cmath>

ClockRandomSource::ClockRandomSource()
{
    reseedFromClock();
}

void ClockRandomSource::reseedFromClock()
{
    // A problem reseeds twice within microseconds, and consecutive problems
    // may fall in the same second: mixing the engine's own state with a
    // nanosecond clock keeps two reseeds from ever replaying one sequence.
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<unsigned long long>(now), static_cast<unsigned long long>(now >> 32),
                       static_cast<unsigned long long>(engine()), static_cast<unsigned long long>(engine() >> 32)};
    engine.seed(seed);
}

double ClockRandomSource::next()
{
    // 53 random bits scaled into [0, 1): never 1.0, unlike generate_canonical.
    return static_cast<double>(engine() >> 11) * 0x1.0p-53;
}

int randomInt(int constant, double r)
{
    return static_cast<int>(std::floor(constant * r));
}
