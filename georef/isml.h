#pragma once

#include <cstddef>
#include <vector>

// The numerical kernel of the least-squares fitting: a generalised inverse through a
// singular value decomposition, kept in the conventions of the Fortran library it comes
// from. Inside the kernel matrices are column-major and indices start at 1; every routine
// reports through an IER code, and the message routine shows what the operator should know.
namespace georef::isml {

// A zero-filled column-major work matrix of the kernel: element (i, j), 1-based, at
// (j - 1) * nrows + (i - 1). A vector is a work matrix of one column.
class CWorkMatrix {
public:
    CWorkMatrix(int nrows, int ncols)
        : m_nRows(nrows < 0 ? 0 : nrows),
          m_nCols(ncols < 0 ? 0 : ncols),
          m_pData(static_cast<std::size_t>(m_nRows) * static_cast<std::size_t>(m_nCols), 0.0) {}

    double& operator()(int i, int j) { return m_pData[Index(i, j)]; }
    double operator()(int i, int j) const { return m_pData[Index(i, j)]; }
    double* data() { return m_pData.data(); }
    int rows() const { return m_nRows; }
    int cols() const { return m_nCols; }

private:
    std::size_t Index(int i, int j) const {
        return static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(m_nRows) +
               static_cast<std::size_t>(i - 1);
    }

    int m_nRows;
    int m_nCols;
    std::vector<double> m_pData;
};

// Generalised (Moore-Penrose) inverse of the M x N matrix A (leading dimension IA, at
// least max(M, N), and at least N columns) into the N x M matrix AINV (leading dimension
// IAINV). Singular values not above TOL times the largest are dropped. On return the first
// N rows of A hold V, S (N) the singular values in non-increasing order; WK is N x 2.
void LGINF(double* A, int IA, int M, int N, double TOL, double* AINV, int IAINV, double* S,
           double* WK, int& IER);

// Singular value decomposition of A (M x N, leading dimension IA) by Householder
// bidiagonalisation and LSVDB. The transformations from the left are applied to the N
// vectors of B whose NB elements stand IB apart (the rows of B). On return the first N rows
// of A hold V and S the singular values; WK is N x 2.
void SvdReduce(double* A, int IA, int M, int N, double* B, int IB, int NB, double* S, double* WK,
               int& IER);

// Householder reflection: mode 1 builds it from U(LP), U(L1..M) (elements IUE apart) and
// applies it, mode 2 applies the one held in U and UP. The NCV target vectors of C start
// ICV apart, their elements stand ICE apart.
void Householder(int mode, int LP, int L1, int M, double* U, int IUE, double& UP, double* C,
                 int ICE, int ICV, int NCV);

// Plane rotation (c, s) that takes (a, b) to (sig, 0), without overflow; sig >= 0.
void Givens(double a, double b, double& c, double& s, double& sig);

// Singular values of the upper bidiagonal matrix with diagonal D(1..N) and super-diagonal
// E(2..N) by implicit-shift QR. The right rotations go to the NRV rows of V (leading
// dimension IV), the left ones to the rows of C (NCC columns, leading dimension IC).
void LSVDB(double* D, double* E, int N, double* V, int IV, int NRV, double* C, int IC, int NCC,
           int& IER);

// The message routine: shows the message of code IER from the routine NAME (six
// characters) when the message level allows it. A code in -32..32 from "UERSET" sets the
// level instead and answers the former one in IER.
void ErrorReport(int& IER, const char* NAME);

// Sets the process-wide message level (0..4; anything else becomes 4) and answers the
// former one in LEVOLD. It shows nothing.
void UERSET(int LEVEL, int& LEVOLD);

}  // namespace georef::isml
