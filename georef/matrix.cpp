#include "georef/matrix.h"

#include <algorithm>
#include <limits>

#include "georef/isml.h"

namespace georef {

CMatrix::CMatrix(int cols, int rows)
    : m_nCols(cols < 1 ? 0 : cols),
      m_nRows(rows < 1 ? 0 : rows),
      m_pData(static_cast<std::size_t>(m_nCols) * static_cast<std::size_t>(m_nRows)) {}

CMatrix CMatrix::operator*(const CMatrix& other) const {
    if (m_nCols != other.m_nRows) return CMatrix();
    CMatrix result(other.m_nCols, m_nRows);
    for (int r = 0; r < m_nRows; ++r) {
        for (int c = 0; c < other.m_nCols; ++c) {
            double sum = 0.0;
            for (int k = 0; k < m_nCols; ++k) sum += GetAt(k, r) * other.GetAt(c, k);
            result.SetAt(c, r, sum);
        }
    }
    return result;
}

void CMatrix::Transpose() {
    CMatrix result(m_nRows, m_nCols);
    for (int r = 0; r < m_nRows; ++r)
        for (int c = 0; c < m_nCols; ++c) result.SetAt(r, c, GetAt(c, r));
    *this = std::move(result);
}

void CMatrix::Scale(double factor) {
    for (double& v : m_pData) v *= factor;
}

CMatrix CMatrix::GetColumn(int index) const {
    if (index < 0 || index >= m_nCols) return CMatrix();
    CMatrix column(1, m_nRows);
    for (int r = 0; r < m_nRows; ++r) column.SetAt(0, r, GetAt(index, r));
    return column;
}

void CMatrix::RemoveColumn(int index) {
    if (IsEmpty()) return;
    if (m_nCols == 1) {
        *this = CMatrix();
        return;
    }
    if (index < 0 || index >= m_nCols) return;
    std::vector<double> kept;
    kept.reserve(static_cast<std::size_t>(m_nCols - 1) * static_cast<std::size_t>(m_nRows));
    for (int r = 0; r < m_nRows; ++r)
        for (int c = 0; c < m_nCols; ++c)
            if (c != index) kept.push_back(GetAt(c, r));
    --m_nCols;
    m_pData = std::move(kept);
}

CMatrix CMatrix::PseudoInverse() const {
    const int M = m_nRows, N = m_nCols, IA = std::max(M, N);
    // The kernel builds V in the first N rows of its copy, so the copy has max(M, N) rows;
    // no column beyond the N-th is ever touched, so it has N columns.
    isml::CWorkMatrix A(IA, N);
    for (int j = 1; j <= N; ++j)
        for (int i = 1; i <= M; ++i) A(i, j) = GetAt(j - 1, i - 1);
    isml::CWorkMatrix AINV(N, M), S(N, 1), WK(N, 2);

    // Singular values at the level of rounding noise are dropped rather than inverted:
    // their reciprocals would only blow the noise up into the result. The kernel still
    // warns when the smallest one is negligible.
    const double TOL = IA * std::numeric_limits<double>::epsilon();
    // What the kernel reports has been shown to the operator already.
    int IER = 0;
    isml::LGINF(A.data(), IA, M, N, TOL, AINV.data(), N, S.data(), WK.data(), IER);

    CMatrix result(M, N);
    for (int j = 1; j <= M; ++j)
        for (int i = 1; i <= N; ++i) result.SetAt(j - 1, i - 1, AINV(i, j));
    return result;
}

}  // namespace georef
