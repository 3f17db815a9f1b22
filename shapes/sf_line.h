#pragma once

#include <cstdint>
#include <vector>

#include "platform/geometry.h"
#include "shapes/sf_shape.h"

namespace model {

class point_source;

// A polyline: parts of points, part k running from m_pParts[k] up to the next part's start
// (the last one up to m_nPoints).
class CSFLine : public CSFShape {
public:
    CSFLine() = default;
    CSFLine(std::int32_t record, std::uint32_t parts, std::uint32_t points, const std::int32_t* part_starts,
            const CSFPt* point_list);

    read_result Read(platform::CFile& file) override;
    void Draw(platform::CDC* dc, georef::CTransform* transform) override;
    read_result ReadShp(platform::CFile& file) override;
    void Write(platform::CFile& file) const override;
    virtual void SetFromObject(const point_source& source);

    // First and one-past-last point of part k.
    std::uint32_t part_begin(std::uint32_t k) const { return static_cast<std::uint32_t>(m_pParts[k]); }
    std::uint32_t part_end(std::uint32_t k) const {
        return k + 1 < m_nParts ? static_cast<std::uint32_t>(m_pParts[k + 1]) : m_nPoints;
    }

    std::uint32_t m_nParts = 0;
    std::uint32_t m_nPoints = 0;
    std::vector<CSFPt> m_pPoints;
    std::vector<std::int32_t> m_pParts;
    platform::CPoint m_ptScreen;
    CSFPt m_ptWork;

protected:
    // Reads a PolyLine or Polygon record, stretching the box by each point when asked.
    read_result read_parts_record(platform::CFile& file, bool stretch_by_points);
};

}  // namespace model
