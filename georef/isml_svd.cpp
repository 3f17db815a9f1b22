#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "georef/isml.h"

namespace georef::isml {
namespace {

// Applies the rotation (c, s) to the pair (x, y).
inline void Rotate(double c, double s, double& x, double& y) {
    const double xr = c * x + s * y;
    y = -s * x + c * y;
    x = xr;
}

inline std::ptrdiff_t Offset(int i, int stride) {
    return static_cast<std::ptrdiff_t>(i - 1) * static_cast<std::ptrdiff_t>(stride);
}

}  // namespace

void Householder(int mode, int LP, int L1, int M, double* U, int IUE, double& UP, double* C,
                 int ICE, int ICV, int NCV) {
    if (LP < 1 || LP >= L1 || L1 > M) return;
    auto u = [&](int j) -> double& { return U[Offset(j, IUE)]; };

    double CL = std::fabs(u(LP));
    if (mode != 2) {
        for (int j = L1; j <= M; ++j) CL = std::max(std::fabs(u(j)), CL);
        if (CL <= 0.0) return;
        const double CLINV = 1.0 / CL;
        double SM = (u(LP) * CLINV) * (u(LP) * CLINV);
        for (int j = L1; j <= M; ++j) SM += (u(j) * CLINV) * (u(j) * CLINV);
        CL *= std::sqrt(SM);
        if (u(LP) > 0.0) CL = -CL;
        UP = u(LP) - CL;
        u(LP) = CL;
    } else if (CL <= 0.0) {
        return;
    }

    if (NCV <= 0) return;
    double B = UP * u(LP);
    if (B >= 0.0) return;
    B = 1.0 / B;

    for (int J = 1; J <= NCV; ++J) {
        double* vector = C + Offset(J, ICV);
        auto c = [&](int i) -> double& { return vector[Offset(i, ICE)]; };
        double SM = c(LP) * UP;
        for (int i = L1; i <= M; ++i) SM += c(i) * u(i);
        if (SM == 0.0) continue;
        SM *= B;
        c(LP) += SM * UP;
        for (int i = L1; i <= M; ++i) c(i) += SM * u(i);
    }
}

void Givens(double a, double b, double& c, double& s, double& sig) {
    if (std::fabs(b) >= std::fabs(a)) {
        if (b == 0.0) {
            sig = 0.0;
            c = 0.0;
            s = 1.0;
            return;
        }
        const double t = std::fabs(b + b);
        const double q = a / t;
        sig = t * std::sqrt(q * q + 0.25);
    } else {
        const double t = std::fabs(a + a);
        const double q = b / t;
        sig = t * std::sqrt(q * q + 0.25);
    }
    c = a / sig;
    s = b / sig;
}

void LSVDB(double* D_, double* E_, int N, double* V_, int IV, int NRV, double* C_, int IC, int NCC,
           int& IER) {
    IER = 0;
    if (N < 1) return;
    auto D = [&](int i) -> double& { return D_[i - 1]; };
    auto E = [&](int i) -> double& { return E_[i - 1]; };
    auto V = [&](int i, int j) -> double& { return V_[Offset(j, IV) + (i - 1)]; };
    auto C = [&](int i, int j) -> double& { return C_[Offset(j, IC) + (i - 1)]; };

    const int MAXIT = 10 * N;
    E(1) = 0.0;
    double DNORM = 0.0;
    for (int i = 1; i <= N; ++i) DNORM = std::max(DNORM, std::fabs(D(i)) + std::fabs(E(i)));
    // Small beside the norm of the whole matrix, in double arithmetic.
    auto negligible = [DNORM](double x) { return DNORM + x == DNORM; };

    int sweeps = 0;
    bool failed = false;
    for (int k = N; k >= 1; --k) {
        for (;;) {
            // A negligible last diagonal element: chase E(k) out by rotations from the right.
            if (k > 1 && negligible(D(k))) {
                double c = 0.0, s = -1.0;
                for (int i = k - 1; i >= 1; --i) {
                    const double f = -s * E(i + 1);
                    E(i + 1) = c * E(i + 1);
                    Givens(D(i), f, c, s, D(i));
                    for (int j = 1; j <= NRV; ++j) Rotate(c, s, V(j, i), V(j, k));
                }
            }

            // Split test. E(1) = 0 ends the search at l = 1; the bound keeps D(0) out of
            // reach even when the norm itself is not a number.
            int l = k;
            bool cancel = false;
            for (; l > 1; --l) {
                if (negligible(E(l))) break;
                if (negligible(D(l - 1))) {
                    cancel = true;
                    break;
                }
            }

            if (cancel) {
                double c = 0.0, s = -1.0;
                for (int i = l; i <= k; ++i) {
                    const double f = -s * E(i);
                    E(i) = c * E(i);
                    if (negligible(f)) break;
                    Givens(D(i), f, c, s, D(i));
                    for (int j = 1; j <= NCC; ++j) Rotate(c, s, C(i, j), C(l - 1, j));
                }
            }

            const double z = D(k);
            if (l == k) {
                if (z < 0.0) {
                    D(k) = -z;
                    for (int j = 1; j <= NRV; ++j) V(j, k) = -V(j, k);
                }
                break;
            }

            // Shift from the trailing 2 x 2, then one QR sweep from l to k.
            double x = D(l);
            double y = D(k - 1);
            double g = E(k - 1);
            double h = E(k);
            double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
            g = std::sqrt(f * f + 1.0);
            f = ((x - z) * (x + z) + h * (y / (f < 0.0 ? f - g : f + g) - h)) / x;

            double c = 1.0, s = 1.0;
            for (int i = l + 1; i <= k; ++i) {
                g = E(i);
                y = D(i);
                h = s * g;
                g = c * g;
                Givens(f, h, c, s, E(i - 1));
                f = x * c + g * s;
                g = -x * s + g * c;
                h = y * s;
                y = y * c;
                for (int j = 1; j <= NRV; ++j) Rotate(c, s, V(j, i - 1), V(j, i));
                Givens(f, h, c, s, D(i - 1));
                f = c * g + s * y;
                x = -s * g + c * y;
                for (int j = 1; j <= NCC; ++j) Rotate(c, s, C(i - 1, j), C(i, j));
            }
            E(l) = 0.0;
            E(k) = f;
            D(k) = x;
            if (++sweeps > MAXIT) {
                failed = true;
                break;
            }
        }
    }

    // Into non-increasing order, carrying the rows of C and the columns of V along.
    bool unsorted = false;
    for (int i = 2; i <= N; ++i) unsorted = unsorted || D(i - 1) < D(i);
    if (unsorted) {
        for (int i = 2; i <= N; ++i) {
            int largest = i - 1;
            for (int j = i; j <= N; ++j)
                if (D(j) > D(largest)) largest = j;
            if (largest == i - 1) continue;
            std::swap(D(largest), D(i - 1));
            for (int j = 1; j <= NCC; ++j) std::swap(C(largest, j), C(i - 1, j));
            for (int j = 1; j <= NRV; ++j) std::swap(V(j, largest), V(j, i - 1));
        }
    }

    if (failed) {
        IER = 129;
        ErrorReport(IER, "LSVDB ");
        return;
    }
    IER = 33;
    const double T = D(1) != 0.0 ? D(N) / D(1) : 0.0;
    if (100.0 + T == 100.0) {
        ErrorReport(IER, "LSVDB ");
        return;
    }
    IER = 0;
}

}  // namespace georef::isml
