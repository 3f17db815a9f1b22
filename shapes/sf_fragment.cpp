#include "shapes/sf_fragment.h"

#include <algorithm>
#include <cmath>

#include "platform/file_io.h"
#include "shapes/sf_line.h"
#include "shapes/sf_point.h"
#include "shapes/sf_shape.h"
#include "shapes/view_box.h"

using namespace platform::file_io;

namespace model {

CSFFragment::CSFFragment() = default;
CSFFragment::~CSFFragment() = default;
CSFFragment::CSFFragment(CSFFragment&&) noexcept = default;
CSFFragment& CSFFragment::operator=(CSFFragment&&) noexcept = default;

void CSFFragment::AddShape(std::unique_ptr<CSFShape> shape) {
    m_aShapes.push_back(std::move(shape));
    m_nShapeCount = static_cast<std::uint32_t>(m_aShapes.size());
}

CSFShape* CSFFragment::GetShape(std::uint32_t index) const {
    return index < m_aShapes.size() ? m_aShapes[index].get() : nullptr;
}

bool CSFFragment::may_show(const view_box& seen) const {
    if (m_nShapesBoxed != m_aShapes.size()) {
        m_nShapesBoxed = m_aShapes.size();
        m_bUnboxed = false;
        bool started = false;
        for (const auto& shape : m_aShapes) {
            const auto* line = dynamic_cast<const CSFLine*>(shape.get());
            if (!line) {
                m_bUnboxed = true;
                break;
            }
            for (const CSFPt& p : line->m_pPoints) {
                if (!std::isfinite(p.X) || !std::isfinite(p.Y)) m_bUnboxed = true;
                else if (!started) m_rcShapes = {p.X, p.Y, p.X, p.Y}, started = true;
                else m_rcShapes = {std::min(m_rcShapes.minX, p.X), std::min(m_rcShapes.minY, p.Y),
                                   std::max(m_rcShapes.maxX, p.X), std::max(m_rcShapes.maxY, p.Y)};
            }
        }
        if (!started) m_bUnboxed = true;
    }
    return m_bUnboxed || seen.may_show(m_rcShapes);
}

void CSFFragment::DrawShapes(platform::CDC* dc, georef::CTransform* transform) const {
    const view_box seen(*dc, *transform);
    if (!may_show(seen)) return;
    for (const auto& shape : m_aShapes) {
        const auto* line = dynamic_cast<const CSFLine*>(shape.get());
        if (line && !seen.may_show(line->m_pPoints.data(), line->m_pPoints.size())) continue;
        shape->Draw(dc, transform);
    }
}

void CSFFragment::DrawPoints(platform::CDC* dc, georef::CTransform* transform, CPicture* icon,
                             const std::vector<std::uint8_t>* labels) const {
    for (const auto& shape : m_aShapes)
        if (auto* point = dynamic_cast<CSFPoint*>(shape.get())) point->DrawPoint(dc, transform, icon, labels);
}

void CSFFragment::Write(platform::CFile& file) const {
    m_rcBox.write(file);
    write_i32(file, m_nCell);
    write_u32(file, static_cast<std::uint32_t>(m_aShapes.size()));
    for (const auto& shape : m_aShapes) shape->Write(file);
}

bool CSFFragment::Read(platform::CFile& file) {
    return m_rcBox.read(file) && read_i32(file, m_nCell) && read_u32(file, m_nShapeCount);
}

}  // namespace model
