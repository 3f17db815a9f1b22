#include "georef/dlg_points_list.h"

#include <charconv>
#include <cmath>

#include "georef/coords_dlg.h"
#include "georef/foot_hold.h"
#include "georef/pixel.h"
#include "georef/tr.h"

namespace georef {
namespace {

// "%2.3f" in the C locale.
std::string Fixed3(double v) {
    char buffer[400];
    std::string s(buffer, std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 3).ptr);
    return s.size() < 2 ? std::string(2 - s.size(), ' ') + s : s;
}

}  // namespace

CDlgPointsList::CDlgPointsList(CFootHold& footholds, const CTr* transform)
    : m_footholds(footholds), m_pTransform(transform) {}

int CDlgPointsList::DoModal() { return platform::ui().ShowPointsList(*this); }

const std::vector<platform::list_column>& CDlgPointsList::GetColumns() const {
    static const std::vector<platform::list_column> columns = {
        {"Number", 55, platform::LVCFMT_RIGHT},       {"Used", 35, platform::LVCFMT_CENTER},
        {"Latitude,  M", 80, platform::LVCFMT_RIGHT}, {"Longitude, M", 80, platform::LVCFMT_RIGHT},
        {"dx", 80, platform::LVCFMT_RIGHT},           {"dy", 80, platform::LVCFMT_RIGHT},
    };
    return columns;
}

int CDlgPointsList::GetRowCount() const { return m_footholds.GetCount(); }

std::string CDlgPointsList::FormatCoordinate(double v, bool latitude) {
    const char* hemisphere = latitude ? (v > 0.0 ? "N " : "S ") : (v > 0.0 ? "E " : "W ");
    const double a = std::fabs(v);
    const double degrees = std::floor(a);
    char buffer[16];
    const std::string whole(buffer, std::to_chars(buffer, buffer + sizeof buffer, ToPixel(degrees)).ptr);
    return hemisphere + whole + " " + Fixed3((a - degrees) * 60.0) + "'";
}

std::string CDlgPointsList::GetText(int row, int column) const {
    const CPt* ground = m_footholds.GetGround(row);
    if (!ground) return {};
    switch (column) {
        case 0: return std::to_string(m_footholds.GetNumber(row));
        case 1: return m_footholds.IsUsed(row) ? "+" : "-";
        case 2: return FormatCoordinate(ground->y, true);
        case 3: return FormatCoordinate(ground->x, false);
        case 4:
        case 5: {
            if (!m_pTransform) return {};
            const CPt d = *ground - m_pTransform->Forward(m_footholds.GetPlane(row));
            return Fixed3(column == 4 ? d.x : d.y);
        }
        default: return {};
    }
}

int CDlgPointsList::GetSelectedRow() const { return m_nSelected < GetRowCount() ? m_nSelected : -1; }

void CDlgPointsList::OnClickRow(int row) {
    if (row >= 0 && row < GetRowCount()) m_nSelected = row;
}

void CDlgPointsList::OnDelete() { m_footholds.RemoveAt(m_nSelected); }

void CDlgPointsList::OnEdit() {
    // A selection past the end (its row deleted) opens nothing.
    CCoordsDlg dialog(m_footholds, m_nSelected);
    dialog.DoModal();
}

void CDlgPointsList::OnDeleteAll() { m_footholds.Clear(); }

}  // namespace georef
