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
    if (count <= 0) return;
    const std::vector<_attrValue> zeros(static_cast<std::size_t>(count));
    m_aAttributes.assign(zeros.data(), count);
}

void CSFShape::SetAttribute(int index, const _attrValue& value) { m_aAttributes.set(index, value); }

_attrValue CSFShape::GetAttribute(int index) const { return m_aAttributes.get(index); }

}  // namespace model
