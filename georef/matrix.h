#pragma once

#include <vector>

#include "platform/geometry.h"
#include "platform/object.h"

namespace georef {

// A dense matrix of doubles, stored row by row. Every accessor takes the column first and
// the row second, both from 0, and none checks bounds. A column vector has one column.
class CMatrix : public platform::CObject {
public:
    // A count below 1 is taken as 0.
    explicit CMatrix(int cols = 0, int rows = 0);

    double GetAt(int col, int row) const { return m_pData[Index(col, row)]; }
    void SetAt(int col, int row, double value) { m_pData[Index(col, row)] = value; }
    // (cols, rows).
    platform::CSize GetSize() const { return {m_nCols, m_nRows}; }
    bool IsEmpty() const { return m_nCols == 0 || m_nRows == 0; }

    // self x other; an empty 0 x 0 matrix when self's columns are not other's rows.
    CMatrix operator*(const CMatrix& other) const;
    void Transpose();
    void Scale(double factor);
    // A one-column matrix; an empty 0 x 0 matrix for an index outside the columns.
    CMatrix GetColumn(int index) const;
    // Removing the only column leaves an empty matrix.
    void RemoveColumn(int index);
    // The generalised inverse: rows x cols for a cols x rows matrix. Rank deficiency and
    // trouble in the kernel are shown to the operator; the result is used as computed.
    CMatrix PseudoInverse() const;

private:
    std::size_t Index(int col, int row) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_nCols) +
               static_cast<std::size_t>(col);
    }

    int m_nCols;
    int m_nRows;
    std::vector<double> m_pData;
};

}  // namespace georef
