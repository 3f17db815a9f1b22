#pragma once

#include <vector>

#include "platform/ui_service.h"

namespace model {

class CSFMap;

// The icon chooser of the layers panel: it lists the icons of the map's icon layer and
// answers the position of the one the operator picks. The window comes from the operator's
// services, which show each icon at 16 x 16 pixels.
class CSelectIconDlg {
public:
    explicit CSelectIconDlg(const CSFMap* map) : m_pMap(map) {}

    // One item per icon, captioned "icons N" with the icon's number; none when the map has
    // no icon layer.
    std::vector<platform::icon_choice> get_items() const;
    // The position of the chosen icon, -1 when none is chosen.
    int DoModal();

    int m_nSelected = -1;

private:
    const CSFMap* m_pMap;
};

}  // namespace model
