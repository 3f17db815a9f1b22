#pragma once

#include <cstdint>

#include "shapes/read_result.h"

namespace platform {
class CFile;
}

namespace model {

// The 100-byte main header of an ESRI shapefile, field for field; the big-endian fields are
// held in host order after reading.
class CSFMainHeader {
public:
    static constexpr std::int32_t file_code = 9994;
    static constexpr int size = 100;

    virtual ~CSFMainHeader() = default;

    // Whether the header is valid: file code 9994, stored length equal to the file's; a file
    // shorter than the header has none.
    read_result Read(platform::CFile& file);

    std::int32_t m_nFileCode = 0;
    std::int32_t m_aUnused[5] = {};
    std::int32_t m_nFileLength = 0;  // in 16-bit words
    std::int32_t m_nVersion = 0;
    std::int32_t m_nShapeType = 0;
    double m_dXmin = 0, m_dYmin = 0, m_dXmax = 0, m_dYmax = 0;
    double m_dZmin = 0, m_dZmax = 0;
    double m_dMmin = 0, m_dMmax = 0;
};

// The name the ESRI shapefile description gives a shape type ("PolyLineZ"); "unknown" for
// numbers it does not give.
const char* shape_type_name(std::int32_t type);

}  // namespace model
