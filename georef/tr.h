#pragma once

#include "georef/pt.h"
#include "platform/object.h"

namespace georef {

// A mapping of one plane into another: a layer's own plane into geographic coordinates,
// or geographic coordinates onto the screen. Point arrays are contiguous.
class CTr : public platform::CObject {
public:
    virtual CPt Forward(const CPt& p) const;
    virtual CPt Inverse(const CPt& p) const;
    virtual bool Fit(const CPt* src, const CPt* dst, int n);
    // Root-mean-square distance between Forward(src) and dst; 0.0 for no points.
    virtual double Residual(const CPt* src, const CPt* dst, int n) const;

    bool IsValid() const { return m_bValid; }

protected:
    bool m_bValid = false;
};

}  // namespace georef
