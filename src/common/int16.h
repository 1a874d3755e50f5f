#pragma once

#include <cstdint>
#include <optional>

// Signed 16-bit arithmetic that reports overflow instead of wrapping.
namespace int16 {

using Value = std::int16_t;

constexpr Value max = 32767;
constexpr Value min = -32768;

std::optional<Value> sub(Value a, Value b);
std::optional<Value> mul(Value a, Value b);

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4); nothing when the
// rounded value is outside the 16-bit range or x is not a number.
std::optional<Value> fromDouble(double x);

// Adds and stops at the range's edge: the counts of a game use it so that a
// very long session keeps counting sanely instead of wrapping or stopping.
Value addSaturating(Value a, Value b);

} // namespace int16
