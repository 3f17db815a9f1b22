#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace georef {

// A coordinate system as PROJ knows it (from a .prj file's WKT in any dialect, an
// "EPSG:NNNN" code, a PROJ string or PROJJSON) together with the way from it to longitude and
// latitude in degrees on WGS 84, longitude first whatever axis order the system declares.
class coordinate_system {
public:
    // None when PROJ does not read the text as a coordinate system; cause (when given) then
    // says why.
    static std::unique_ptr<coordinate_system> from_definition(const std::string& text, std::string* cause = nullptr);

    ~coordinate_system();
    coordinate_system(const coordinate_system&) = delete;
    coordinate_system& operator=(const coordinate_system&) = delete;

    // The system's name as its definition gives it ("WGS 84 / UTM zone 17N").
    const std::string& name() const { return m_strName; }
    // "EPSG:32617" when the definition carries a code or matches a known system closely;
    // empty otherwise.
    const std::string& identifier() const { return m_strId; }
    // Longitude and latitude (of any datum, unit or prime meridian).
    bool is_geographic() const { return m_bGeographic; }
    // Longitude and latitude in degrees on WGS 84 already: coordinates need no change.
    bool is_wgs84_degrees() const { return m_bWgs84; }

    // Transforms count points in place: x[i * stride] and y[i * stride] (stride in doubles)
    // become longitude and latitude. Answers how many could not be transformed; those are
    // left infinite or not a number.
    std::size_t to_lonlat(double* x, double* y, std::size_t count, std::size_t stride) const;

private:
    struct proj_state;
    coordinate_system();

    std::unique_ptr<proj_state> m_pProj;
    std::string m_strName;
    std::string m_strId;
    bool m_bGeographic = false;
    bool m_bWgs84 = false;
};

}  // namespace georef
