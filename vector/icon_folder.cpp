#include "vector/icon_folder.h"

#include <memory>

#include "map/sf_map.h"
#include "platform/settings.h"
#include "vector/layer_icons.h"
#include "vector/layer_point.h"

namespace model {

std::string icon_folder(const std::string& program_folder) {
    std::string folder = platform::settings::path_icons();
    if (!folder.empty()) return folder;
    std::string base = program_folder;
    if (!base.empty() && base.back() != '/' && base.back() != '\\') base += '/';
    return base + "Icons";
}

CSFLayerIcons* add_icon_layer_for(CSFMap& map, const CSFLayer* added, const std::string& folder, platform::CDC* dc) {
    if (!dynamic_cast<const CSFLayerPoint*>(added) || map.m_nIconsLayer >= 0) return nullptr;
    auto icons = std::make_unique<CSFLayerIcons>();
    if (icons->LoadIcons(folder, dc)) return nullptr;
    CSFLayerIcons* raw = icons.get();
    map.AddLayer(std::move(icons));
    return raw;
}

}  // namespace model
