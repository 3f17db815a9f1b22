#pragma once

#include <cstdint>
#include <vector>

#include "platform/geometry.h"
#include "shapes/sf_shape.h"

namespace model {

class CPicture;
class point_source;

class CSFPoint : public CSFShape {
public:
    // Size of the box an icon covers, and the label offsets with and without one.
    static constexpr int icon_size = 16;
    static constexpr int label_offset_icon = 16;
    static constexpr int label_offset_circle = 3;
    static constexpr int circle_radius = 2;

    CSFPoint() = default;

    read_result Read(platform::CFile& file) override;
    read_result ReadShp(platform::CFile& file) override;
    void Write(platform::CFile& file) const override;
    // The icon (top-left at the point) or a small circle, then the labels whose flag is set.
    virtual void DrawPoint(platform::CDC* dc, georef::CTransform* transform, CPicture* icon,
                           const std::vector<std::uint8_t>* labels);

    // Whether the mouse lies strictly inside the 16 x 16 box right and below the point.
    bool HitTest(georef::CTransform* transform, platform::CPoint mouse);
    void SetFromObject(const point_source& source);

    platform::CPoint m_ptScreen;
    CSFPt m_pt;
};

}  // namespace model
