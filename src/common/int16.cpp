#include "int16.h"

#include <cmath>

namespace int16 {

namespace {
std::optional<Value> narrow(int wide)
{
    if (wide < min || wide > max)
        return std::nullopt;
    return static_cast<Value>(wide);
}
} // namespace

std::optional<Value> sub(Value a, Value b) { return narrow(int(a) - int(b)); }
std::optional<Value> mul(Value a, Value b) { return narrow(int(a) * int(b)); }

std::optional<Value> fromDouble(double x)
{
    if (!std::isfinite(x))
        return std::nullopt;
    // Explicit rather than std::nearbyint: the result must not depend on the
    // floating-point rounding mode in force.
    double rounded = std::floor(x);
    const double fraction = x - rounded;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0))
        rounded += 1.0;
    if (rounded < min || rounded > max)
        return std::nullopt;
    return static_cast<Value>(rounded);
}

Value addSaturating(Value a, Value b)
{
    const int wide = int(a) + int(b);
    return static_cast<Value>(wide > max ? max : wide < min ? min : wide);
}

} // namespace int16
