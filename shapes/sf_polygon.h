#pragma once

#include "shapes/sf_line.h"

namespace model {

// A polygon: each part is a ring. All rings are filled as one path under the alternate
// (even-odd) rule, so a ring inside another is a hole; the outlines come from the polygon
// layer's lines.
class CSFPolygon : public CSFLine {
public:
    CSFPolygon() = default;
    CSFPolygon(std::int32_t record, std::uint32_t parts, std::uint32_t points, const std::int32_t* part_starts,
               const CSFPt* point_list)
        : CSFLine(record, parts, points, part_starts, point_list) {}

    void Draw(platform::CDC* dc, georef::CTransform* transform) override;
    // Keeps the stored box as it is.
    read_result ReadShp(platform::CFile& file) override;
};

}  // namespace model
