#pragma once

#include <cstddef>

#include "shapes/sf_geometry.h"

namespace platform {
class CDC;
}
namespace georef {
class CTransform;
}

namespace model {

// What part of the map a device context can show: the longitudes and latitudes of its clip
// box, a few pixels wider all round for pens and rounding. A shape whose points all lie
// outside it leaves no mark, so a redraw of a zoomed-in map skips it. Without a clip box
// (a context with no device) everything counts as seen.
class view_box {
public:
    view_box(const platform::CDC& dc, const georef::CTransform& transform);

    // Whether something inside the box could show.
    bool may_show(const CSFRect& box) const;
    // Whether a shape of these points could show; always when one is not a number, as no box
    // holds it.
    bool may_show(const CSFPt* points, std::size_t count) const;

private:
    bool m_bEverything = true;
    CSFRect m_rcSeen;
};

}  // namespace model
