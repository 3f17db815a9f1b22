#pragma once

#include "platform/geometry.h"

namespace platform {
class CDC;
}
namespace georef {
class CFootHold;
}
namespace tarvel_tech::nimbra {
class image;
}

namespace model {

// The part of a raster layer's picture the view shows: the picture is drawn one to one,
// picture pixel (x, y) at the view's logical point (x, y), so that scrolling moves the
// view's window origin and origin is the first picture pixel in view.
struct raster_view {
    platform::CPoint origin;  // the scroll position, in picture pixels
    platform::CSize size;     // the width and height drawn
    platform::CPoint extent;  // added to the origin: the rectangle of the foothold marks

    // The scroll position and the client rectangle of the view.
    void set(const platform::CPoint& scroll, const platform::CRect& client);

    // The picture's pixels under the view, in one stretched copy; false when nothing was
    // drawn.
    bool draw_picture(platform::CDC& dc, const tarvel_tech::nimbra::image& picture) const;
    // The foothold marks, each at its picture pixel.
    void draw_footholds(platform::CDC& dc, const georef::CFootHold& footholds) const;
};

}  // namespace model
