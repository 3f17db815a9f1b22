#pragma once

#include <cstdint>
#include <vector>

#include "platform/object.h"
#include "shapes/attr_value.h"
#include "shapes/read_result.h"
#include "shapes/sf_geometry.h"

namespace platform {
class CDC;
class CFile;
}  // namespace platform
namespace georef {
class CTransform;
}

namespace model {

// Base of the point, line and polygon shapes: the shapefile record it came from, its box
// and its attribute values.
class CSFShape : public platform::CObject {
public:
    CSFShape() = default;
    CSFShape(const CSFShape&) = default;
    CSFShape& operator=(const CSFShape&) = default;
    CSFShape(CSFShape&&) = default;
    CSFShape& operator=(CSFShape&&) = default;

    // Map document record.
    virtual read_result Read(platform::CFile& file);
    virtual void Draw(platform::CDC* dc, georef::CTransform* transform);
    // Shapefile record at the file's position.
    virtual read_result ReadShp(platform::CFile& file);
    virtual void Write(platform::CFile& file) const;

    void SetAttributeCount(int count);
    void SetAttribute(int index, const _attrValue& value);
    _attrValue GetAttribute(int index) const;
    int get_attribute_count() const { return static_cast<int>(m_aAttributes.size()); }

    // A record that says it holds no shape (shape type 0).
    bool is_null_record() const { return m_nShapeType == 0; }

    std::int32_t m_nRecord = 0;
    std::int32_t m_nShapeType = 0;
    std::int32_t m_nContentLength = 0;
    std::vector<_attrValue> m_aAttributes;
    CSFRect m_rcBox;

protected:
    // The record header and shape type; false when the file ends first.
    bool read_record_header(platform::CFile& file);
};

}  // namespace model
