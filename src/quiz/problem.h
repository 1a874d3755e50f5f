#pragma once

#include "int16.h"

#include <QString>

class RandomSource;

// One exact division and the tint of the background it is posed on.
struct Problem
{
    int redLevel = 0;    // -10 ... -1 (0 only for a draw of exactly 0): red is -20 times it
    int greenLevel = 0;  // -6 ... -1 (likewise): green is -20 times it
    int dividend = 0;    // -110 ... 110, always divisor * quotient
    int divisor = 0;     // -10 ... -1 or 1 ... 10, never 0
    int signChoice = 0;  // 0: divisor negative; 1: dividend negative; 2: both positive
    int16::Value quotient = 0;

    QString dividendText() const;
    QString divisorText() const;
};

// Draws in a fixed order: reseed, red, green, divisor, factor, reseed, sign.
// A divisor draw of 0 (the generator returning exactly 0) is drawn again, so
// that no division by zero is ever posed.
Problem poseProblem(RandomSource &random);

// The background: 256 horizontal bands, each spanning the whole width, from
// blue 0 at the top to blue 255 at the bottom on a fixed red and green.
namespace gradient {

inline constexpr int bands = 256;

struct Rgb { int red, green, blue; };

Rgb bandColour(const Problem &problem, int band);

// Pixel rows [top, bottom) of a band on a surface `height` pixels high: the
// height is measured as 512 units, two per band, so the bands tile it exactly.
struct Rows { int top, bottom; };
Rows bandRows(int band, int height);

} // namespace gradient
