#pragma once

#include <string>

namespace model {

// What a shapefile layer's coordinates were when read, and what was done to them: the map
// keeps longitude and latitude in degrees on WGS 84, so a layer in another system is
// transformed as it is read.
struct layer_crs {
    enum origin { none, prj, assumed };

    // Where the system came from: nowhere, the .prj beside the file, or the operator (the
    // system assumed for files that name none, or one chosen for this file).
    origin m_nOrigin = none;
    std::string m_strName;  // as PROJ names it; empty without a system
    std::string m_strId;    // "EPSG:32617" when known
    bool m_bTransformed = false;
    // No system named, and the coordinates cannot be degrees: the layer stands as read, and
    // the operator has been told how to name its system.
    bool m_bNotDegrees = false;
};

}  // namespace model
