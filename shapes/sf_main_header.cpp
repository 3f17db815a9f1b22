#include "shapes/sf_main_header.h"

#include "platform/endian.h"
#include "platform/file.h"
#include "platform/file_io.h"

namespace model {

read_result CSFMainHeader::Read(platform::CFile& file) {
    using namespace platform::endian;
    std::uint8_t b[size];
    if (!platform::file_io::read_exact(file, b, size)) return read_failed;
    m_nFileCode = get_be_i32(b);
    for (int i = 0; i < 5; ++i) m_aUnused[i] = get_be_i32(b + 4 + 4 * i);
    m_nFileLength = get_be_i32(b + 24);
    m_nVersion = get_le_i32(b + 28);
    m_nShapeType = get_le_i32(b + 32);
    double* boxes[] = {&m_dXmin, &m_dYmin, &m_dXmax, &m_dYmax, &m_dZmin, &m_dZmax, &m_dMmin, &m_dMmax};
    for (int i = 0; i < 8; ++i) *boxes[i] = get_le_double(b + 36 + 8 * i);
    if (m_nFileCode != file_code) return read_failed;
    if (2 * std::uint64_t(std::uint32_t(m_nFileLength)) != file.GetLength() || m_nFileLength < 0) return read_failed;
    return read_ok;
}

const char* shape_type_name(std::int32_t type) {
    switch (type) {
        case 0: return "Null";
        case 1: return "Point";
        case 3: return "PolyLine";
        case 5: return "Polygon";
        case 8: return "MultiPoint";
        case 11: return "PointZ";
        case 13: return "PolyLineZ";
        case 15: return "PolygonZ";
        case 18: return "MultiPointZ";
        case 21: return "PointM";
        case 23: return "PolyLineM";
        case 25: return "PolygonM";
        case 28: return "MultiPointM";
        case 31: return "MultiPatch";
        default: return "unknown";
    }
}

}  // namespace model
