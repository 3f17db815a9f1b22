#include "vector/select_icon_dlg.h"

#include <string>

#include "map/sf_map.h"
#include "vector/layer_icons.h"

namespace model {

std::vector<platform::icon_choice> CSelectIconDlg::get_items() const {
    std::vector<platform::icon_choice> items;
    if (!m_pMap || m_pMap->m_nIconsLayer < 0) return items;
    const auto* icons = dynamic_cast<const CSFLayerIcons*>(m_pMap->GetLayer(static_cast<std::uint32_t>(m_pMap->m_nIconsLayer)));
    if (!icons) return items;
    for (const auto& icon : icons->m_aIcons) {
        items.push_back({"icons " + std::to_string(icon->m_nNumber), static_cast<int>(icon->get_width()),
                         static_cast<int>(icon->get_height()), icon->get_pixels()});
    }
    return items;
}

int CSelectIconDlg::DoModal() {
    const std::vector<platform::icon_choice> items = get_items();
    m_nSelected = -1;
    const int chosen = platform::ui().ChooseIcon(items);
    if (chosen >= 0 && static_cast<std::size_t>(chosen) < items.size()) m_nSelected = chosen;
    return m_nSelected;
}

}  // namespace model
