#include "shapes/sf_shape.h"

#include "platform/endian.h"
#include "platform/file_io.h"

namespace model {

read_result CSFShape::Read(platform::CFile& file) {
    return platform::file_io::read_i32(file, m_nRecord) ? read_ok : read_failed;
}

void CSFShape::Draw(platform::CDC*, georef::CTransform*) {}

bool CSFShape::read_record_header(platform::CFile& file) {
    std::uint8_t header[12];
    if (!platform::file_io::read_exact(file, header, sizeof header)) return false;
    m_nRecord = platform::endian::get_be_i32(header);
    m_nContentLength = platform::endian::get_be_i32(header + 4);
    m_nShapeType = platform::endian::get_le_i32(header + 8);
    return true;
}

read_result CSFShape::ReadShp(platform::CFile& file) { return read_record_header(file) ? read_ok : read_failed; }

void CSFShape::Write(platform::CFile& file) const { platform::file_io::write_i32(file, m_nRecord); }

void CSFShape::SetAttributeCount(int count) {
    if (count > 0) m_aAttributes.assign(static_cast<std::size_t>(count), _attrValue{});
}

void CSFShape::SetAttribute(int index, const _attrValue& value) {
    if (index >= 0 && static_cast<std::size_t>(index) < m_aAttributes.size())
        m_aAttributes[static_cast<std::size_t>(index)] = value;
}

_attrValue CSFShape::GetAttribute(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_aAttributes.size()) return {};
    return m_aAttributes[static_cast<std::size_t>(index)];
}

}  // namespace model
