#include "shapes/polygon_clip.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <new>

#include <polyclipping/clipper.hpp>

namespace model::polygon_clip {
namespace {

// Clipper takes integers up to 2^62 - 1 in magnitude. Scaled coordinates stay below 2^61,
// which leaves room for the sums its exact arithmetic forms.
constexpr int kTopBit = 61;

double largest_magnitude(const gpc_polygon& polygon, double so_far) {
    for (const gpc_vertex_list& list : polygon.contour)
        for (const gpc_vertex& v : list.vertex)
            if (std::isfinite(v.x) && std::isfinite(v.y)) so_far = std::max({so_far, std::fabs(v.x), std::fabs(v.y)});
    return so_far;
}

// The power of two that brings the largest magnitude just below 2^61: a double scaled by it
// loses nothing unless it is smaller than 2^-61 of the largest one.
int scale_exponent(double largest) {
    if (largest == 0.0) return 0;
    int exponent = 0;
    std::frexp(largest, &exponent);  // largest < 2^exponent
    return kTopBit - exponent;
}

ClipperLib::Paths to_paths(const gpc_polygon& polygon, int exponent) {
    ClipperLib::Paths paths;
    paths.reserve(polygon.contour.size());
    for (const gpc_vertex_list& list : polygon.contour) {
        ClipperLib::Path path;
        path.reserve(list.vertex.size());
        for (const gpc_vertex& v : list.vertex) {
            if (!std::isfinite(v.x) || !std::isfinite(v.y)) continue;
            path.emplace_back(std::llround(std::ldexp(v.x, exponent)), std::llround(std::ldexp(v.y, exponent)));
        }
        if (path.size() >= 3) paths.push_back(std::move(path));
    }
    return paths;
}

}  // namespace

void gpc_add_contour(gpc_polygon& polygon, const gpc_vertex* vertices, std::size_t count, int hole) {
    polygon.contour.push_back({std::vector<gpc_vertex>(vertices, vertices + count)});
    polygon.hole.push_back(hole);
}

void gpc_polygon_clip(gpc_op, const gpc_polygon& subject, const gpc_polygon& clip, gpc_polygon& result) {
    gpc_free_polygon(result);
    const int exponent = scale_exponent(largest_magnitude(clip, largest_magnitude(subject, 0.0)));
    ClipperLib::PolyTree solution;
    try {
        ClipperLib::Clipper clipper;
        clipper.AddPaths(to_paths(subject, exponent), ClipperLib::ptSubject, true);
        clipper.AddPaths(to_paths(clip, exponent), ClipperLib::ptClip, true);
        clipper.Execute(ClipperLib::ctIntersection, solution, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return;
    } catch (...) {
        // Clipper reports some of its failures by throwing plain strings.
        return;
    }
    const auto count = static_cast<std::size_t>(solution.Total());
    result.contour.reserve(count);
    result.hole.reserve(count);
    result.owner.reserve(count);
    // Outer contours and their holes, parents before children; an island in a hole is an
    // outer contour again.
    std::vector<std::pair<const ClipperLib::PolyNode*, int>> pending;
    for (const ClipperLib::PolyNode* child : solution.Childs) pending.emplace_back(child, -1);
    while (!pending.empty()) {
        const auto [node, owner] = pending.back();
        pending.pop_back();
        gpc_vertex_list list;
        list.vertex.reserve(node->Contour.size());
        for (const ClipperLib::IntPoint& p : node->Contour)
            list.vertex.push_back({std::ldexp(static_cast<double>(p.X), -exponent),
                                   std::ldexp(static_cast<double>(p.Y), -exponent)});
        const int index = static_cast<int>(result.contour.size());
        result.contour.push_back(std::move(list));
        result.hole.push_back(node->IsHole() ? 1 : 0);
        result.owner.push_back(node->IsHole() ? owner : -1);
        for (auto it = node->Childs.rbegin(); it != node->Childs.rend(); ++it) pending.emplace_back(*it, index);
    }
}

void gpc_free_polygon(gpc_polygon& polygon) {
    std::vector<gpc_vertex_list>().swap(polygon.contour);
    std::vector<int>().swap(polygon.hole);
    std::vector<int>().swap(polygon.owner);
}

}  // namespace model::polygon_clip
