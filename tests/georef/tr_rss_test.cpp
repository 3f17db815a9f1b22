#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "georef/snap.h"
#include "georef/tr_rss.h"
#include "platform/endian.h"
#include "platform/file.h"
#include "platform/mem_file.h"
#include "tests/georef/kernel_fixture.h"
#include "tests/support/files.h"

using georef::CPt;
using georef::CTrRSS;

namespace {

struct Params {
    double theta, sx, sy, tx, ty;
};

CPt Apply(const Params& p, const CPt& q) {
    const double c = std::cos(p.theta), s = std::sin(p.theta);
    return CPt((c * q.x + s * q.y) * p.sx + p.tx, (-s * q.x + c * q.y) * p.sy + p.ty, 0.0);
}

// Pixels of a scanned sheet of 4000 x 3000 pixels.
std::vector<CPt> Pixels() {
    return {CPt(0.0, 0.0, 0.0),       CPt(4000.0, 0.0, 0.0),   CPt(0.0, 3000.0, 0.0),
            CPt(4000.0, 3000.0, 0.0), CPt(1234.0, 987.0, 0.0), CPt(3100.5, 2200.25, 0.0)};
}

std::vector<CPt> Ground(const Params& p, const std::vector<CPt>& pixels) {
    std::vector<CPt> ground;
    for (const CPt& q : pixels) ground.push_back(Apply(p, q));
    return ground;
}

double Rms(const Params& p, const std::vector<CPt>& src, const std::vector<CPt>& dst) {
    double sum = 0.0;
    for (std::size_t i = 0; i < src.size(); ++i) {
        const CPt m = Apply(p, src[i]);
        sum += (m.x - dst[i].x) * (m.x - dst[i].x) + (m.y - dst[i].y) * (m.y - dst[i].y);
    }
    return std::sqrt(sum / src.size());
}

// The least-squares optimum found another way: for a fixed angle the model is two straight
// lines, X against u and Y against v, solved in closed form; the angle is then found by a
// scan and golden-section search.
Params ReferenceFit(const std::vector<CPt>& src, const std::vector<CPt>& dst, double lo, double hi) {
    auto best_for = [&](double theta) {
        const double c = std::cos(theta), s = std::sin(theta);
        const double n = static_cast<double>(src.size());
        double su = 0, sv = 0, sX = 0, sY = 0, suu = 0, svv = 0, suX = 0, svY = 0;
        for (std::size_t i = 0; i < src.size(); ++i) {
            const double u = c * src[i].x + s * src[i].y, v = -s * src[i].x + c * src[i].y;
            su += u, sv += v, sX += dst[i].x, sY += dst[i].y;
            suu += u * u, svv += v * v, suX += u * dst[i].x, svY += v * dst[i].y;
        }
        const double sx = (n * suX - su * sX) / (n * suu - su * su);
        const double sy = (n * svY - sv * sY) / (n * svv - sv * sv);
        return Params{theta, sx, sy, (sX - sx * su) / n, (sY - sy * sv) / n};
    };
    auto cost = [&](double theta) { return Rms(best_for(theta), src, dst); };
    double best = lo;
    for (int i = 0; i <= 2000; ++i) {
        const double t = lo + (hi - lo) * i / 2000.0;
        if (cost(t) < cost(best)) best = t;
    }
    double a = best - (hi - lo) / 2000.0, b = best + (hi - lo) / 2000.0;
    const double g = (std::sqrt(5.0) - 1.0) / 2.0;
    for (int i = 0; i < 200; ++i) {
        const double x1 = b - g * (b - a), x2 = a + g * (b - a);
        if (cost(x1) < cost(x2))
            b = x2;
        else
            a = x1;
    }
    return best_for((a + b) / 2.0);
}

void ExpectParams(const CTrRSS& tr, const Params& p, double rel) {
    EXPECT_NEAR(tr.GetTheta(), p.theta, rel);
    EXPECT_NEAR(tr.GetSx(), p.sx, rel * std::fabs(p.sx));
    EXPECT_NEAR(tr.GetSy(), p.sy, rel * std::fabs(p.sy));
    EXPECT_NEAR(tr.GetTx(), p.tx, rel * std::fmax(1.0, std::fabs(p.tx)));
    EXPECT_NEAR(tr.GetTy(), p.ty, rel * std::fmax(1.0, std::fabs(p.ty)));
}

}  // namespace

using TrRSS = KernelTest;

TEST_F(TrRSS, FreshIsTheIdentityAndNotFitted) {
    const CTrRSS tr;
    EXPECT_FALSE(tr.IsValid());
    const CPt p(123.5, -7.25, 0.0);
    EXPECT_EQ(tr.Forward(p), p);
    EXPECT_EQ(tr.Inverse(p), p);
    EXPECT_EQ(tr.Residual(&p, &p, 0), 0.0);
    EXPECT_EQ(tr.Forward(CPt(1.0, 2.0, 9.0)).z, 0.0);
}

TEST_F(TrRSS, RecoversAKnownTransformationFromExactPairs) {
    const Params cases[] = {
        {0.4, 2e-4, -1.5e-4, 30.5, 60.25},    // a north-up scan: latitude falls as y grows
        {-0.7, 1e-4, -1e-4, 37.6, 55.75},
        {std::numbers::pi - 0.2, 3e-5, -3e-5, -122.4, 37.8},  // found as (-0.2, -sx, -sy)
        {0.0, 1.0, 1.0, 15.0, -4.0},  // a pure shift
    };
    for (const Params& p : cases) {
        const auto src = Pixels();
        const auto dst = Ground(p, src);
        CTrRSS tr;
        EXPECT_TRUE(tr.Fit(src.data(), dst.data(), static_cast<int>(src.size())));
        EXPECT_TRUE(tr.IsValid());
        if (p.theta > 2.0)
            ExpectParams(tr, {p.theta - std::numbers::pi, -p.sx, -p.sy, p.tx, p.ty}, 1e-9);
        else
            ExpectParams(tr, p, 1e-9);
        EXPECT_LT(tr.Residual(src.data(), dst.data(), static_cast<int>(src.size())), 1e-9);
        for (std::size_t i = 0; i < src.size(); ++i) {
            const CPt f = tr.Forward(src[i]);
            EXPECT_NEAR(f.x, dst[i].x, 1e-9);
            EXPECT_NEAR(f.y, dst[i].y, 1e-9);
        }
    }
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(TrRSS, ARefitStartsFromTheFormerParameters) {
    // A sheet scanned on its side: from the identity the steps stall far from it, from the
    // previous snap they go straight to it.
    const Params p{std::numbers::pi / 2, 3e-5, -3e-5, -122.4, 37.8};
    const auto src = Pixels();
    const auto dst = Ground(p, src);
    const int n = static_cast<int>(src.size());
    CTrRSS tr;
    tr.SetParameters(1.4, 2.5e-5, -3.5e-5, -122.0, 37.0);
    tr.Fit(src.data(), dst.data(), n);
    ExpectParams(tr, p, 1e-9);
    EXPECT_LT(tr.Residual(src.data(), dst.data(), n), 1e-12);
    CTrRSS fresh;
    fresh.Fit(src.data(), dst.data(), n);
    EXPECT_GT(fresh.Residual(src.data(), dst.data(), n), 1e-6);
}

TEST_F(TrRSS, ThreePairsDifferingByAShift) {
    const std::vector<CPt> src = {CPt(0, 0), CPt(10, 0), CPt(0, 10)};
    const std::vector<CPt> dst = {CPt(3.5, -2.0, 0.0), CPt(13.5, -2.0, 0.0), CPt(3.5, 8.0, 0.0)};
    CTrRSS tr;
    tr.Fit(src.data(), dst.data(), 3);
    ExpectParams(tr, {0.0, 1.0, 1.0, 3.5, -2.0}, 1e-12);
    EXPECT_LT(tr.Residual(src.data(), dst.data(), 3), 1e-12);
}

TEST_F(TrRSS, NoisyPairsGiveTheLeastSquaresOptimum) {
    const Params truth{0.3, 1.2e-4, -0.9e-4, 44.0, 41.5};
    auto src = Pixels();
    for (int i = 0; i < 10; ++i) src.push_back(CPt(400.0 * i, 250.0 * ((i * 7) % 10), 0.0));
    auto dst = Ground(truth, src);
    std::mt19937 gen(7);
    std::normal_distribution<double> noise(0.0, 2e-4);  // some twenty metres
    for (CPt& g : dst) g += CPt(noise(gen), noise(gen), 0.0);

    const int n = static_cast<int>(src.size());
    CTrRSS tr;
    tr.Fit(src.data(), dst.data(), n);
    const Params ref = ReferenceFit(src, dst, 0.0, 0.6);
    ExpectParams(tr, ref, 1e-6);
    EXPECT_LE(tr.Residual(src.data(), dst.data(), n), Rms(ref, src, dst) * (1.0 + 1e-9));
    EXPECT_GT(tr.Residual(src.data(), dst.data(), n), 1e-5);
}

TEST_F(TrRSS, FourStepsWhenTheFirstDoesNotImprove) {
    // Pairs the identity already fits, all at one place: every step is a zero step through
    // a rank-deficient Jacobian, and each shows the kernel's warning once.
    const std::vector<CPt> same = {CPt(5, 5), CPt(5, 5), CPt(5, 5)};
    CTrRSS tr;
    EXPECT_TRUE(tr.Fit(same.data(), same.data(), 3));
    EXPECT_EQ(ui.messages().size(), 4u);
    for (const auto& m : ui.messages()) EXPECT_EQ(m.text, "WARNING ERROR,11X,7H(IER = 33) FROM IMSL ROUTINE LGINF   ");
    EXPECT_TRUE(tr.IsValid());
    EXPECT_EQ(tr.Forward(CPt(5, 5)), CPt(5.0, 5.0, 0.0));
}

TEST_F(TrRSS, CollinearPairsStillAnswerWithWarnings) {
    const std::vector<CPt> src = {CPt(0, 0), CPt(100, 100), CPt(200, 200)};
    const std::vector<CPt> dst = {CPt(37.0, 55.0, 0.0), CPt(37.01, 54.99, 0.0), CPt(37.02, 54.98, 0.0)};
    CTrRSS tr;
    EXPECT_TRUE(tr.Fit(src.data(), dst.data(), 3));
    EXPECT_TRUE(tr.IsValid());
    EXPECT_FALSE(ui.messages().empty());
    EXPECT_LE(ui.messages().size(), 100u);
    // The line itself is fitted; across it the steps change nothing they cannot see.
    EXPECT_LT(tr.Residual(src.data(), dst.data(), 3), 1e-12);
    for (double g : tr.GetInverse()) EXPECT_TRUE(std::isfinite(g));
}

TEST_F(TrRSS, CoefficientsAreTheExactInverseAlsoAtRightAngles) {
    for (double theta : {0.0, 0.7, std::numbers::pi / 2, std::numbers::pi, -std::numbers::pi / 2, 2.5}) {
        CTrRSS tr;
        tr.SetParameters(theta, 2.5e-4, -1.75e-4, 12.0, 48.0);
        EXPECT_FALSE(tr.IsValid());
        for (double g : tr.GetInverse()) EXPECT_TRUE(std::isfinite(g));
        for (const CPt& p : Pixels()) {
            const CPt there = tr.Forward(p);
            const CPt expected = Apply({theta, 2.5e-4, -1.75e-4, 12.0, 48.0}, p);
            EXPECT_NEAR(there.x, expected.x, 1e-12);
            EXPECT_NEAR(there.y, expected.y, 1e-12);
            const CPt back = tr.Inverse(there);
            EXPECT_NEAR(back.x, p.x, 1e-7) << theta;
            EXPECT_NEAR(back.y, p.y, 1e-7) << theta;
        }
    }
}

TEST_F(TrRSS, RecordRoundTripAndFieldOrder) {
    // A record whose 22 values are all different, in the document's order.
    std::vector<std::uint8_t> bytes;
    for (int i = 1; i <= 22; ++i) test_support::append_le_double(bytes, i + 0.5);
    platform::CMemFile in(bytes.data(), bytes.size());
    CTrRSS tr;
    tr.Read(in);
    EXPECT_TRUE(tr.IsValid());
    EXPECT_EQ(tr.GetTx(), 1.5);
    EXPECT_EQ(tr.GetTheta(), 5.5);
    EXPECT_EQ(tr.GetTy(), 6.5);
    EXPECT_EQ(tr.GetSx(), 10.5);
    EXPECT_EQ(tr.GetSy(), 14.5);
    EXPECT_EQ(tr.GetDirect(), (std::array<double, 6>{2.5, 3.5, 4.5, 7.5, 8.5, 9.5}));
    EXPECT_EQ(tr.GetInverse(), (std::array<double, 6>{11.5, 12.5, 13.5, 15.5, 16.5, 17.5}));
    EXPECT_EQ(tr.Forward(CPt(1.0, 1.0, 0.0)).x, 2.5 + 3.5 + 4.5);  // read, not recomputed

    // Written back byte for byte, the unused fields included.
    platform::CMemFile out;
    tr.Write(out);
    EXPECT_EQ(out.Detach(), bytes);

    // Through a file on disk, a fitted transformation comes back whole.
    test_support::temp_dir dir;
    CTrRSS fitted;
    fitted.SetParameters(0.25, 3e-4, -2e-4, 20.0, 50.0);
    {
        platform::CFile f;
        ASSERT_TRUE(f.Open(dir.file("snap.bin"), platform::CFile::modeCreate | platform::CFile::modeWrite));
        fitted.Write(f);
    }
    const auto file = test_support::read_bytes(dir.file("snap.bin"));
    ASSERT_EQ(file.size(), CTrRSS::kRecordSize);
    // The reserved fields of a new transformation: r4, r5, r1, r2, r3 = 0, 0, 0, 1, 1.
    EXPECT_EQ(platform::endian::get_le_double(file.data() + 17 * 8), 0.0);
    EXPECT_EQ(platform::endian::get_le_double(file.data() + 20 * 8), 1.0);
    EXPECT_EQ(platform::endian::get_le_double(file.data() + 21 * 8), 1.0);
    platform::CFile f;
    ASSERT_TRUE(f.Open(dir.file("snap.bin"), platform::CFile::modeRead));
    CTrRSS back;
    back.Read(f);
    EXPECT_TRUE(back.IsValid());
    EXPECT_EQ(back.GetTheta(), 0.25);
    EXPECT_EQ(back.GetDirect(), fitted.GetDirect());
    EXPECT_EQ(back.GetInverse(), fitted.GetInverse());
}

TEST_F(TrRSS, TruncatedRecordRaisesAndChangesNothing) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 21; ++i) test_support::append_le_double(bytes, 99.0);
    bytes.push_back(1);
    platform::CMemFile in(bytes.data(), bytes.size());
    CTrRSS tr;
    try {
        tr.Read(in);
        FAIL() << "a short record was read";
    } catch (const platform::CFileException& e) {
        EXPECT_EQ(e.m_cause, platform::CFileException::endOfFile);
    }
    EXPECT_FALSE(tr.IsValid());
    EXPECT_EQ(tr.GetTx(), 0.0);
    EXPECT_EQ(tr.GetDirect()[0], 1.0);
}

TEST_F(TrRSS, SnappingNeedsThreePairs) {
    const std::vector<CPt> src = {CPt(0, 0), CPt(10, 0), CPt(0, 10)};
    const std::vector<CPt> dst = {CPt(1, 1), CPt(11, 1), CPt(1, 11)};
    CTrRSS tr;
    EXPECT_FALSE(georef::SnapFit(tr, src.data(), dst.data(), 2));
    EXPECT_FALSE(tr.IsValid());
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "No enough foothold points.\r\nAt least 3 points are need to snap the map");
    EXPECT_EQ(ui.messages()[0].icon, 0u);
    EXPECT_EQ(ui.messages()[0].buttons, platform::MB_OK);
    EXPECT_TRUE(georef::SnapFit(tr, src.data(), dst.data(), 3));
    EXPECT_TRUE(tr.IsValid());
    EXPECT_EQ(ui.messages().size(), 1u);
}
