#pragma once

#include <vector>

#include "georef/matrix.h"

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

}  // namespace reference
