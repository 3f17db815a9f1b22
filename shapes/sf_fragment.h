#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/object.h"
#include "shapes/sf_geometry.h"

namespace platform {
class CDC;
class CFile;
}  // namespace platform
namespace georef {
class CTransform;
}

namespace model {

class CPicture;
class CSFShape;

// One cell of a layer's grid: its box, its place among its neighbours and the shapes cut
// or sorted into it, which it owns.
class CSFFragment : public platform::CObject {
public:
    CSFFragment();
    ~CSFFragment() override;
    CSFFragment(CSFFragment&&) noexcept;
    CSFFragment& operator=(CSFFragment&&) noexcept;

    void AddShape(std::unique_ptr<CSFShape> shape);
    // The shape at index, or none when index is not below the number of shapes.
    CSFShape* GetShape(std::uint32_t index) const;
    void DrawShapes(platform::CDC* dc, georef::CTransform* transform) const;
    void DrawPoints(platform::CDC* dc, georef::CTransform* transform, CPicture* icon,
                    const std::vector<std::uint8_t>* labels) const;

    // The cell header followed by each shape's record.
    void Write(platform::CFile& file) const;
    // Only the header; the layer reads the shapes. Neighbour numbers are not stored.
    bool Read(platform::CFile& file);

    CSFRect m_rcBox;
    std::uint32_t m_nShapeCount = 0;
    std::int32_t m_nCell = 0;
    std::int32_t m_nPrevColumn = -1;
    std::int32_t m_nNextRow = -1;
    std::int32_t m_nNextColumn = -1;
    std::int32_t m_nPrevRow = -1;
    std::vector<std::unique_ptr<CSFShape>> m_aShapes;
};

}  // namespace model
