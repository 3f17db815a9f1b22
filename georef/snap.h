#pragma once

#include <functional>
#include <string>

#include "georef/pt.h"
#include "platform/geometry.h"

namespace georef {

class CFootHold;
class CTrRSS;

inline constexpr char kMsgNoEnoughFootholds[] =
    "No enough foothold points.\r\nAt least 3 points are need to snap the map";
inline constexpr char kMsgMapSnapped[] = "The map was snaped.";

// Why pairs of plane and ground positions cannot fix the rotation, scales and shift of a
// picture: the model needs three places that are not on one line, on the picture and on the
// ground alike.
enum class snap_defect {
    none,
    too_few_pairs,           // fewer than three pairs
    not_a_number,            // a coordinate is infinite or not a number
    few_plane_points,        // fewer than three different places on the picture
    plane_on_one_line,       // the places on the picture all lie on one line
    few_ground_points,       // fewer than three different places on the ground
    ground_on_one_line,      // the places on the ground all lie on one line
};

snap_defect find_snap_defect(const CPt* plane, const CPt* ground, int count);
// The reason in a sentence for the operator; empty for none.
std::string explain(snap_defect defect);

// What every snapping does with its pairs: with fewer than three it tells the operator (OK
// button, no icon) and leaves the transformation as it is. Otherwise it fits; when the pairs
// do not determine the transformation it says why after the kernel's warnings (exclamation
// icon) and leaves the transformation as it was. Answers whether the transformation was
// fitted.
bool SnapFit(CTrRSS& tr, const CPt* plane, const CPt* ground, int count);

// The snapping of a layer: its used footholds, in order, fitted into the transformation the
// layer draws through. fitted (when given) sees the transformation before the operator is
// told "The map was snaped." (unless announce is false: a snap the operator did not ask
// for): a raster layer updates its bounds there.
bool SnapFootHolds(const CFootHold& footholds, CTrRSS& tr,
                   const std::function<void(const CTrRSS&)>& fitted = {}, bool announce = true);

// A foothold placed by a click on a layer: added at the plane position, its coordinates asked
// for; cancelling the dialog takes it away again. Answers its index, or -1 (list full, or
// cancelled).
int AddFootHold(CFootHold& footholds, const platform::CPoint& plane);

}  // namespace georef
