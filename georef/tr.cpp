#include "georef/tr.h"

#include <cmath>

namespace georef {

CPt CTr::Forward(const CPt&) const { return CPt(); }

CPt CTr::Inverse(const CPt&) const { return CPt(); }

bool CTr::Fit(const CPt*, const CPt*, int) { return false; }

double CTr::Residual(const CPt* src, const CPt* dst, int n) const {
    if (n < 1) return 0.0;
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const double d = (Forward(src[i]) - dst[i]).Length();
        sum += d * d;
    }
    return std::sqrt(sum / n);
}

}  // namespace georef
