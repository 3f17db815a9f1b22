#pragma once

#include <string>

namespace model {
class CSFMap;
}
namespace platform {
class CDC;
}

// The sources of a small map as an operator composes one, written by shapelib and the
// image library into a folder: towns (points with a table), roads (lines, one of two parts),
// counties (polygons with lakes and islands) and an icon folder of two icons.
namespace sample_map {

struct sources {
    std::string towns;     // towns.shp: NAME (text), POP (number), CAPITAL (logical), FOUNDED (date)
    std::string roads;     // roads.shp
    std::string counties;  // counties.shp
    std::string icons;     // a folder of a 16 x 16 and an 8 x 12 icon
};

sources write_sources(const std::string& folder);

// The map Add Layers makes of them, in the order counties, roads, towns (which bring the
// icon layer), towns labelled by NAME and drawn with icon 1, regridded 10 x 10 as the save
// command does.
void compose(model::CSFMap& map, const sources& from, platform::CDC* dc);

}  // namespace sample_map
