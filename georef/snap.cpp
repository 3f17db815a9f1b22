#include "georef/snap.h"

#include <cmath>
#include <vector>

#include "georef/coords_dlg.h"
#include "georef/foot_hold.h"
#include "georef/tr_rss.h"
#include "platform/ui_service.h"

namespace georef {
namespace {

// Points whose spread across their line is below this share of their spread along it lie
// on the line: rounding of decimal coordinates alone leaves some 1e-12 across.
constexpr double kLineTolerance = 1e-9;

enum class layout { spread, few, on_one_line };

layout Layout(const CPt* p, int count) {
    // Three different places, found in one pass.
    int distinct = 1;
    int second = 0;
    for (int i = 1; i < count && distinct < 3; ++i) {
        if (p[i].x == p[0].x && p[i].y == p[0].y) continue;
        if (distinct == 2 && p[i].x == p[second].x && p[i].y == p[second].y) continue;
        if (distinct == 1) second = i;
        ++distinct;
    }
    if (distinct < 3) return layout::few;

    // The line from the first place to the one farthest from it, and the farthest any place
    // lies off it.
    int far = 0;
    double farthest = 0.0;
    for (int i = 1; i < count; ++i) {
        const double d = std::hypot(p[i].x - p[0].x, p[i].y - p[0].y);
        if (d > farthest) farthest = d, far = i;
    }
    const double ux = (p[far].x - p[0].x) / farthest, uy = (p[far].y - p[0].y) / farthest;
    double across = 0.0;
    for (int i = 1; i < count; ++i)
        across = std::fmax(across, std::fabs((p[i].x - p[0].x) * uy - (p[i].y - p[0].y) * ux));
    return across <= kLineTolerance * farthest ? layout::on_one_line : layout::spread;
}

bool Finite(const CPt* p, int count) {
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(p[i].x) || !std::isfinite(p[i].y)) return false;
    return true;
}

}  // namespace

snap_defect find_snap_defect(const CPt* plane, const CPt* ground, int count) {
    if (count < 3) return snap_defect::too_few_pairs;
    if (!Finite(plane, count) || !Finite(ground, count)) return snap_defect::not_a_number;
    switch (Layout(plane, count)) {
        case layout::few: return snap_defect::few_plane_points;
        case layout::on_one_line: return snap_defect::plane_on_one_line;
        case layout::spread: break;
    }
    switch (Layout(ground, count)) {
        case layout::few: return snap_defect::few_ground_points;
        case layout::on_one_line: return snap_defect::ground_on_one_line;
        case layout::spread: break;
    }
    return snap_defect::none;
}

std::string explain(snap_defect defect) {
    const std::string cannot = "The foothold points do not determine the transformation: ";
    switch (defect) {
        case snap_defect::none: return {};
        case snap_defect::too_few_pairs: return kMsgNoEnoughFootholds;
        case snap_defect::not_a_number: return cannot + "a coordinate is not a number.";
        case snap_defect::few_plane_points: return cannot + "fewer than 3 of them are at different places on the picture.";
        case snap_defect::plane_on_one_line: return cannot + "their places on the picture all lie on one line.";
        case snap_defect::few_ground_points: return cannot + "fewer than 3 of them have different coordinates.";
        case snap_defect::ground_on_one_line: return cannot + "their coordinates all lie on one line.";
    }
    return {};
}

bool SnapFit(CTrRSS& tr, const CPt* plane, const CPt* ground, int count) {
    if (count < 3) {
        platform::AfxMessageBox(kMsgNoEnoughFootholds, platform::MB_OK);
        return false;
    }
    // Fitted on a copy, so that pairs that do not determine it leave it as it was.
    CTrRSS fitted = tr;
    fitted.Fit(plane, ground, count);
    if (const snap_defect defect = find_snap_defect(plane, ground, count); defect != snap_defect::none) {
        platform::AfxMessageBox(explain(defect), platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return false;
    }
    tr = fitted;
    return true;
}

bool SnapFootHolds(const CFootHold& footholds, CTrRSS& tr, const std::function<void(const CTrRSS&)>& fitted,
                   bool announce) {
    std::vector<CPt> plane, ground;
    plane.reserve(static_cast<std::size_t>(footholds.GetUsedCount()));
    ground.reserve(plane.capacity());
    for (int i = 0; i < footholds.GetCount(); ++i) {
        if (!footholds.IsUsed(i)) continue;
        plane.push_back(footholds.GetPlane(i));
        ground.push_back(*footholds.GetGround(i));
    }
    if (!SnapFit(tr, plane.data(), ground.data(), static_cast<int>(plane.size()))) return false;
    if (fitted) fitted(tr);
    if (announce) platform::AfxMessageBox(kMsgMapSnapped, platform::MB_OK | platform::MB_ICONINFORMATION);
    return true;
}

int AddFootHold(CFootHold& footholds, const platform::CPoint& plane) {
    const int index = footholds.Add(plane);
    if (index < 0) return -1;
    CCoordsDlg dialog(footholds, index);
    if (dialog.DoModal() == platform::IDOK) return index;
    // The new one itself: the nearest might be an older foothold at the same place.
    footholds.RemoveAt(index);
    return -1;
}

}  // namespace georef
