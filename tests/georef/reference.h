#pragma once

#include <vector>

#include "georef/matrix.h"
#include "georef/pt.h"

// Plain dense linear algebra for checking the kernel against: written the obvious way,
// sharing nothing with the code under test.
namespace reference {

using dense = std::vector<std::vector<double>>;  // [row][col]

dense from(const georef::CMatrix& m);
georef::CMatrix to(const dense& a);
dense multiply(const dense& a, const dense& b);
dense transpose(const dense& a);
// Gauss-Jordan with partial pivoting; the matrix must be square and regular.
dense inverse(dense a);
dense identity(int n);
// Largest absolute difference of two matrices of the same shape.
double max_difference(const dense& a, const dense& b);
double max_abs(const dense& a);
// A matrix of the given shape with entries from a fixed pseudo-random sequence in [-1, 1).
dense random(int rows, int cols, unsigned seed);

// The rotation-scale-shift model of snapping:
//   X = ( cos(theta) x + sin(theta) y) sx + tx,  Y = (-sin(theta) x + cos(theta) y) sy + ty.
struct rss {
    double theta, sx, sy, tx, ty;
};
georef::CPt Apply(const rss& p, const georef::CPt& q);
double Rms(const rss& p, const std::vector<georef::CPt>& src, const std::vector<georef::CPt>& dst);
// The least-squares optimum of the model with theta in [lo, hi], found by brute force: for a
// fixed angle X depends on one line in x and y and Y on another, each solved in closed form;
// the angle comes from a scan of the interval refined by golden-section search.
rss rss_fit(const std::vector<georef::CPt>& src, const std::vector<georef::CPt>& dst, double lo, double hi);

}  // namespace reference
