#pragma once

#include <vector>

#include "shapes/sf_geometry.h"

namespace model {

// One ring for an area with holes, for drawings and viewers that keep a polygon to one part:
// each hole is joined to the ring by a cut of no width, from the hole's westernmost vertex
// to a vertex of the ring it can see, run along once in each direction. Filled with the
// alternate (even-odd) rule the ring covers the outer area less the holes, and its signed
// area is the outer ring's plus the holes', whatever way the cuts run, since each cut is
// crossed twice by any line. The holes must lie inside the outer ring and turn the other way.
std::vector<CSFPt> join_holes(std::vector<CSFPt> outer, const std::vector<const std::vector<CSFPt>*>& holes);

}  // namespace model
