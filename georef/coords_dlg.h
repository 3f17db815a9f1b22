#pragma once

#include <array>
#include <string>

#include "platform/ui_service.h"

namespace georef {

class CFootHold;

// "Set point": the latitude and longitude of one foothold in degrees and minutes with their
// hemispheres, its number and whether it takes part in snapping. The fields hold text as the
// operator types it; OK reads them in the C locale, refuses one out of its range and
// otherwise writes them into the foothold.
class CCoordsDlg : public platform::coords_dialog {
public:
    // Opens with the values of the foothold at index.
    CCoordsDlg(CFootHold& footholds, int index);

    // Shows the dialog through the operator's services; IDOK once OK has been applied. A bad
    // index is not shown (IDCANCEL).
    int DoModal();

    std::string GetCaption() const override { return "Set point"; }
    std::string GetText(int field) const override;
    void SetText(int field, const std::string& text) override;
    std::string GetLatitudeHemisphere() const override { return m_bSouth ? "S" : "N"; }
    std::string GetLongitudeHemisphere() const override { return m_bWest ? "W" : "E"; }
    void ToggleLatitudeHemisphere() override { m_bSouth = !m_bSouth; }
    void ToggleLongitudeHemisphere() override { m_bWest = !m_bWest; }
    bool GetDontUse() const override { return m_bDontUse; }
    void SetDontUse(bool dontUse) override { m_bDontUse = dontUse; }
    bool OnOK() override;
    int GetBadField() const override { return m_nBadField; }

private:
    CFootHold& m_footholds;
    int m_nIndex;
    std::array<std::string, field_count> m_strFields;
    bool m_bSouth = false;
    bool m_bWest = false;
    bool m_bDontUse = false;
    int m_nBadField = -1;
};

}  // namespace georef
