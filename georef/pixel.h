#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace georef {

// Truncation toward zero; what lies beyond the integer range stays at its edge, so that
// far-away points of a deeply zoomed view still land off the screen on the right side.
inline std::int32_t ToPixel(double v) {
    if (std::isnan(v)) return 0;
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    if (v <= lo) return std::numeric_limits<std::int32_t>::min();
    if (v >= hi) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(v);
}

}  // namespace georef
