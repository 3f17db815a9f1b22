// The RRE layer placed by the georeferencing its picture carries.

#include <memory>

#include "formats/number_text.h"
#include "georef/coordinate_system.h"
#include "map/shapefile_crs.h"
#include "map/sf_map.h"
#include "platform/path.h"
#include "platform/ui_service.h"
#include "raster/gdal_picture.h"
#include "raster/layer_rre.h"

namespace model {

namespace {

CSFRect box_of(const std::vector<georef::CPt>& points) {
    CSFRect box{points[0].x, points[0].y, points[0].x, points[0].y};
    for (const georef::CPt& p : points) box.Union({p.x, p.y, p.x, p.y});
    return box;
}

}  // namespace

bool CSFLayerRRE::place_by_georeferencing(const std::string& path) {
    picture_place place;
    if (!read_picture_place(path, place)) return false;
    const std::string name = platform::file_name_part(path);

    // The picture's own system; else, for places that cannot be degrees, the one the
    // operator assumes for files that name none.
    std::string definition = place.crs;
    if (definition.empty() && !fits_degrees(box_of(place.ground)) && m_pMap) definition = m_pMap->get_assumed_crs();
    if (!definition.empty()) {
        std::string cause;
        const auto system = georef::coordinate_system::from_definition(definition, &cause);
        if (!system) {
            platform::AfxMessageBox(name + " is georeferenced in a coordinate system that PROJ cannot read (" + cause +
                                        "); place its footholds by hand.",
                                    platform::MB_ICONWARNING);
            return false;
        }
        std::vector<double> x, y;
        for (const georef::CPt& g : place.ground) x.push_back(g.x), y.push_back(g.y);
        if (!system->is_wgs84_degrees() && system->to_lonlat(x.data(), y.data(), x.size(), 1) != 0) {
            platform::AfxMessageBox(name + " lies where its coordinate system (" + system->name() +
                                        ") cannot be turned into longitude and latitude; place its footholds by hand.",
                                    platform::MB_ICONWARNING);
            return false;
        }
        for (std::size_t i = 0; i < x.size(); ++i) place.ground[i] = georef::CPt(x[i], y[i], 0.0);
    } else if (!fits_degrees(box_of(place.ground))) {
        const CSFRect box = box_of(place.ground);
        using formats::format_number;
        platform::AfxMessageBox(
            name + " is georeferenced, but names no coordinate system and its coordinates cannot be longitude and "
                   "latitude (X from " + format_number(box.minX) + " to " + format_number(box.maxX) + ", Y from " +
                format_number(box.minY) + " to " + format_number(box.maxY) +
                "). Place its footholds by hand, or name its coordinate system: --assume-crs EPSG:NNNN on the "
                "command line, or a .prj file beside it.",
            platform::MB_ICONWARNING);
        return false;
    }

    m_FootHolds.Clear();
    for (std::size_t i = 0; i < place.plane.size(); ++i) {
        const int index = m_FootHolds.Add({static_cast<int>(place.plane[i].x), static_cast<int>(place.plane[i].y)});
        m_FootHolds.SetGround(index, place.ground[i]);
    }
    // Placed, not snapped by the operator: no word of it unless the places make no fit.
    return snap(false);
}

}  // namespace model
