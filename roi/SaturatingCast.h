#pragma once

#include <climits>
#include <cmath>

namespace tivra_roi_detail {

// Truncation toward zero that saturates at the int range (NaN gives 0), so that
// absurd coordinates from callers never reach an undefined float-to-int cast.
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

} // namespace tivra_roi_detail
