#pragma once

#include <cstddef>
#include <vector>

// Polygon clipping as the polygon layer uses it when it cuts polygons into grid cells: a
// polygon is a list of contours, each a vertex list with a hole flag; two polygons are
// intersected under the even-odd rule. The work is done by Clipper on 64-bit integers; the
// doubles are scaled by a power of two chosen from the largest coordinate of both operands,
// so that the conversion keeps every bit that matters and the way back is exact.
namespace model::polygon_clip {

struct gpc_vertex {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const gpc_vertex&, const gpc_vertex&) = default;
};

struct gpc_vertex_list {
    std::vector<gpc_vertex> vertex;
};

struct gpc_polygon {
    std::vector<gpc_vertex_list> contour;
    // One flag per contour. The flags given with the operands are not consulted (the
    // even-odd rule decides what is inside); in a result they mark the holes.
    std::vector<int> hole;
    // In a result, one entry per contour: for a hole, the index of the outer contour whose
    // area it is cut out of; -1 for outer contours. Outer contours turn counter-clockwise,
    // holes clockwise.
    std::vector<int> owner;
};

enum gpc_op { GPC_INT };

// Appends a contour of count vertices to the polygon.
void gpc_add_contour(gpc_polygon& polygon, const gpc_vertex* vertices, std::size_t count, int hole);
// result = subject op clip. Vertices that are not finite numbers are left out of the
// operands; a result that cannot be computed is empty. Running out of memory is not such a
// result: std::bad_alloc leaves the call.
void gpc_polygon_clip(gpc_op op, const gpc_polygon& subject, const gpc_polygon& clip, gpc_polygon& result);
// Empties the polygon and gives its memory back.
void gpc_free_polygon(gpc_polygon& polygon);

}  // namespace model::polygon_clip
