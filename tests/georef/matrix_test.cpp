#include <gtest/gtest.h>

#include <cmath>

#include "georef/matrix.h"
#include "tests/georef/kernel_fixture.h"
#include "tests/georef/reference.h"

using georef::CMatrix;
using reference::dense;

namespace {

dense pinv(const dense& a) { return reference::from(reference::to(a).PseudoInverse()); }

// The pseudo-inverse by the normal equations, (A'A)^-1 A' for full column rank and
// A'(AA')^-1 for full row rank.
dense normal_equations(const dense& a) {
    const dense at = reference::transpose(a);
    if (a.size() >= a[0].size()) return reference::multiply(reference::inverse(reference::multiply(at, a)), at);
    return reference::multiply(at, reference::inverse(reference::multiply(a, at)));
}

// The four Penrose conditions, which pin the generalised inverse down whatever the rank.
void ExpectPenrose(const dense& a, const dense& p, double tol) {
    const dense ap = reference::multiply(a, p), pa = reference::multiply(p, a);
    EXPECT_LT(reference::max_difference(reference::multiply(ap, a), a), tol);
    EXPECT_LT(reference::max_difference(reference::multiply(pa, p), p), tol);
    EXPECT_LT(reference::max_difference(ap, reference::transpose(ap)), tol);
    EXPECT_LT(reference::max_difference(pa, reference::transpose(pa)), tol);
}

}  // namespace

TEST(Matrix, ShapesAndEmptiness) {
    CMatrix negative(-3, 4);
    EXPECT_EQ(negative.GetSize().cx, 0);
    EXPECT_EQ(negative.GetSize().cy, 4);
    EXPECT_TRUE(negative.IsEmpty());
    EXPECT_TRUE(CMatrix().IsEmpty());

    CMatrix m(3, 2);  // 3 columns, 2 rows
    EXPECT_FALSE(m.IsEmpty());
    m.SetAt(2, 1, 7.5);
    m.SetAt(0, 1, -1.0);
    CMatrix copy = m;
    m.SetAt(2, 1, 0.0);
    EXPECT_EQ(copy.GetAt(2, 1), 7.5);
    EXPECT_EQ(copy.GetAt(0, 1), -1.0);
    copy = copy;
    EXPECT_EQ(copy.GetAt(2, 1), 7.5);
}

TEST(Matrix, ProductTransposeScale) {
    const dense a = {{1, 2, 3}, {4, 5, 6}};
    const dense b = {{7, 8}, {9, 10}, {11, 12}};
    EXPECT_EQ(reference::from(reference::to(a) * reference::to(b)), reference::multiply(a, b));

    // 5 columns x 10 rows times 3 columns x 4 rows: no product.
    CMatrix mismatch = CMatrix(5, 10) * CMatrix(3, 4);
    EXPECT_EQ(mismatch.GetSize().cx, 0);
    EXPECT_EQ(mismatch.GetSize().cy, 0);

    CMatrix t = reference::to(a);
    t.Transpose();
    EXPECT_EQ(reference::from(t), reference::transpose(a));
    t.Scale(-2.0);
    EXPECT_EQ(t.GetAt(1, 2), -12.0);
    EXPECT_EQ(t.GetAt(0, 0), -2.0);
}

TEST(Matrix, ColumnsOutAndAway) {
    const CMatrix m = reference::to({{1, 2, 3}, {4, 5, 6}});
    EXPECT_EQ(reference::from(m.GetColumn(1)), (dense{{2}, {5}}));
    EXPECT_TRUE(m.GetColumn(3).IsEmpty());
    EXPECT_TRUE(m.GetColumn(-1).IsEmpty());

    CMatrix cut = m;
    cut.RemoveColumn(1);
    EXPECT_EQ(reference::from(cut), (dense{{1, 3}, {4, 6}}));
    cut.RemoveColumn(7);  // outside: nothing happens
    EXPECT_EQ(cut.GetSize().cx, 2);
    cut.RemoveColumn(0);
    cut.RemoveColumn(0);
    EXPECT_TRUE(cut.IsEmpty());
    EXPECT_EQ(cut.GetSize().cx, 0);
    EXPECT_EQ(cut.GetSize().cy, 0);
    cut.RemoveColumn(0);
    EXPECT_TRUE(cut.IsEmpty());
}

using PseudoInverse = KernelTest;

TEST_F(PseudoInverse, FullRankTallIsLeftInverseAndMatchesNormalEquations) {
    for (unsigned seed = 1; seed <= 5; ++seed) {
        const dense a = reference::random(10, 5, seed);
        const CMatrix p = reference::to(a).PseudoInverse();
        EXPECT_EQ(p.GetSize().cx, 10);
        EXPECT_EQ(p.GetSize().cy, 5);
        const dense pd = reference::from(p);
        EXPECT_LT(reference::max_difference(reference::multiply(pd, a), reference::identity(5)), 1e-12);
        EXPECT_LT(reference::max_difference(pd, normal_equations(a)), 1e-10) << seed;
    }
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(PseudoInverse, WideAndSquareMatrices) {
    const dense wide = reference::random(3, 6, 11);
    const dense pw = pinv(wide);
    EXPECT_LT(reference::max_difference(reference::multiply(wide, pw), reference::identity(3)), 1e-12);
    EXPECT_LT(reference::max_difference(pw, normal_equations(wide)), 1e-10);

    const dense square = {{4, -2, 1}, {3, 6, -4}, {2, 1, 8}};
    EXPECT_LT(reference::max_difference(pinv(square), reference::inverse(square)), 1e-14);

    const dense row = {{3, 4}};
    EXPECT_LT(reference::max_difference(pinv(row), (dense{{0.12}, {0.16}})), 1e-16);
    const dense single = {{-4}};
    EXPECT_EQ(pinv(single), (dense{{-0.25}}));
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(PseudoInverse, ZeroColumnsGiveZeroRows) {
    // Zero columns first, inside and last, with the others well conditioned.
    dense a = reference::random(7, 6, 21);
    for (auto& row : a) row[0] = row[3] = row[5] = 0.0;
    const dense p = pinv(a);
    dense reduced;
    for (const auto& row : a) reduced.push_back({row[1], row[2], row[4]});
    const dense pr = normal_equations(reduced);
    const int kept[] = {-1, 0, 1, -1, 2, -1};
    for (int c = 0; c < 6; ++c)
        for (int j = 0; j < 7; ++j) {
            if (kept[c] < 0)
                EXPECT_EQ(p[c][j], 0.0) << c << "," << j;
            else
                EXPECT_NEAR(p[c][j], pr[kept[c]][j], 1e-12) << c << "," << j;
        }
}

TEST_F(PseudoInverse, ZeroRowsGiveZeroColumns) {
    // Zero rows before the last one are moved out of the reduction; when the last row is
    // zero as well, the row moved in is moved on again.
    const std::pair<int, int> zero_rows[] = {{0, 4}, {1, 4}, {3, 4}, {0, 5}, {2, 5}};
    for (const auto& [z1, z2] : zero_rows) {
        dense a = reference::random(6, 3, 31 + z1 + z2);
        a[z1] = a[z2] = {0.0, 0.0, 0.0};
        const dense p = pinv(a);
        ExpectPenrose(a, p, 1e-12);
        for (int r = 0; r < 3; ++r) {
            EXPECT_EQ(p[r][z1], 0.0) << z1 << "," << z2;
            EXPECT_EQ(p[r][z2], 0.0) << z1 << "," << z2;
        }
    }
    // A wide matrix with a zero row.
    dense w = reference::random(3, 5, 41);
    w[0] = {0, 0, 0, 0, 0};
    ExpectPenrose(w, pinv(w), 1e-12);
}

TEST_F(PseudoInverse, RankDeficientGivesTheGeneralisedInverseWithWarning) {
    dense a = reference::random(8, 4, 51);
    for (auto& row : a) row[3] = row[0] - 2.0 * row[1];  // dependent column
    const dense p = pinv(a);
    // Rounding leaves a singular value of about 1e-16 instead of 0; inverting it would
    // give entries near 1e15 and break every one of these.
    ExpectPenrose(a, p, 1e-12);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "WARNING ERROR,11X,7H(IER = 33) FROM IMSL ROUTINE LGINF   ");
    EXPECT_EQ(ui.messages()[0].caption, "ISML Message");
    EXPECT_EQ(ui.messages()[0].icon, platform::MB_ICONEXCLAMATION);
    EXPECT_EQ(ui.messages()[0].buttons, platform::MB_OK);
}

TEST_F(PseudoInverse, NegligibleSingularValuesAreDropped) {
    // 1e-16 beside 1 is rounding noise; 1e-9 is a real, if small, value.
    EXPECT_EQ(pinv({{1, 0}, {0, 1e-16}, {0, 0}}), (dense{{1, 0, 0}, {0, 0, 0}}));
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "WARNING ERROR,11X,7H(IER = 33) FROM IMSL ROUTINE LGINF   ");
    EXPECT_NEAR(pinv({{1, 0}, {0, 1e-9}, {0, 0}})[1][1], 1e9, 1e-6);
    EXPECT_EQ(ui.messages().size(), 1u);
}

TEST_F(PseudoInverse, AllZeroAndEmptyMatrices) {
    const dense zero(4, std::vector<double>(3, 0.0));
    const CMatrix p = reference::to(zero).PseudoInverse();
    EXPECT_EQ(p.GetSize().cx, 4);
    EXPECT_EQ(p.GetSize().cy, 3);
    EXPECT_EQ(reference::max_abs(reference::from(p)), 0.0);
    EXPECT_TRUE(ui.messages().empty());

    // Nothing to invert: the kernel says so, and nothing breaks.
    for (const CMatrix& empty : {CMatrix(), CMatrix(5, 0), CMatrix(0, 5)}) {
        ui.clear();
        EXPECT_TRUE(empty.PseudoInverse().IsEmpty());
        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_EQ(ui.messages()[0].text, "WARNING ERROR,11X,7H(IER = 34) FROM IMSL ROUTINE LGINF   ");
    }
}
