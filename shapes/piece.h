#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "shapes/sf_line.h"

// What cutting a line or polygon into cells works with: the points of one part, and the
// one-part shapes the cells receive.

namespace model {

struct part_range {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// The points of part k, kept within the points the shape holds.
inline part_range part_of(const CSFLine& line, std::uint32_t k) {
    const std::size_t size = line.m_pPoints.size();
    const auto start = [&](std::size_t i) { return std::min<std::size_t>(static_cast<std::uint32_t>(line.m_pParts[i]), size); };
    const std::size_t begin = start(k);
    const std::size_t end = k + 1 < line.m_pParts.size() ? start(k + 1) : size;
    return {begin, std::max(begin, end)};
}

// A one-part line or polygon of the points, carrying the record number of its source.
template <class Shape>
std::unique_ptr<Shape> make_piece(std::int32_t record, const std::vector<CSFPt>& points) {
    const std::int32_t first = 0;
    return std::make_unique<Shape>(record, 1, static_cast<std::uint32_t>(points.size()), &first, points.data());
}

// Widens the box by every point that is a number; the first such point starts the box,
// whatever its coordinates add up to. Answers whether the box has been started.
inline bool widen_by_points(const CSFPt* points, std::size_t count, CSFRect& box, bool started) {
    for (std::size_t i = 0; i < count; ++i) {
        const CSFPt& p = points[i];
        if (!std::isfinite(p.X) || !std::isfinite(p.Y)) continue;
        if (started) {
            box.Union({p.X, p.Y, p.X, p.Y});
        } else {
            box = {p.X, p.Y, p.X, p.Y};
            started = true;
        }
    }
    return started;
}

}  // namespace model
