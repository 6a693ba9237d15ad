#pragma once
// Float-to-int conversion that saturates instead of overflowing. Converting a value beyond the int
// range is undefined behaviour, and absurd geometry from callers (a scroll position far off, a
// radius of 1e30) must become clamped pixels, never garbage coordinates.

#include <climits>
#include <cmath>

namespace tivra {

// Truncation toward zero that saturates at the int range; NaN gives 0.
inline int TruncToInt(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    if (value <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

} // namespace tivra
