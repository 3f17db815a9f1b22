#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "shapes/polygon_clip.h"

using namespace model;

using namespace polygon_clip;

namespace {

gpc_polygon polygon_of(std::initializer_list<std::vector<gpc_vertex>> contours) {
    gpc_polygon p;
    for (const auto& c : contours) gpc_add_contour(p, c.data(), c.size(), 0);
    return p;
}

gpc_polygon rectangle(double x0, double y0, double x1, double y1) {
    return polygon_of({{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}});
}

double area(const gpc_vertex_list& list) {
    const auto& v = list.vertex;
    double twice = 0.0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        const gpc_vertex& a = v[i];
        const gpc_vertex& b = v[(i + 1) % v.size()];
        twice += (a.x - v[0].x) * (b.y - v[0].y) - (b.x - v[0].x) * (a.y - v[0].y);
    }
    return twice / 2;
}

bool has_vertex(const gpc_vertex_list& list, gpc_vertex v) {
    for (const gpc_vertex& w : list.vertex)
        if (w == v) return true;
    return false;
}

}  // namespace

TEST(PolygonClip, IntersectionWithARectangleKeepsThePartInside) {
    gpc_polygon result;
    gpc_polygon_clip(GPC_INT, polygon_of({{{0, 0}, {4, 0}, {4, 4}, {0, 4}}}), rectangle(1, 1, 6, 3), result);
    ASSERT_EQ(result.contour.size(), 1u);
    ASSERT_EQ(result.hole.size(), 1u);
    EXPECT_EQ(result.hole[0], 0);
    EXPECT_DOUBLE_EQ(std::fabs(area(result.contour[0])), 6.0);
    for (gpc_vertex v : {gpc_vertex{1, 1}, gpc_vertex{4, 1}, gpc_vertex{4, 3}, gpc_vertex{1, 3}})
        EXPECT_TRUE(has_vertex(result.contour[0], v));

    gpc_free_polygon(result);
    EXPECT_TRUE(result.contour.empty());
    EXPECT_TRUE(result.hole.empty());
}

TEST(PolygonClip, EvenOddRuleDecidesWhatIsInside) {
    // Two contours of one subject overlapping: their overlap is outside under even-odd.
    gpc_polygon result;
    gpc_polygon_clip(GPC_INT, polygon_of({{{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {{1, 1}, {3, 1}, {3, 3}, {1, 3}}}),
                     rectangle(-10, -10, 10, 10), result);
    double total = 0.0;
    for (const auto& c : result.contour) total += std::fabs(area(c));
    EXPECT_DOUBLE_EQ(total, 6.0);

    // A contour inside another is a hole, and is flagged as one in the result.
    gpc_polygon_clip(GPC_INT, polygon_of({{{0, 0}, {0, 4}, {4, 4}, {4, 0}}, {{1, 1}, {1, 2}, {2, 2}, {2, 1}}}),
                     rectangle(-1, -1, 5, 5), result);
    ASSERT_EQ(result.contour.size(), 2u);
    EXPECT_EQ(result.hole[0] + result.hole[1], 1);
    for (std::size_t i = 0; i < 2; ++i) EXPECT_DOUBLE_EQ(std::fabs(area(result.contour[i])), result.hole[i] ? 1.0 : 16.0);
}

TEST(PolygonClip, CoordinatesKeepTheirPrecisionAtEveryMagnitude) {
    for (double base : {0.0, -104.25, 1e6 + 0.125, 1e15, 1e-100, 1e100}) {
        const double d = base == 0.0 ? 1.0 : std::fabs(base) * 1e-9;
        const gpc_vertex a{base + 0.3 * d, base + 0.7 * d};
        gpc_polygon result;
        gpc_polygon_clip(GPC_INT,
                         polygon_of({{a, {base + 3 * d, base + 0.7 * d}, {base + 3 * d, base + 2.5 * d}, {a.x, base + 2.5 * d}}}),
                         rectangle(base, base, base + 2 * d, base + 2 * d), result);
        ASSERT_EQ(result.contour.size(), 1u) << base;
        // Vertices of either operand come back bit for bit.
        EXPECT_TRUE(has_vertex(result.contour[0], a)) << base;
        EXPECT_TRUE(has_vertex(result.contour[0], {base + 2 * d, base + 2 * d})) << base;
        const double expected = (base + 2 * d - a.x) * (base + 2 * d - a.y);
        EXPECT_NEAR(std::fabs(area(result.contour[0])), expected, expected * 1e-12) << base;
    }
}

TEST(PolygonClip, DegenerateContoursAndPointsThatAreNotNumbersGiveNoTrouble) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    gpc_polygon result;
    gpc_polygon_clip(GPC_INT, polygon_of({{{0, 0}, {1, 1}}}), rectangle(0, 0, 2, 2), result);
    EXPECT_TRUE(result.contour.empty());
    gpc_polygon_clip(GPC_INT, polygon_of({{{0, 0}, {1, 1}, {2, 2}, {1, 1}}}), rectangle(0, 0, 2, 2), result);
    EXPECT_TRUE(result.contour.empty());
    gpc_polygon_clip(GPC_INT, polygon_of({{{0, 0}, {nan, 1}, {2, 0}, {inf, 5}, {2, 2}, {0, 2}}}), rectangle(-1, -1, 3, 3),
                     result);
    ASSERT_EQ(result.contour.size(), 1u);
    EXPECT_DOUBLE_EQ(std::fabs(area(result.contour[0])), 4.0);
    gpc_polygon_clip(GPC_INT, gpc_polygon{}, rectangle(0, 0, 1, 1), result);
    EXPECT_TRUE(result.contour.empty());
}
