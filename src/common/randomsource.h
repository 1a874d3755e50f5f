#pragma once

#include <random>

// The game's uniform generator on [0, 1), reseeded from the clock. Handlers
// receive it as this interface so that tests can script every draw.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual void reseedFromClock() = 0;
    virtual double next() = 0; // 0 <= r < 1
};

class ClockRandomSource final : public RandomSource
{
public:
    ClockRandomSource();
    void reseedFromClock() override;
    double next() override;

private:
    std::mt19937_64 engine;
};

// floor(constant * r). For 0 < r < 1, floor(-10 * r) gives -10 ... -1 and
// floor(3 * r) 0 ... 2; a draw of exactly 0 gives 0 whatever the constant.
int randomInt(int constant, double r);
