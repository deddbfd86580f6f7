#pragma once

#include "Error.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace marlet {

/// Rounds to the nearest integer, an exact half going to the even neighbour (R(2.5) = 2).
/// Arithmetic stays in extended precision until this point.
inline long double roundHalfEven(long double v) {
    // The floating-point environment rounds to nearest-even unless someone changed it.
    return std::rint(v);
}

/// Stores a value into a field of type T, or fails with "Range check error" when it does
/// not fit (a negative cell size, a pitch above 255, an origin past 32 bits).
template <typename T>
T fitField(long double v) {
    if (!std::isfinite(v) || v < static_cast<long double>(std::numeric_limits<T>::min()) ||
        v > static_cast<long double>(std::numeric_limits<T>::max()))
        throw Error::rangeCheck();
    return static_cast<T>(v);
}

/// R(v) stored into a field of type T.
template <typename T>
T roundToField(long double v) {
    if (!std::isfinite(v))
        throw Error::rangeCheck();
    return fitField<T>(roundHalfEven(v));
}

/// R(numerator / denominator) in whole numbers, so that equal ratios always round alike
/// (a 24-dot stripe and a 24/180-inch line feed come out the same height). denominator > 0.
inline std::int64_t roundRatio(std::int64_t numerator, std::int64_t denominator) {
    std::int64_t quotient = numerator / denominator;
    std::int64_t remainder = numerator % denominator;
    if (remainder < 0) {
        remainder += denominator;
        --quotient;
    }
    if (2 * remainder > denominator || (2 * remainder == denominator && quotient % 2 != 0))
        ++quotient;
    return quotient;
}

} // namespace marlet
