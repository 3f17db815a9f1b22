#pragma once

#include <cstdint>

#include "georef/pt.h"

namespace georef {

// A position in a layer's own plane (a pixel of a picture, a point of a sheet), with two
// further points that are kept with it and used by nothing.
class CBeam {
public:
    CBeam() = default;
    explicit CBeam(const CPt& plane) : m_ptPlane(plane) {}
    virtual ~CBeam() = default;

    CPt m_ptPlane;
    CPt m_ptAux1;
    CPt m_ptAux2;
};

// A foothold: a plane position the operator has tied to the ground. ground.x is the
// longitude and ground.y the latitude in degrees, east and north positive.
class CGroundPoint : public CBeam {
public:
    CGroundPoint(const CPt& plane, std::uint32_t number) : CBeam(plane), m_nNumber(number) {}

    std::uint32_t m_nNumber = 0;
    bool m_bUsed = true;  // takes part in snapping
    CPt m_ptGround;
};

}  // namespace georef
