#include "shapes/view_box.h"

#include <algorithm>
#include <cmath>

#include "georef/transform.h"
#include "platform/device_context.h"

namespace model {

namespace {

// Pixels added round the clip box: a pen's width and the truncation of screen coordinates.
constexpr int kMargin = 4;

}  // namespace

view_box::view_box(const platform::CDC& dc, const georef::CTransform& transform) {
    const platform::CRect clip = dc.GetClipBox();
    if (clip.Width() <= 0 || clip.Height() <= 0) return;
    // A copy: the projection remembers its last result, which drawing must not see changed.
    georef::CTransform projection = transform;
    const platform::CPoint corners[4] = {{clip.left - kMargin, clip.top - kMargin},
                                         {clip.right + kMargin, clip.top - kMargin},
                                         {clip.left - kMargin, clip.bottom + kMargin},
                                         {clip.right + kMargin, clip.bottom + kMargin}};
    // The projection is affine, so the box of the corners holds everything between them.
    for (int i = 0; i < 4; ++i) {
        const georef::CPt2 geo = projection.ScreenToGeo(corners[i]);
        if (!std::isfinite(geo.x) || !std::isfinite(geo.y)) return;
        if (i == 0) {
            m_rcSeen = {geo.x, geo.y, geo.x, geo.y};
        } else {
            m_rcSeen.minX = std::min(m_rcSeen.minX, geo.x);
            m_rcSeen.maxX = std::max(m_rcSeen.maxX, geo.x);
            m_rcSeen.minY = std::min(m_rcSeen.minY, geo.y);
            m_rcSeen.maxY = std::max(m_rcSeen.maxY, geo.y);
        }
    }
    m_bEverything = false;
}

bool view_box::may_show(const CSFRect& box) const {
    if (m_bEverything) return true;
    // Written so that a box with a coordinate that is not a number shows.
    return !(box.maxX < m_rcSeen.minX || box.minX > m_rcSeen.maxX || box.maxY < m_rcSeen.minY ||
             box.minY > m_rcSeen.maxY);
}

bool view_box::may_show(const CSFPt* points, std::size_t count) const {
    if (m_bEverything || count == 0) return true;
    CSFRect box{points[0].X, points[0].Y, points[0].X, points[0].Y};
    for (std::size_t i = 0; i < count; ++i) {
        const CSFPt& p = points[i];
        if (!std::isfinite(p.X) || !std::isfinite(p.Y)) return true;
        box.minX = std::min(box.minX, p.X);
        box.maxX = std::max(box.maxX, p.X);
        box.minY = std::min(box.minY, p.Y);
        box.maxY = std::max(box.maxY, p.Y);
    }
    return may_show(box);
}

}  // namespace model
