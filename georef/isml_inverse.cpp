#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "georef/isml.h"

namespace georef::isml {
namespace {

// Column-major, 1-based addressing of the kernel's arrays.
class ColumnMajor {
public:
    ColumnMajor(double* data, int ld) : m_pData(data), m_nLd(ld) {}
    double* at(int i, int j) const {
        return m_pData + static_cast<std::ptrdiff_t>(j - 1) * m_nLd + (i - 1);
    }
    double& operator()(int i, int j) const { return *at(i, j); }

private:
    double* m_pData;
    std::ptrdiff_t m_nLd;
};

}  // namespace

void SvdReduce(double* A_, int IA, int M, int N, double* B_, int IB, int NB, double* S_, double* WK_,
               int& IER) {
    if (N < 1 || M < 1) {
        IER = 34;
        return;
    }
    IER = 0;
    const ColumnMajor A(A_, IA), B(B_, IB), WK(WK_, N);
    auto S = [&](int i) -> double& { return S_[i - 1]; };

    // Zero columns go to the right; the first element of each one moved out records the
    // place it came from, so that V can be put back in order at the end.
    int NN = N;
    for (int j = N; j >= 1; --j) {
        bool zero = true;
        for (int i = 1; i <= M && zero; ++i) zero = A(i, j) == 0.0;
        if (!zero) continue;
        if (j != NN)
            for (int i = 1; i <= M; ++i) A(i, j) = A(i, NN);
        A(1, NN) = j;
        --NN;
    }

    int NS = 0;
    int MM = M;
    if (NN > 0) {
        // Zero rows go to the bottom, out of the reduction.
        int i = 1;
        std::vector<std::pair<int, int>> exchanges;
        while (i <= N && i < MM) {
            bool nonzero = A(i, i) != 0.0;
            for (int j = 1; j <= NN && !nonzero; ++j) nonzero = A(i, j) != 0.0;
            if (nonzero) {
                ++i;
                continue;
            }
            exchanges.emplace_back(i, MM);
            for (int j = 1; j <= NN; ++j) A(i, j) = A(MM, j);
            if (MM <= NN)
                for (int j = 1; j <= NN; ++j) A(MM, j) = 0.0;
            --MM;
        }

        // Householder reduction to upper bidiagonal form.
        const int MINMN = std::min(MM, NN);
        for (int i = 1; i <= MINMN; ++i) {
            if (i < MM) Householder(1, i, i + 1, MM, A.at(1, i), 1, S(i), A.at(1, i + 1), 1, IA, NN - i);
            if (i < NN - 1)
                Householder(1, i + 1, i + 2, NN, A.at(i, 1), IA, WK(i, 2), A.at(i + 1, 1), IA, 1, MM - i);
        }

        // The left reflections go to the rows of B in reverse order, so that B's rows come
        // out as rows of the left factor. The row exchanges above stand to the right of
        // the reflections in that factor and are therefore applied after them, last one first.
        if (NB > 0) {
            for (int i = MINMN; i >= 1; --i)
                if (i < MM) Householder(2, i, i + 1, MM, A.at(1, i), 1, S(i), B_, IB, 1, N);
            for (auto it = exchanges.rbegin(); it != exchanges.rend(); ++it)
                for (int l = 1; l <= N; ++l) std::swap(B(l, it->first), B(l, it->second));
        }

        // The bidiagonal: diagonal in S, super-diagonal in WK(., 1).
        S(1) = A(1, 1);
        for (int i = 2; i <= MINMN; ++i) {
            S(i) = A(i, i);
            WK(i, 1) = A(i - 1, i);
        }
        NS = NN;
        if (MM < NN) {
            NS = MM + 1;
            S(NS) = 0.0;
            WK(NS, 1) = A(MM, MM + 1);
        }

        // V from the right reflections, in the first NN rows of A.
        for (int k = NN; k >= 1; --k) {
            if (k <= std::min(MM, NN - 2))
                Householder(2, k + 1, k + 2, NN, A.at(k, 1), IA, WK(k, 2), A.at(1, k + 1), 1, IA, NN - k);
            for (int j = 1; j <= NN; ++j) A(k, j) = 0.0;
            A(k, k) = 1.0;
        }
    }

    // A negligible singular value is judged below against the whole matrix, so LSVDB's own
    // warning is held back; a terminal error leaves the level where it is.
    int LEVOLD = 0, unused = 0;
    UERSET(1, LEVOLD);
    LSVDB(S_, WK.at(1, 1), NS, A_, IA, NN, B_, IB, NB, IER);
    if (IER > 128) return;
    UERSET(LEVOLD, unused);

    if (IER == 33) {
        const int K = std::min(N, M);
        const double T = S(1) != 0.0 ? S(K) / S(1) : 0.0;
        if (100.0 + T != 100.0) IER = 0;
    }

    for (int i = NS + 1; i <= NN; ++i) S(i) = 0.0;
    if (NN < N) {
        // Every zero column gets the singular value 0 and a unit vector in V.
        for (int i = NN + 1; i <= N; ++i) {
            S(i) = A(1, i);
            for (int l = 1; l <= NN; ++l) A(l, i) = 0.0;
        }
        for (int i = NN + 1; i <= N; ++i) {
            const int L = static_cast<int>(S(i));
            S(i) = 0.0;
            for (int j = 1; j <= N; ++j) {
                A(i, j) = A(L, j);
                A(L, j) = 0.0;
            }
            A(L, i) = 1.0;
        }
    }
}

void LGINF(double* A_, int IA, int M, int N, double TOL, double* AINV_, int IAINV, double* S, double* WK_,
           int& IER) {
    IER = 0;
    const ColumnMajor A(A_, IA), AINV(AINV_, IAINV), WK(WK_, N);
    for (int j = 1; j <= M; ++j)
        for (int i = 1; i <= N; ++i) AINV(i, j) = 0.0;
    for (int i = 1; i <= std::min(M, N); ++i) AINV(i, i) = 1.0;

    SvdReduce(A_, IA, M, N, AINV_, IAINV, M, S, WK_, IER);
    if (IER <= 128) {
        // An empty matrix has no singular value to measure the tolerance by.
        const int K = std::min(M, N);
        if (K >= 1) {
            const double T = S[0] * std::max(TOL, 0.0);
            for (int i = 1; i <= K; ++i) {
                const bool kept = S[i - 1] > T;
                for (int j = 1; j <= M; ++j) AINV(i, j) = kept ? AINV(i, j) / S[i - 1] : 0.0;
            }
            // V times the scaled rows: V S+ U'.
            for (int j = 1; j <= M; ++j) {
                for (int l = 1; l <= N; ++l) {
                    double sum = 0.0;
                    for (int i = 1; i <= K; ++i) sum += A(l, i) * AINV(i, j);
                    WK(l, 1) = sum;
                }
                for (int l = 1; l <= N; ++l) AINV(l, j) = WK(l, 1);
            }
        }
        if (IER == 0) return;
    }
    ErrorReport(IER, "LGINF ");
}

}  // namespace georef::isml
