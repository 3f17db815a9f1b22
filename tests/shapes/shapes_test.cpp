// Shapes: boxes, drawing calls, hit tests and their map document records.
#include <gtest/gtest.h>

#include <climits>

#include "georef/transform.h"
#include "platform/file.h"
#include "platform/image_dc.h"
#include "platform/mem_file.h"
#include "shapes/picture.h"
#include "shapes/point_source.h"
#include "shapes/sf_fragment.h"
#include "shapes/sf_line.h"
#include "shapes/sf_point.h"
#include "shapes/sf_polygon.h"
#include "tests/support/recording_dc.h"

using namespace model;

using platform::CMemFile;
using test_support::recording_dc;

namespace {

// A projection with its centre at (37.5 E, 55.5 N) on a 400 x 300 screen.
georef::CTransform view() {
    georef::CTransform t;
    t.SetScreen(400, 300, 0.0003);
    t.SetCentre(37.5, 55.5, 0.0);
    t.SetScale(1e-6);
    t.Update();
    return t;
}

std::string at(georef::CTransform& t, double x, double y) {
    const platform::CPoint p = t.GeoToScreen(x, y);
    return std::to_string(p.x) + " " + std::to_string(p.y);
}

class listed_points : public point_source {
public:
    explicit listed_points(std::vector<CSFPt> points, int missing = -1) : points_(std::move(points)), missing_(missing) {}
    int GetPointCount() const override { return static_cast<int>(points_.size()); }
    int GetPoint(int i, double& x, double& y) const override {
        if (i == missing_ || i < 0 || i >= GetPointCount()) return 1;
        x = points_[static_cast<std::size_t>(i)].X;
        y = points_[static_cast<std::size_t>(i)].Y;
        return 0;
    }

private:
    std::vector<CSFPt> points_;
    int missing_;
};

}  // namespace

TEST(Box, StretchStartsFromTheUntouchedBoxAndThenWidens) {
    CSFRect box;
    EXPECT_TRUE(box.Stretch({10, 20}));
    EXPECT_EQ(box, (CSFRect{10, 20, 10, 20}));
    box.Stretch({5, 30});
    EXPECT_EQ(box, (CSFRect{5, 20, 10, 30}));
    EXPECT_FALSE(box.Stretch({7, 25}));

    // West of Greenwich and south of the equator a box still widens (its coordinates summing
    // below zero does not make it empty).
    CSFRect west{-100, -30, -90, -20};
    west.Stretch({-110, -25});
    EXPECT_EQ(west, (CSFRect{-110, -30, -90, -20}));

    CSFRect a{0, 0, 1, 1};
    EXPECT_TRUE(a.Union({-1, 0.5, 0.5, 3}));
    EXPECT_EQ(a, (CSFRect{-1, 0, 1, 3}));
    EXPECT_FALSE(a.Union({0, 0, 0, 0}));
}

TEST(PointShape, DrawsACircleOrTheIconAndLabelsBesideIt) {
    georef::CTransform t = view();
    CSFPoint point;
    point.m_pt = {37.5, 55.5};
    point.SetAttributeCount(3);
    point.SetAttribute(0, _attrValue::from_text(u"Moscow"));
    point.SetAttribute(1, _attrValue::from_int(12));
    point.SetAttribute(2, _attrValue::from_double(2.5));
    const std::vector<std::uint8_t> labels = {1, 1, 0};

    recording_dc dc;
    point.DrawPoint(&dc, &t, nullptr, &labels);
    ASSERT_EQ(point.m_ptScreen, (platform::CPoint{200, 150}));
    EXPECT_EQ(dc.texts(), (std::vector<std::string>{"Ellipse 198 148 202 152", "TextOut 203 153 Moscow",
                                                    "TextOut 203 153 12"}));

    // An icon puts its top-left corner on the point and the labels 16 pixels off.
    CPicture icon(&dc, platform::RGB(255, 0, 0), 16, 16);
    dc.clear();
    point.DrawPoint(&dc, &t, &icon, &labels);
    EXPECT_EQ(dc.texts(), (std::vector<std::string>{"Bitmap565 200 150 16 16", "TextOut 216 166 Moscow",
                                                    "TextOut 216 166 12"}));
    dc.clear();
    point.DrawPoint(&dc, &t, nullptr, nullptr);
    EXPECT_EQ(dc.texts().size(), 1u);
}

TEST(PointShape, HitTestIsStrictOnAllFourSides) {
    georef::CTransform t = view();
    CSFPoint point;
    point.m_pt = {37.5, 55.5};  // at (200, 150)
    EXPECT_TRUE(point.HitTest(&t, {201, 151}));
    EXPECT_TRUE(point.HitTest(&t, {215, 165}));
    EXPECT_FALSE(point.HitTest(&t, {216, 151}));
    EXPECT_FALSE(point.HitTest(&t, {201, 150}));
    EXPECT_FALSE(point.HitTest(&t, {200, 151}));
    EXPECT_FALSE(point.HitTest(&t, {201, 166}));

    // A point far off the screen lies at the edge of the integer range: it is drawn and hit
    // tested there without going past the range.
    point.m_pt = {1e12, -1e12};
    EXPECT_FALSE(point.HitTest(&t, {INT_MAX, INT_MAX}));
    recording_dc dc;
    point.DrawPoint(&dc, &t, nullptr, nullptr);
    ASSERT_EQ(dc.texts().size(), 1u);
    EXPECT_EQ(dc.texts()[0].rfind("Ellipse " + std::to_string(INT_MAX - 2), 0), 0u) << dc.texts()[0];
}

TEST(LineShape, EachPartIsItsOwnPath) {
    georef::CTransform t = view();
    const std::int32_t parts[] = {0, 3};
    const CSFPt points[] = {{37.5, 55.5}, {37.6, 55.5}, {37.6, 55.6}, {37.4, 55.4}, {37.3, 55.4}};
    CSFLine line(7, 2, 5, parts, points);
    recording_dc dc;
    line.Draw(&dc, &t);
    EXPECT_EQ(dc.texts(), (std::vector<std::string>{
                              "MoveTo " + at(t, 37.5, 55.5), "LineTo " + at(t, 37.6, 55.5),
                              "LineTo " + at(t, 37.6, 55.6), "MoveTo " + at(t, 37.4, 55.4),
                              "LineTo " + at(t, 37.3, 55.4)}));
    EXPECT_EQ(line.m_ptWork, (CSFPt{37.3, 55.4}));

    // A part of one point moves there and draws nothing.
    const std::int32_t single[] = {0};
    CSFLine dot(1, 1, 1, single, points);
    dc.clear();
    dot.Draw(&dc, &t);
    EXPECT_EQ(dc.texts(), (std::vector<std::string>{"MoveTo " + at(t, 37.5, 55.5)}));
}

// All rings make one path filled under the alternate rule: a ring inside another is a hole,
// whichever way either turns, and nothing is outlined.
TEST(PolygonShape, RingsAreFilledAsOnePathSoHolesStayOpen) {
    georef::CTransform t = view();
    const std::int32_t parts[] = {0, 5};
    const CSFPt points[] = {{37.4, 55.4}, {37.6, 55.4}, {37.6, 55.6}, {37.4, 55.6}, {37.4, 55.4},
                            {37.45, 55.45}, {37.55, 55.45}, {37.55, 55.55}, {37.45, 55.55}, {37.45, 55.45}};
    CSFPolygon polygon(3, 2, 10, parts, points);
    recording_dc dc;
    polygon.Draw(&dc, &t);
    const auto texts = dc.texts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0], "BeginPath");
    EXPECT_EQ(texts[1].rfind("Polygon " + at(t, 37.4, 55.4) + " ", 0), 0u) << texts[1];
    EXPECT_EQ(texts[2].rfind("Polygon " + at(t, 37.45, 55.45) + " ", 0), 0u) << texts[2];
    EXPECT_EQ(texts[3], "EndPath");
    EXPECT_EQ(texts[4], "FillPath");

    platform::CImageDC image(400, 300);
    platform::CBrush brush(0x000000FF);
    image.SelectObject(&brush);
    image.SetPolyFillMode(platform::WINDING);
    polygon.Draw(&image, &t);
    const platform::CPoint land = t.GeoToScreen(37.42, 55.5), lake = t.GeoToScreen(37.5, 55.5);
    EXPECT_EQ(image.GetPixel(land.x, land.y), 0x000000FFu);
    EXPECT_EQ(image.GetPixel(lake.x, lake.y), 0x00FFFFFFu);
    // The context's own fill mode is left as it was.
    EXPECT_EQ(image.SetPolyFillMode(platform::ALTERNATE), platform::WINDING);
}

TEST(ShapeRecords, RoundTripThroughTheMapDocument) {
    const std::int32_t parts[] = {0, 2};
    const CSFPt points[] = {{1.5, 2.5}, {3, 4}, {-5, -6}, {7.25, 8}};
    CSFLine line(42, 2, 4, parts, points);
    line.m_rcBox = {1, 2, 3, 4};
    CSFPoint point;
    point.m_nRecord = 9;
    point.m_pt = {-71.5, 42.25};

    CMemFile file;
    line.Write(file);
    point.Write(file);
    EXPECT_EQ(file.GetLength(), 12u + 8u + 64u + 20u);
    file.SeekToBegin();
    CSFLine back;
    CSFPoint point_back;
    ASSERT_EQ(back.Read(file), 0);
    ASSERT_EQ(point_back.Read(file), 0);
    EXPECT_EQ(back.m_nRecord, 42);
    EXPECT_EQ(back.m_nParts, 2u);
    EXPECT_EQ(back.m_nPoints, 4u);
    EXPECT_EQ(back.m_pParts, line.m_pParts);
    EXPECT_EQ(back.m_pPoints, line.m_pPoints);
    EXPECT_TRUE(back.m_rcBox.is_zero());  // boxes are not stored
    EXPECT_EQ(point_back.m_nRecord, 9);
    EXPECT_EQ(point_back.m_pt, point.m_pt);
}

TEST(ShapeRecords, BadDocumentRecordsFailWithoutHugeAllocations) {
    auto record = [](std::uint32_t parts, std::uint32_t points, std::vector<std::int32_t> starts, int extra_bytes) {
        CMemFile file;
        file.Write("\1\0\0\0", 4);
        std::uint8_t b[4];
        for (std::uint32_t v : {parts, points}) {
            for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(v >> (8 * i));
            file.Write(b, 4);
        }
        for (std::int32_t s : starts) {
            for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(s) >> (8 * i));
            file.Write(b, 4);
        }
        std::vector<std::uint8_t> zeros(static_cast<std::size_t>(extra_bytes));
        file.Write(zeros.data(), zeros.size());
        file.SeekToBegin();
        CSFLine line;
        return line.Read(file);
    };
    EXPECT_EQ(record(1, 2, {0}, 32), 0);
    EXPECT_EQ(record(1, 2, {0}, 31), 1);                     // cut short
    EXPECT_EQ(record(0xFFFFFFFF, 0xFFFFFFFF, {}, 100), 1);   // counts far beyond the file
    EXPECT_EQ(record(2, 2, {0, 3}, 32), 1);                  // a part starting past the points
    EXPECT_EQ(record(2, 2, {1, 0}, 32), 1);                  // parts out of order
    EXPECT_EQ(record(1, 2, {-1}, 32), 1);
    CMemFile empty;
    CSFPoint point;
    EXPECT_EQ(point.Read(empty), 1);
}

TEST(ShapeFromObject, TakesThePointsOfASource) {
    listed_points source({{1, 2}, {3, 4}, {5, 6}}, 1);
    CSFLine line;
    line.SetFromObject(source);
    EXPECT_EQ(line.m_nParts, 1u);
    EXPECT_EQ(line.m_pParts, std::vector<std::int32_t>{0});
    ASSERT_EQ(line.m_nPoints, 3u);
    EXPECT_EQ(line.m_pPoints[1], (CSFPt{0, 0}));  // a point the source could not give stays zero
    EXPECT_EQ(line.m_pPoints[2], (CSFPt{5, 6}));

    CSFPoint point;
    point.m_pt = {9, 9};
    point.SetFromObject(listed_points({}));
    EXPECT_EQ(point.m_pt, (CSFPt{9, 9}));
    point.SetFromObject(source);
    EXPECT_EQ(point.m_pt, (CSFPt{1, 2}));
}

TEST(GridCell, HoldsItsShapesAndWritesItsHeader) {
    CSFFragment cell;
    cell.m_rcBox = {1, 2, 3, 4};
    cell.m_nCell = 5;
    auto point = std::make_unique<CSFPoint>();
    point->m_pt = {1.5, 2.5};
    cell.AddShape(std::move(point));
    EXPECT_EQ(cell.m_nShapeCount, 1u);
    EXPECT_NE(cell.GetShape(0), nullptr);
    EXPECT_EQ(cell.GetShape(1), nullptr);

    CMemFile file;
    cell.Write(file);
    EXPECT_EQ(file.GetLength(), 40u + 20u);
    file.SeekToBegin();
    CSFFragment back;
    ASSERT_TRUE(back.Read(file));
    EXPECT_EQ(back.m_rcBox, cell.m_rcBox);
    EXPECT_EQ(back.m_nCell, 5);
    EXPECT_EQ(back.m_nShapeCount, 1u);
    EXPECT_EQ(back.m_nPrevColumn, -1);  // neighbours are not stored
    EXPECT_TRUE(back.m_aShapes.empty());
}
