#include "shapes/sf_polygon.h"

#include "georef/transform.h"
#include "platform/device_context.h"

namespace model {

read_result CSFPolygon::ReadShp(platform::CFile& file) { return read_parts_record(file, false); }

void CSFPolygon::Draw(platform::CDC* dc, georef::CTransform* transform) {
    std::vector<platform::CPoint> ring;
    const int mode = dc->SetPolyFillMode(platform::ALTERNATE);
    dc->BeginPath();
    for (std::uint32_t k = 0; k < m_nParts; ++k) {
        ring.clear();
        const std::uint32_t end = part_end(k);
        for (std::uint32_t i = part_begin(k); i < end; ++i)
            ring.push_back(transform->GeoToScreen(m_pPoints[i].X, m_pPoints[i].Y));
        dc->Polygon(ring.data(), static_cast<int>(ring.size()));
    }
    dc->EndPath();
    dc->FillPath();
    dc->SetPolyFillMode(mode);
}

}  // namespace model
