#pragma once

#include "randomsource.h"

#include <deque>
#include <stdexcept>
#include <string>

// Hands out scripted draws and logs every call ("R" reseed, "n" draw), so a
// test can check both the values used and the order they were taken in.
class ScriptedRandom final : public RandomSource
{
public:
    ScriptedRandom(std::initializer_list<double> draws = {}) : draws(draws) {}

    void script(std::initializer_list<double> more) { draws.insert(draws.end(), more); }
    void reseedFromClock() override { log += 'R'; }
    double next() override
    {
        log += 'n';
        if (draws.empty())
            return fallback;
        const double r = draws.front();
        draws.pop_front();
        return r;
    }

    std::deque<double> draws;
    double fallback = 0.5; // once the script runs out
    std::string log;
};
