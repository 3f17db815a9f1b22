#pragma once

#include <string>
#include <vector>

#include "platform/ui_service.h"

namespace georef {

class CFootHold;
class CTr;

// "Points list": every foothold of a layer with its number, whether it is used, its latitude
// and longitude in degrees and minutes and, when the map has a transformation, its residual
// (ground minus where the transformation puts it). Delete and Edit act on the selected row,
// the one last clicked; before any click, the first.
class CDlgPointsList : public platform::points_list_dialog {
public:
    // transform: the map's transformation, or null when there is none.
    CDlgPointsList(CFootHold& footholds, const CTr* transform);

    int DoModal();

    std::string GetCaption() const override { return "Points list"; }
    const std::vector<platform::list_column>& GetColumns() const override;
    int GetRowCount() const override;
    std::string GetText(int row, int column) const override;
    int GetSelectedRow() const override;
    void OnClickRow(int row) override;
    void OnDelete() override;
    void OnEdit() override;
    void OnDeleteAll() override;

    // A coordinate as the list shows it: "N 55 45.000'" (latitude) or "E 37 37.200'".
    static std::string FormatCoordinate(double v, bool latitude);

private:
    CFootHold& m_footholds;
    const CTr* m_pTransform;
    int m_nSelected = 0;
};

}  // namespace georef
