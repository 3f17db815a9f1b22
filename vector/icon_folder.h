#pragma once

#include <string>

namespace platform {
class CDC;
}

namespace model {

class CSFLayer;
class CSFLayerIcons;
class CSFMap;

// The icon folder as the program finds it: the settings' "PathIcons", or the folder
// "Icons" beside the program when the settings name none.
std::string icon_folder(const std::string& program_folder);

// What follows adding a layer to a map: a point layer added to a map without an icon layer
// brings the icons of the folder along, as the map's icon layer, when the folder has any.
// Answers the icon layer added, or none.
CSFLayerIcons* add_icon_layer_for(CSFMap& map, const CSFLayer* added, const std::string& folder,
                                  platform::CDC* dc);

}  // namespace model
