#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "georef/isml.h"
#include "georef/matrix.h"
#include "tests/georef/kernel_fixture.h"
#include "tests/georef/reference.h"

using georef::isml::CWorkMatrix;
using reference::dense;

namespace {

struct Decomposition {
    std::vector<double> s;
    dense v;  // N x N
    dense inverse;
    int ier = 0;
};

// Runs LGINF on a matrix given by rows, the way the matrix class does.
Decomposition Lginf(const dense& a, double tol = 0.0) {
    const int M = static_cast<int>(a.size()), N = static_cast<int>(a[0].size()), IA = std::max(M, N);
    CWorkMatrix A(IA, N), AINV(N, M), S(N, 1), WK(N, 2);
    for (int i = 1; i <= M; ++i)
        for (int j = 1; j <= N; ++j) A(i, j) = a[i - 1][j - 1];
    Decomposition d;
    georef::isml::LGINF(A.data(), IA, M, N, tol, AINV.data(), N, S.data(), WK.data(), d.ier);
    for (int i = 1; i <= N; ++i) d.s.push_back(S(i, 1));
    d.v.assign(N, std::vector<double>(N));
    for (int i = 1; i <= N; ++i)
        for (int j = 1; j <= N; ++j) d.v[i - 1][j - 1] = A(i, j);
    d.inverse.assign(N, std::vector<double>(M));
    for (int i = 1; i <= N; ++i)
        for (int j = 1; j <= M; ++j) d.inverse[i - 1][j - 1] = AINV(i, j);
    return d;
}

double frobenius2(const dense& a) {
    double sum = 0.0;
    for (const auto& row : a)
        for (double v : row) sum += v * v;
    return sum;
}

}  // namespace

TEST_F(KernelTest, SingularValuesSortedNonNegativeAndComplete) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        const dense a = reference::random(9, 5, 100 + seed);
        const Decomposition d = Lginf(a);
        EXPECT_EQ(d.ier, 0);
        double sum = 0.0;
        for (std::size_t i = 0; i < d.s.size(); ++i) {
            EXPECT_GE(d.s[i], 0.0);
            if (i) {
                EXPECT_LE(d.s[i], d.s[i - 1]);
            }
            sum += d.s[i] * d.s[i];
        }
        // The squares of the singular values add up to the squared Frobenius norm.
        EXPECT_NEAR(sum, frobenius2(a), 1e-12 * sum);
        // V is orthogonal, and A V has orthogonal columns of lengths s.
        EXPECT_LT(reference::max_difference(reference::multiply(reference::transpose(d.v), d.v),
                                            reference::identity(5)),
                  1e-13);
        const dense av = reference::multiply(a, d.v);
        const dense gram = reference::multiply(reference::transpose(av), av);
        for (int i = 0; i < 5; ++i)
            for (int j = 0; j < 5; ++j)
                EXPECT_NEAR(gram[i][j], i == j ? d.s[i] * d.s[i] : 0.0, 1e-12) << i << "," << j;
    }
}

TEST_F(KernelTest, SingularValuesOfDiagonalAndEqualValues) {
    // Negative diagonal elements come out positive, sorted with their vectors.
    const Decomposition d = Lginf({{-3, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 5, 0}, {0, 0, 0, 2}});
    EXPECT_EQ(d.s, (std::vector<double>{5, 3, 2, 1}));
    EXPECT_EQ(std::fabs(d.v[2][0]), 1.0);
    EXPECT_EQ(std::fabs(d.v[0][1]), 1.0);
    EXPECT_EQ(std::fabs(d.v[3][2]), 1.0);
    EXPECT_EQ(std::fabs(d.v[1][3]), 1.0);

    // Equal values are left in their order: V stays the identity but for signs.
    const Decomposition e = Lginf(reference::identity(3));
    EXPECT_EQ(e.s, (std::vector<double>{1, 1, 1}));
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_EQ(std::fabs(e.v[i][j]), i == j ? 1.0 : 0.0);
    EXPECT_EQ(e.inverse, reference::identity(3));
}

TEST_F(KernelTest, ToleranceDropsSmallSingularValues) {
    const dense a = {{10, 0}, {0, 0.5}, {0, 0}};
    EXPECT_EQ(Lginf(a, 0.0).inverse, (dense{{0.1, 0, 0}, {0, 2, 0}}));
    EXPECT_EQ(Lginf(a, 0.06).inverse, (dense{{0.1, 0, 0}, {0, 0, 0}}));
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(KernelTest, MessageTextsAndLevels) {
    struct Case {
        int ier;
        int shown_from;  // lowest level that shows it; 5 for never
        const char* text;
    };
    const Case cases[] = {
        {1000, 4, "UNDEFINED ERROR,9X,7H(IER = 1000) FROM IMSL ROUTINE LGINF   "},
        {129, 1, "TERMINAL ERROR,10X,7H(IER = 129) FROM IMSL ROUTINE LGINF   "},
        {999, 1, "TERMINAL ERROR,10X,7H(IER = 999) FROM IMSL ROUTINE LGINF   "},
        {128, 2, "WARNING WITH FIX ERROR  (IER = 128) FROM IMSL ROUTINE LGINF   "},
        {65, 2, "WARNING WITH FIX ERROR  (IER = 65) FROM IMSL ROUTINE LGINF   "},
        {64, 3, "WARNING ERROR,11X,7H(IER = 64) FROM IMSL ROUTINE LGINF   "},
        {33, 3, "WARNING ERROR,11X,7H(IER = 33) FROM IMSL ROUTINE LGINF   "},
        {32, 4, "UNDEFINED ERROR,9X,7H(IER = 32) FROM IMSL ROUTINE LGINF   "},
        {-32, 4, "UNDEFINED ERROR,9X,7H(IER = -32) FROM IMSL ROUTINE LGINF   "},
        {-33, 5, ""},
    };
    for (const Case& c : cases) {
        for (int level = 0; level <= 4; ++level) {
            SetLevel(level);
            ui.clear();
            int ier = c.ier;
            georef::isml::ErrorReport(ier, "LGINF ");
            EXPECT_EQ(ier, c.ier);
            EXPECT_EQ(Level(), level);
            if (level >= c.shown_from) {
                ASSERT_EQ(ui.messages().size(), 1u) << c.ier << " at " << level;
                EXPECT_EQ(ui.messages()[0].text, c.text);
                EXPECT_EQ(ui.messages()[0].caption, "ISML Message");
            } else {
                EXPECT_TRUE(ui.messages().empty()) << c.ier << " at " << level;
            }
        }
    }
}

TEST_F(KernelTest, LevelSetting) {
    int old = 0;
    georef::isml::UERSET(2, old);
    EXPECT_EQ(old, 4);
    georef::isml::UERSET(9, old);
    EXPECT_EQ(old, 2);
    EXPECT_EQ(Level(), 4);
    georef::isml::UERSET(-1, old);
    EXPECT_EQ(Level(), 4);
    georef::isml::UERSET(0, old);
    EXPECT_EQ(Level(), 0);

    // Through the message routine under the name of the level setting: nothing shown, the
    // former level comes back in the code.
    int ier = 3;
    georef::isml::ErrorReport(ier, "UERSET");
    EXPECT_EQ(ier, 0);
    EXPECT_EQ(Level(), 3);
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(KernelTest, WarningFollowsTheLevelAndTheLevelComesBack) {
    const georef::CMatrix singular = reference::to({{1, 2}, {2, 4}, {3, 6}});
    for (int level : {4, 3, 2, 0}) {
        SetLevel(level);
        ui.clear();
        const dense p = reference::from(singular.PseudoInverse());
        EXPECT_EQ(ui.messages().size(), level >= 3 ? 1u : 0u) << level;
        EXPECT_EQ(Level(), level);
        // The rank-one inverse: A' / |A|^2 with |A|^2 = 70.
        EXPECT_NEAR(p[1][2], 6.0 / 70.0, 1e-12);
    }
}

TEST_F(KernelTest, NearlySingularWarnsOnlyBelowTheThreshold) {
    // Singular values 1 and eps: 100 + eps rounds to 100 below about 1.4e-14.
    for (double eps : {1e-15, 1e-13}) {
        ui.clear();
        const Decomposition d = Lginf({{1, 0}, {0, eps}, {0, 0}});
        EXPECT_EQ(d.s[1], eps);
        EXPECT_EQ(d.ier, eps < 1.4e-14 ? 33 : 0);
        EXPECT_EQ(ui.messages().size(), eps < 1.4e-14 ? 1u : 0u);
        // Without a tolerance tiny values are inverted, not dropped.
        EXPECT_EQ(d.inverse[1][1], 1.0 / eps);
    }
}

TEST_F(KernelTest, ConvergenceFailureIsTerminalAndLeavesTheLevelAtOne) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Decomposition d = Lginf({{1, 2, 3}, {4, nan, 6}, {7, 8, 9}, {1, 1, 1}});
    EXPECT_EQ(d.ier, 129);
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[0].text, "TERMINAL ERROR,10X,7H(IER = 129) FROM IMSL ROUTINE LSVDB   ");
    EXPECT_EQ(ui.messages()[1].text, "TERMINAL ERROR,10X,7H(IER = 129) FROM IMSL ROUTINE LGINF   ");
    EXPECT_EQ(Level(), 1);

    // From now on warnings are no longer shown; terminal errors still are.
    ui.clear();
    reference::to({{1, 2}, {2, 4}}).PseudoInverse();
    EXPECT_TRUE(ui.messages().empty());
    reference::to({{nan, 1}, {1, 1}}).PseudoInverse();
    EXPECT_EQ(ui.messages().size(), 2u);
}

TEST(Givens, RotationsWithoutOverflow) {
    double c, s, sig;
    georef::isml::Givens(3.0, 4.0, c, s, sig);
    EXPECT_DOUBLE_EQ(sig, 5.0);
    EXPECT_DOUBLE_EQ(c, 0.6);
    EXPECT_DOUBLE_EQ(s, 0.8);
    georef::isml::Givens(-8.0, 6.0, c, s, sig);
    EXPECT_DOUBLE_EQ(sig, 10.0);
    EXPECT_DOUBLE_EQ(c * -8.0 + s * 6.0, 10.0);
    EXPECT_NEAR(-s * -8.0 + c * 6.0, 0.0, 1e-15);
    georef::isml::Givens(0.0, 0.0, c, s, sig);
    EXPECT_EQ(sig, 0.0);
    EXPECT_EQ(c, 0.0);
    EXPECT_EQ(s, 1.0);
    georef::isml::Givens(1e300, 1e300, c, s, sig);
    EXPECT_DOUBLE_EQ(sig, std::sqrt(2.0) * 1e300);
    georef::isml::Givens(3e-300, 4e-300, c, s, sig);
    EXPECT_DOUBLE_EQ(sig, 5e-300);
}

TEST(Householder, ReflectsAVectorOntoItsPivot) {
    // Elements two apart, as a row of a column-major matrix.
    double u[] = {9, 0, 3, 0, 0, 0, 4, 0};
    double copy[8];
    std::copy(std::begin(u), std::end(u), copy);
    double up = 0.0;
    // Build from elements 2..4 (pivot 2) and apply to a copy of the same vector.
    georef::isml::Householder(1, 2, 3, 4, u, 2, up, copy, 2, 8, 1);
    EXPECT_DOUBLE_EQ(u[2], -5.0);  // the pivot becomes minus the norm
    EXPECT_DOUBLE_EQ(copy[2], -5.0);
    EXPECT_NEAR(copy[4], 0.0, 1e-15);
    EXPECT_NEAR(copy[6], 0.0, 1e-15);
    EXPECT_EQ(copy[0], 9.0);  // outside the reflection

    // Applying it again (mode 2) restores the vector: a reflection is its own inverse.
    double w[] = {9, 0, -5, 0, 0, 0, 0, 0};
    georef::isml::Householder(2, 2, 3, 4, u, 2, up, w, 2, 8, 1);
    EXPECT_NEAR(w[2], 3.0, 1e-15);
    EXPECT_NEAR(w[4], 0.0, 1e-15);
    EXPECT_NEAR(w[6], 4.0, 1e-15);

    // Nothing happens for a bad range.
    double z[] = {1, 2, 3};
    georef::isml::Householder(1, 3, 3, 3, z, 1, up, z, 1, 3, 1);
    EXPECT_EQ(z[2], 3.0);
}
