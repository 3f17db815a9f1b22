#include "shapes/hole_bridge.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace model {
namespace {

std::size_t westernmost(const std::vector<CSFPt>& ring) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < ring.size(); ++i)
        if (ring[i].X < ring[best].X || (ring[i].X == ring[best].X && ring[i].Y < ring[best].Y)) best = i;
    return best;
}

double cross(const CSFPt& o, const CSFPt& a, const CSFPt& b) {
    return (a.X - o.X) * (b.Y - o.Y) - (a.Y - o.Y) * (b.X - o.X);
}

bool in_triangle(const CSFPt& a, const CSFPt& b, const CSFPt& c, const CSFPt& p) {
    const double d1 = cross(a, b, p), d2 = cross(b, c, p), d3 = cross(c, a, p);
    const bool negative = d1 < 0 || d2 < 0 || d3 < 0, positive = d1 > 0 || d2 > 0 || d3 > 0;
    return !(negative && positive);
}

// The vertex of the ring that the point sees straight to the west or, when something stands
// in the way, the one the point sees at the smallest angle from that line.
std::size_t bridge_vertex(const std::vector<CSFPt>& ring, const CSFPt& from) {
    const std::size_t n = ring.size();
    double nearest = -std::numeric_limits<double>::infinity();
    std::size_t found = n;
    for (std::size_t i = 0; i < n; ++i) {
        const CSFPt& a = ring[i];
        const CSFPt& b = ring[(i + 1) % n];
        if (a.Y == b.Y || from.Y < std::min(a.Y, b.Y) || from.Y > std::max(a.Y, b.Y)) continue;
        const double x = a.X + (from.Y - a.Y) * (b.X - a.X) / (b.Y - a.Y);
        if (x > from.X || x <= nearest) continue;
        nearest = x;
        found = a.X < b.X ? i : (i + 1) % n;
        if (x == from.X) return found;
    }
    if (found == n) {
        // Nothing to the west (a hole touching the outer ring there): the nearest vertex.
        // The cut may then cross an edge; the filled area stays the same.
        double best = std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < n; ++i) {
            const double d = std::hypot(ring[i].X - from.X, ring[i].Y - from.Y);
            if (d < best) best = d, found = i;
        }
        return found;
    }
    // Vertices inside the triangle of the point, the crossing and the chosen end would hide
    // that end; the one nearest in angle to the westward line is seen.
    const CSFPt hit{nearest, from.Y};
    const CSFPt end = ring[found];
    double smallest = std::numeric_limits<double>::infinity();
    for (std::size_t j = 0; j < n; ++j) {
        const CSFPt& p = ring[j];
        if (p.X > from.X || p.X < end.X || p.X == from.X || !in_triangle(from, hit, end, p)) continue;
        const double tangent = std::fabs(from.Y - p.Y) / (from.X - p.X);
        if (tangent < smallest || (tangent == smallest && p.X > ring[found].X)) {
            smallest = tangent;
            found = j;
        }
    }
    return found;
}

}  // namespace

std::vector<CSFPt> join_holes(std::vector<CSFPt> outer, const std::vector<const std::vector<CSFPt>*>& holes) {
    // West to east: the holes already joined are part of the ring a later hole looks at.
    std::vector<std::pair<std::size_t, std::size_t>> order;  // hole, its westernmost vertex
    for (std::size_t h = 0; h < holes.size(); ++h)
        if (holes[h]->size() >= 3) order.emplace_back(h, westernmost(*holes[h]));
    std::sort(order.begin(), order.end(), [&](const auto& a, const auto& b) {
        const CSFPt& pa = (*holes[a.first])[a.second];
        const CSFPt& pb = (*holes[b.first])[b.second];
        return pa.X < pb.X || (pa.X == pb.X && pa.Y < pb.Y);
    });
    std::vector<CSFPt> joined;
    for (const auto& [h, start] : order) {
        const std::vector<CSFPt>& hole = *holes[h];
        if (outer.size() < 3) break;
        const std::size_t at = bridge_vertex(outer, hole[start]);
        joined.clear();
        joined.reserve(outer.size() + hole.size() + 2);
        joined.insert(joined.end(), outer.begin(), outer.begin() + static_cast<std::ptrdiff_t>(at + 1));
        joined.insert(joined.end(), hole.begin() + static_cast<std::ptrdiff_t>(start), hole.end());
        joined.insert(joined.end(), hole.begin(), hole.begin() + static_cast<std::ptrdiff_t>(start + 1));
        joined.push_back(outer[at]);
        joined.insert(joined.end(), outer.begin() + static_cast<std::ptrdiff_t>(at + 1), outer.end());
        outer.swap(joined);
    }
    return outer;
}

}  // namespace model
