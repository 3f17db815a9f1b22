#pragma once

#include "georef/pt.h"

namespace georef {

class CTrRSS;

inline constexpr char kMsgNoEnoughFootholds[] =
    "No enough foothold points.\r\nAt least 3 points are need to snap the map";

// What every snapping does with its pairs of plane and ground positions: with fewer than
// three it tells the operator (OK button, no icon) and leaves the transformation as it is;
// otherwise it fits the transformation to them. Answers whether it fitted.
bool SnapFit(CTrRSS& tr, const CPt* plane, const CPt* ground, int count);

}  // namespace georef
