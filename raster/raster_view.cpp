#include "raster/raster_view.h"

#include "georef/foot_hold.h"
#include "nimbra/image/image.h"
#include "platform/device_context.h"

namespace model {

void raster_view::set(const platform::CPoint& scroll, const platform::CRect& client) {
    origin = scroll;
    size = {client.Width(), client.Height()};
    extent = {client.Width(), client.Height()};
}

bool raster_view::draw_picture(platform::CDC& dc, const tarvel_tech::nimbra::image& picture) const {
    const std::uint8_t* block = *picture;
    if (!block) return false;
    const int height = picture.get_info().biHeight;
    const platform::CRect destination{origin.x, origin.y, origin.x + size.cx, origin.y + size.cy};
    // Rows are stored bottom-up, so the source's top is counted from the bottom row.
    const int bottom = height - origin.y - size.cy;
    const platform::CRect source{origin.x, bottom, origin.x + size.cx, bottom + size.cy};
    const std::uint8_t* bits = picture.get_exinfo().bits;
    const platform::dib_header_view header{block, static_cast<std::size_t>(bits - block)};
    return dc.StretchDIBits(destination, source, header, bits);
}

void raster_view::draw_footholds(platform::CDC& dc, const georef::CFootHold& footholds) const {
    footholds.Draw(&dc, {0, 0}, 1);
}

}  // namespace model
