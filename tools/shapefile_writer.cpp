#include "tools/shapefile_writer.h"

namespace tools {

shapefile_writer::shapefile_writer(const std::string& path, int shape_type)
    : m_shp(SHPCreate(path.c_str(), shape_type)), m_nShapeType(shape_type) {}

shapefile_writer::~shapefile_writer() {
    if (m_shp) SHPClose(m_shp);
}

bool shapefile_writer::add(const std::vector<vertices>& parts) {
    if (!m_shp) return false;
    m_xs.clear();
    m_ys.clear();
    m_starts.clear();
    for (const vertices& part : parts) {
        m_starts.push_back(static_cast<int>(m_xs.size()));
        for (const auto& [x, y] : part) {
            m_xs.push_back(x);
            m_ys.push_back(y);
        }
    }
    SHPObject* object = SHPCreateObject(m_nShapeType, -1, static_cast<int>(m_starts.size()), m_starts.data(), nullptr,
                                        static_cast<int>(m_xs.size()), m_xs.data(), m_ys.data(), nullptr, nullptr);
    if (!object) return false;
    const bool written = SHPWriteObject(m_shp, -1, object) >= 0;
    SHPDestroyObject(object);
    return written;
}

bool write_shapefile(const std::string& path, int shape_type, const std::vector<std::vector<vertices>>& shapes) {
    shapefile_writer writer(path, shape_type);
    if (!writer.is_open()) return false;
    for (const auto& parts : shapes)
        if (!writer.add(parts)) return false;
    return true;
}

}  // namespace tools
