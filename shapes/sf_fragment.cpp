#include "shapes/sf_fragment.h"

#include "platform/file_io.h"
#include "shapes/sf_point.h"
#include "shapes/sf_shape.h"

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

void CSFFragment::DrawShapes(platform::CDC* dc, georef::CTransform* transform) const {
    for (const auto& shape : m_aShapes) shape->Draw(dc, transform);
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
