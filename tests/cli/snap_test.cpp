#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/cli/cli_support.h"

using cli_test::run_cli;
using cli_test::run_json;

namespace {

struct Params {
    double theta, sx, sy, tx, ty;
};

// --gcp arguments for pixels mapped by a known transformation, plus an offset per point.
std::vector<std::string> Gcps(const Params& p, const std::vector<std::pair<double, double>>& pixels,
                              const std::vector<std::pair<double, double>>& noise = {}) {
    std::vector<std::string> args{"snap", "--json"};
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const auto [x, y] = pixels[i];
        const double c = std::cos(p.theta), s = std::sin(p.theta);
        double lon = (c * x + s * y) * p.sx + p.tx, lat = (-s * x + c * y) * p.sy + p.ty;
        if (i < noise.size()) lon += noise[i].first, lat += noise[i].second;
        char gcp[160];
        std::snprintf(gcp, sizeof gcp, "%.17g,%.17g,%.17g,%.17g", x, y, lon, lat);
        args.push_back("--gcp");
        args.push_back(gcp);
    }
    return args;
}

const std::vector<std::pair<double, double>> kPixels = {
    {0, 0}, {5000, 0}, {0, 4000}, {5000, 4000}, {2100, 1700}};

double at(const QJsonObject& o, const char* array, int i) { return o[array].toArray()[i].toDouble(); }

}  // namespace

TEST(CliSnap, KnownTransformationComesBack) {
    const Params p{0.15, 8e-5, -6e-5, 37.25, 55.9};
    const QJsonObject o = run_json(Gcps(p, kPixels));
    EXPECT_NEAR(o["theta"].toDouble(), p.theta, 1e-9);
    EXPECT_NEAR(o["sx"].toDouble(), p.sx, 1e-13);
    EXPECT_NEAR(o["sy"].toDouble(), p.sy, 1e-13);
    EXPECT_NEAR(o["tx"].toDouble(), p.tx, 1e-9);
    EXPECT_NEAR(o["ty"].toDouble(), p.ty, 1e-9);
    EXPECT_LT(o["residual"].toDouble(), 1e-9);

    // Direct coefficients as the RRE header takes them, inverse ones by inverting the 2 x 2.
    const double c = std::cos(p.theta), s = std::sin(p.theta);
    const double f[6] = {c * p.sx, s * p.sx, p.tx, -s * p.sy, c * p.sy, p.ty};
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(at(o, "f", i), f[i], 1e-9 * std::fmax(1.0, std::fabs(f[i]))) << i;
    const double det = f[0] * f[4] - f[1] * f[3];
    const double g[6] = {f[4] / det, -f[1] / det, 0, -f[3] / det, f[0] / det, 0};
    for (int i : {0, 1, 3, 4}) EXPECT_NEAR(at(o, "g", i), g[i], 1e-6 * std::fabs(g[i])) << i;
    // The inverse takes the shift back to pixel (0, 0).
    EXPECT_NEAR(at(o, "g", 0) * p.tx + at(o, "g", 1) * p.ty + at(o, "g", 2), 0.0, 1e-5);
    EXPECT_NEAR(at(o, "g", 3) * p.tx + at(o, "g", 4) * p.ty + at(o, "g", 5), 0.0, 1e-5);

    const QJsonArray points = o["points"].toArray();
    ASSERT_EQ(points.size(), 5);
    EXPECT_EQ(points[4].toObject()["x"].toDouble(), 2100.0);
    for (const auto& v : points) {
        EXPECT_LT(std::fabs(v.toObject()["dx"].toDouble()), 1e-9);
        EXPECT_LT(std::fabs(v.toObject()["dy"].toDouble()), 1e-9);
    }
    EXPECT_TRUE(run_cli(Gcps(p, kPixels)).err.empty());
}

TEST(CliSnap, ResidualsAreGroundMinusFitted) {
    const Params p{-0.05, 1e-4, -1e-4, 10.0, 50.0};
    const QJsonObject o = run_json(Gcps(p, kPixels, {{3e-4, 0}, {0, -2e-4}, {-1e-4, 1e-4}, {0, 0}, {2e-4, 2e-4}}));
    double sum = 0.0;
    for (const auto& v : o["points"].toArray()) {
        const QJsonObject pt = v.toObject();
        const double x = pt["x"].toDouble(), y = pt["y"].toDouble();
        const double dx = pt["lon"].toDouble() - (at(o, "f", 0) * x + at(o, "f", 1) * y + at(o, "f", 2));
        const double dy = pt["lat"].toDouble() - (at(o, "f", 3) * x + at(o, "f", 4) * y + at(o, "f", 5));
        EXPECT_NEAR(pt["dx"].toDouble(), dx, 1e-12);
        EXPECT_NEAR(pt["dy"].toDouble(), dy, 1e-12);
        sum += dx * dx + dy * dy;
    }
    EXPECT_NEAR(o["residual"].toDouble(), std::sqrt(sum / 5), 1e-12);
    EXPECT_GT(o["residual"].toDouble(), 5e-5);
}

TEST(CliSnap, FootholdsThatDoNotDetermineATransformationAreRefused) {
    const std::string warning = "ISML Message: WARNING ERROR,11X,7H(IER = 33) FROM IMSL ROUTINE LGINF   \n";
    const std::string cannot = "Plotwright: The foothold points do not determine the transformation: ";
    const struct {
        std::vector<std::string> gcps;
        bool kernel_warns;
        std::string reason;
    } cases[] = {
        {{"0,0,37,55", "100,100,37.01,54.99", "200,200,37.02,54.98"}, true,
         "their places on the picture all lie on one line.\n"},
        {{"5,5,37,55", "5,5,37,55", "5,5,37,55"}, true,
         "fewer than 3 of them are at different places on the picture.\n"},
        {{"0,0,37,55", "100,0,37.01,54.99", "0,100,37.02,54.98"}, false,
         "their coordinates all lie on one line.\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"snap", "--json"};
        for (const std::string& g : c.gcps) args.insert(args.end(), {"--gcp", g});
        auto r = run_cli(args);
        EXPECT_EQ(r.exit_code, 2) << c.gcps[1];
        EXPECT_TRUE(r.out.empty()) << r.out;
        // The kernel's warning once, then the reason.
        EXPECT_EQ(r.err, (c.kernel_warns ? warning : std::string()) + cannot + c.reason);
    }
}

TEST(CliSnap, PicturesTurnedAnyWaySnap) {
    for (const double degrees : {90.0, 135.0, 180.0, 270.0}) {
        const Params p{degrees * 3.141592653589793 / 180.0, 8e-5, -6e-5, 37.25, 55.9};
        const QJsonObject o = run_json(Gcps(p, kPixels));
        EXPECT_LT(o["residual"].toDouble(), 1e-9) << degrees;
        const double c = std::cos(p.theta), s = std::sin(p.theta);
        const double f[6] = {c * p.sx, s * p.sx, p.tx, -s * p.sy, c * p.sy, p.ty};
        for (int i = 0; i < 6; ++i) EXPECT_NEAR(at(o, "f", i), f[i], 1e-9 * std::fmax(1.0, std::fabs(f[i]))) << degrees;
    }
}

TEST(CliSnap, FewerThanThreePairsRefused) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"snap"}, {"snap", "--gcp", "0,0,1,1", "--gcp", "5,5,2,2", "--json"}}) {
        auto r = run_cli(args);
        EXPECT_EQ(r.exit_code, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(r.err, "Plotwright: No enough foothold points. At least 3 points are need to snap the map\n");
    }
}

TEST(CliSnap, BadPairsAreUsageErrors) {
    for (const char* gcp : {"1,2,3", "1,2,3,4,5", "1,2,3,x", "1,,3,4", "1,2,3,nan", "1,2,inf,4", "1;2;3;4",
                            "1,2,3,4 ", "0x10,2,3,4", "+-1,2,3,4", "1,+,3,4"}) {
        auto r = run_cli({"snap", "--gcp", "0,0,0,0", "--gcp", "1,0,1,0", "--gcp", gcp});
        EXPECT_EQ(r.exit_code, 1) << gcp;
        EXPECT_NE(r.err.find("usage"), std::string::npos) << gcp;
    }
    EXPECT_EQ(run_cli({"snap", "file.rre", "--gcp", "1,2,3,4"}).exit_code, 1);
    // Signs and exponents are numbers.
    EXPECT_EQ(run_cli({"snap", "--gcp", "+0,-0,1e1,2E-1", "--gcp", "1,0,11,0.2", "--gcp", "0,1,10,1.2"}).exit_code, 0);
}
