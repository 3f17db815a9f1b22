#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <random>
#include <vector>

#include "georef/snap.h"
#include "georef/tr_rss.h"
#include "platform/endian.h"
#include "platform/file.h"
#include "platform/mem_file.h"
#include "tests/georef/kernel_fixture.h"
#include "tests/georef/reference.h"
#include "tests/support/files.h"

using georef::CPt;
using georef::CTrRSS;

namespace {

using Params = reference::rss;
using reference::Apply;
using reference::Rms;

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
    // A sheet scanned on its side: from the previous snap the steps go straight to it; a
    // fresh transformation gets there from the similarity of the pairs (from the identity
    // alone the steps stall far from it).
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
    EXPECT_LT(fresh.Residual(src.data(), dst.data(), n), 1e-12);
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
    const Params ref = reference::rss_fit(src, dst, 0.0, 0.6);
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
    // The second start holds the warnings back only while it runs, and never raises a level.
    EXPECT_EQ(Level(), 4);
    SetLevel(1);
    ui.clear();
    CTrRSS again;
    again.Fit(src.data(), dst.data(), 3);
    EXPECT_EQ(Level(), 1);
    EXPECT_TRUE(ui.messages().empty());
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

namespace {

// Pixels over a 4000 x 3000 sheet and their ground positions under a known transformation,
// with some twenty metres of noise on the ground.
void NoisyPairs(const Params& truth, unsigned seed, std::vector<CPt>& src, std::vector<CPt>& dst, int count = 16) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> px(0.0, 4000.0), py(0.0, 3000.0);
    std::normal_distribution<double> noise(0.0, 2.0 * std::fabs(truth.sx));
    src = Pixels();
    while (static_cast<int>(src.size()) < count) src.push_back(CPt(px(gen), py(gen), 0.0));
    src.resize(static_cast<std::size_t>(count));
    dst = Ground(truth, src);
    for (CPt& g : dst) g += CPt(noise(gen), noise(gen), 0.0);
}

// The fit against the independent optimum over the whole circle, compared by what the
// transformation does (theta and theta + pi with both scales negated are the same map).
CTrRSS ExpectOptimum(const std::vector<CPt>& src, const std::vector<CPt>& dst, const char* what) {
    const int n = static_cast<int>(src.size());
    CTrRSS tr;
    tr.Fit(src.data(), dst.data(), n);
    const Params ref = reference::rss_fit(src, dst, -std::numbers::pi, std::numbers::pi);
    const double best = Rms(ref, src, dst);
    // Within rounding of ground coordinates of this size.
    double size = 0.0;
    for (const CPt& g : dst) size = std::fmax(size, std::fmax(std::fabs(g.x), std::fabs(g.y)));
    EXPECT_LE(tr.Residual(src.data(), dst.data(), n), best * (1.0 + 1e-9) + 1e-13 * size) << what;
    const double c = std::cos(ref.theta), s = std::sin(ref.theta);
    const double f[6] = {c * ref.sx, s * ref.sx, ref.tx, -s * ref.sy, c * ref.sy, ref.ty};
    const double scale = std::fmax(std::fabs(ref.sx), std::fabs(ref.sy));
    for (int i : {0, 1, 3, 4}) EXPECT_NEAR(tr.GetDirect()[i], f[i], 1e-5 * scale) << what << " f" << i;
    for (int i : {2, 5}) EXPECT_NEAR(tr.GetDirect()[i], f[i], 1e-6 * std::fmax(1.0, std::fabs(f[i]))) << what << " f" << i;
    return tr;
}

}  // namespace

TEST_F(TrRSS, AnyTurnSnapsToTheLeastSquaresOptimum) {
    // Where the steps from the identity reach the optimum by themselves, the fit is still
    // theirs to the last bit: theta, sx, sy, tx, ty as they have always come out.
    const std::map<int, Params> fromIdentity = {
        {0, {0x1.542cf5011d17fp-13, 0x1.f73f8a8159ffp-14, -0x1.798519af95f37p-14, 0x1.60001a95a33f3p+5,
             0x1.4bffe88f96e54p+5}},
        {30, {0x1.0c2d7390bc975p-1, 0x1.f75e9299499bdp-14, -0x1.795d1f4fa6e84p-14, 0x1.600000d74045cp+5,
              0x1.4bffd92b73b2ep+5}},
        {180, {-0x1.547b31adee81bp-13, -0x1.f76284361b59fp-14, 0x1.79746665312fep-14, 0x1.60001a95cef19p+5,
               0x1.4bffe89224d07p+5}},
    };
    for (const int degrees : {0, 30, 90, 135, 180, 270}) {
        // A north-up scan at 41.5 degrees north: latitude falls as y grows.
        const Params truth{degrees * std::numbers::pi / 180.0, 1.2e-4, -0.9e-4, 44.0, 41.5};
        std::vector<CPt> src, dst;
        NoisyPairs(truth, 1, src, dst);
        const CTrRSS tr = ExpectOptimum(src, dst, (std::to_string(degrees) + " degrees").c_str());
        if (const auto it = fromIdentity.find(degrees); it != fromIdentity.end()) {
            const Params& p = it->second;
            EXPECT_EQ(tr.GetTheta(), p.theta) << degrees;
            EXPECT_EQ(tr.GetSx(), p.sx) << degrees;
            EXPECT_EQ(tr.GetSy(), p.sy) << degrees;
            EXPECT_EQ(tr.GetTx(), p.tx) << degrees;
            EXPECT_EQ(tr.GetTy(), p.ty) << degrees;
        }
    }
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(TrRSS, RandomTurnsScalesAndPairsReachTheOptimum) {
    std::mt19937 gen(2024);
    std::uniform_real_distribution<double> turn(-std::numbers::pi, std::numbers::pi), ratio(0.5, 1.5);
    std::uniform_int_distribution<int> count(4, 12), sign(0, 1), exponent(-6, -3);
    for (int round = 0; round < 40; ++round) {
        const double sx = (sign(gen) ? 1.0 : -1.0) * std::pow(10.0, exponent(gen));
        const double sy = (sign(gen) ? 1.0 : -1.0) * std::fabs(sx) * ratio(gen);
        const Params truth{turn(gen), sx, sy, turn(gen) * 50.0, turn(gen) * 25.0};
        std::vector<CPt> src, dst;
        NoisyPairs(truth, static_cast<unsigned>(round), src, dst, count(gen));
        ExpectOptimum(src, dst, ("round " + std::to_string(round)).c_str());
    }
}
