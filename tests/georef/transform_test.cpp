#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "georef/transform.h"

using georef::CPt2;
using georef::CTransform;
using platform::CPoint;

namespace {

constexpr double kPi = 3.1415926525;  // the projection's own value

CTransform Projection(double lon, double lat, double rotation, double scale, int w = 800, int h = 600) {
    CTransform t;
    t.SetScreen(w, h, 0.0003);
    t.SetCentre(lon, lat, rotation);
    t.SetScale(scale);
    t.Update();
    return t;
}

}  // namespace

TEST(Transform, DefaultsAndRadius) {
    CTransform t;
    EXPECT_EQ(t.GetWidth(), 500);
    EXPECT_EQ(t.GetHeight(), 400);
    EXPECT_EQ(t.GetPixelSize(), 0.0003);
    EXPECT_EQ(t.GetPi(), kPi);
    t.SetCentre(10.0, 0.0, 0.0);
    EXPECT_EQ(t.GetRadius(), 6378245.0);
    t.SetCentre(10.0, 90.0, 0.0);
    EXPECT_EQ(t.GetRadius(), 6356863.0);
    t.SetCentre(10.0, 45.0, 0.0);
    EXPECT_DOUBLE_EQ(t.GetRadius(), (6378245.0 + 6356863.0) / 2.0);
}

TEST(Transform, CentreMapsToTheMiddleAndBack) {
    for (double rotation : {0.0, 0.6, -2.0}) {
        for (int w : {800, 801}) {
            CTransform t = Projection(37.6, 55.75, rotation, 1.0 / 50000.0, w, 601);
            const CPoint p = t.GeoToScreen(37.6, 55.75);
            EXPECT_EQ(t.GetScreenPoint(), p);
            // Truncation toward zero: a rotated centre may come out a hair short.
            EXPECT_LE(std::abs(p.x - w / 2) + std::abs(p.y - 300), rotation == 0.0 ? 0 : 2) << rotation;
            const CPt2 back = t.ScreenToGeo({w / 2, 300});
            EXPECT_EQ(t.GetGeoPoint(), back);
            EXPECT_NEAR(back.x, 37.6, 1e-9);
            EXPECT_NEAR(back.y, 55.75, 1e-9);
            EXPECT_NEAR(t.GetCentre().x, 37.6, 1e-12);
            EXPECT_NEAR(t.GetCentre().y, 55.75, 1e-12);
        }
    }
}

TEST(Transform, ScaleAndOrientationOnTheGround) {
    // At 1:100000 one pixel of 0.3 mm is 30 m on the ground.
    CTransform t = Projection(30.0, 60.0, 0.0, 1e-5);
    const double metresPerDegree = t.GetRadius() * kPi / 180.0;
    // North is up: 0.01 degree of latitude is R * 0.01 * pi / 180 metres above the centre.
    const CPoint north = t.GeoToScreen(30.0, 60.01);
    EXPECT_EQ(north.x, 400);
    EXPECT_NEAR(north.y, 300 - 0.01 * metresPerDegree / 30.0, 1.0);
    // East is right, shortened by the cosine of the latitude.
    const CPoint east = t.GeoToScreen(30.02, 60.0);
    EXPECT_NEAR(east.x, 400 + 0.02 * metresPerDegree * std::cos(60.0 * kPi / 180.0) / 30.0, 1.0);
    EXPECT_EQ(east.y, 300);
    // A quarter turn puts north on the right... or the left; either way off the vertical.
    CTransform turned = Projection(30.0, 60.0, kPi / 2, 1e-5);
    const CPoint n2 = turned.GeoToScreen(30.0, 60.01);
    EXPECT_NEAR(std::abs(n2.x - 400), 0.01 * metresPerDegree / 30.0, 1.0);
    EXPECT_NEAR(n2.y, 300, 1.0);
}

TEST(Transform, RotationKeepsTheRoundTripWithinAPixel) {
    for (double rotation : {0.0, 0.3, -1.2, kPi / 2, 3.0}) {
        CTransform t = Projection(-70.0, -33.4, rotation, 1.0 / 25000.0);
        // One pixel is 7.5 m, some 7e-5 degrees.
        const double pixelDegrees = 0.0003 * 25000.0 / (t.GetRadius() * kPi / 180.0);
        for (double dx : {-0.02, 0.0, 0.013}) {
            for (double dy : {-0.011, 0.017}) {
                const double lon = -70.0 + dx, lat = -33.4 + dy;
                const CPt2 back = t.ScreenToGeo(t.GeoToScreen(lon, lat));
                EXPECT_LE(std::fabs(back.x - lon) * std::cos(lat * kPi / 180.0), 1.5 * pixelDegrees) << rotation;
                EXPECT_LE(std::fabs(back.y - lat), 1.5 * pixelDegrees) << rotation;
            }
        }
    }
}

TEST(Transform, FitBoundsPutsTheBoxOnTheScreen) {
    CTransform t;
    t.SetScreen(1024, 768, 0.0003);
    t.FitBounds(36.5, 55.2, 38.3, 56.1);
    EXPECT_EQ(t.GetRotation(), 0.0);
    // The north-west corner lands on the top-left corner.
    const CPoint nw = t.GeoToScreen(36.5, 56.1);
    EXPECT_LE(std::abs(nw.x), 1);
    EXPECT_LE(std::abs(nw.y), 1);
    const CPoint se = t.GeoToScreen(38.3, 55.2);
    EXPECT_GT(se.x, 1024 / 4);
    EXPECT_LT(se.x, 1024 * 0.75);
    EXPECT_GT(se.y, 768 / 4);
    EXPECT_LT(se.y, 768 * 0.75);

    // At the equator, where a degree is as long both ways, the tighter extent fills
    // 1/sqrt(2) of its side of the screen: room to turn the box any way.
    t.FitBounds(-1.0, -0.5, 1.0, 0.5);
    const CPoint a = t.GeoToScreen(-1.0, 0.5), b = t.GeoToScreen(1.0, -0.5);
    EXPECT_NEAR(b.x - a.x, 1024 / std::sqrt(2.0), 1024 * 0.01);
    EXPECT_LT(b.y - a.y, 768 / std::sqrt(2.0));
    EXPECT_LE(std::abs(a.x) + std::abs(a.y), 2);
}

TEST(Transform, FitBoundsKeepsTheWestOnTheScreenFarNorth) {
    CTransform t;
    t.SetScreen(1024, 768, 0.0003);
    t.FitBounds(20.0, 55.0, 40.0, 70.0);
    const CPoint nw = t.GeoToScreen(20.0, 70.0), sw = t.GeoToScreen(20.0, 55.0);
    const CPoint se = t.GeoToScreen(40.0, 55.0);
    EXPECT_LE(std::abs(nw.x), 1);
    EXPECT_LE(std::abs(nw.y), 1);
    EXPECT_GE(sw.x, -1);  // the meridians stay parallel: the south-west is on screen too
    EXPECT_LT(se.x, 1024);
    EXPECT_LT(se.y, 768);
}

TEST(Transform, FitBoundsOnASinglePointWidensIt) {
    CTransform t;
    t.FitBounds(20.0, 45.0, 20.0, 45.0);
    const CPt2 corner = t.ScreenToGeo({0, 0});
    EXPECT_NEAR(corner.x, 19.99, 1e-4);
    EXPECT_NEAR(corner.y, 45.01, 1e-4);
    const CPoint p = t.GeoToScreen(20.0, 45.0);
    EXPECT_GT(p.x, 0);
    EXPECT_LT(p.x, 500);
    EXPECT_GT(p.y, 0);
    EXPECT_LT(p.y, 400);
}

TEST(Transform, DegenerateAndFarAwayStayDefined) {
    // A zero scale has no inverse; the projection keeps finite numbers all the same.
    CTransform flat = Projection(0.0, 0.0, 0.0, 0.0);
    const CPt2 g = flat.ScreenToGeo({10, 10});
    EXPECT_TRUE(std::isfinite(g.x));
    EXPECT_TRUE(std::isfinite(g.y));
    EXPECT_EQ(flat.GeoToScreen(50.0, 50.0), (CPoint{400, 300}));

    // Deep zoom, a point on the other side of the world: off the screen, on its side.
    CTransform zoomed = Projection(0.0, 0.0, 0.0, 1000.0);
    const CPoint far = zoomed.GeoToScreen(170.0, -80.0);
    EXPECT_EQ(far.x, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(far.y, std::numeric_limits<std::int32_t>::max());
    const CPoint west = zoomed.GeoToScreen(-170.0, 80.0);
    EXPECT_EQ(west.x, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(west.y, std::numeric_limits<std::int32_t>::min());
}
