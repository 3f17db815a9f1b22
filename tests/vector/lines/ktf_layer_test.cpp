#include <gtest/gtest.h>

#include "tests/support/recording_ui_service.h"
#include "tests/vector/lines/regrid_support.h"
#include "map/ktf_source.h"
#include "vector/layer_polygon.h"

using namespace model;

using namespace regrid_test;

namespace {

// Objects of a text export layer as the layers see them: points, some of which cannot be had.
struct object : point_source {
    explicit object(std::vector<CSFPt> p, std::vector<bool> m = {}) : points(std::move(p)), missing(std::move(m)) {}
    std::vector<CSFPt> points;
    std::vector<bool> missing;
    int GetPointCount() const override { return static_cast<int>(points.size()); }
    int GetPoint(int index, double& x, double& y) const override {
        if (index < 0 || index >= GetPointCount() || (index < int(missing.size()) && missing[std::size_t(index)]))
            return 1;
        x = points[std::size_t(index)].X;
        y = points[std::size_t(index)].Y;
        return 0;
    }
};

struct export_layer : ktf_layer_source {
    std::vector<object> objects;
    int get_object_count() const override { return static_cast<int>(objects.size()); }
    const point_source& get_object(int index) const override { return objects[std::size_t(index)]; }
};

export_layer three_objects() {
    export_layer layer;
    // The box of the first two points adds up to exactly zero; the third must still widen it.
    layer.objects.emplace_back(part{{-1, -1}, {1, 1}});
    layer.objects.emplace_back(part{{5, 5}, {4, 2}, {3, 3}}, std::vector<bool>{false, true, false});
    layer.objects.emplace_back(part{{2, 1}, {4, 4}, {2, 4}, {2, 1}});
    return layer;
}

}  // namespace

TEST(KTFLayer, LineLayerTakesOneLinePerObjectAndTheBoxOfAllTheirPoints) {
    CSFLayerLine layer;
    layer.m_pShapes.resize(9);
    layer.SetFromKTFLayer(three_objects());
    EXPECT_EQ(layer.m_strName, "KTF layer");
    EXPECT_EQ(layer.m_nShapes, 3u);
    ASSERT_EQ(layer.m_pShapes.size(), 3u);
    EXPECT_EQ(layer.m_pShapes[1].m_nParts, 1u);
    EXPECT_EQ(layer.m_pShapes[1].m_pParts, (std::vector<std::int32_t>{0}));
    // A point the object cannot give stays at zero, and the box takes it in like any other.
    EXPECT_EQ(layer.m_pShapes[1].m_pPoints, (part{{5, 5}, {0, 0}, {3, 3}}));
    EXPECT_EQ(layer.m_rcBounds, (CSFRect{-1, -1, 5, 5}));
    EXPECT_EQ(layer.m_header.m_nShapeType, 3);
    EXPECT_EQ(layer.m_header.m_dXmin, -1.0);
    EXPECT_EQ(layer.m_header.m_dYmax, 5.0);

    test_support::recording_ui ui;
    ASSERT_EQ(layer.Regrid(2, 2), 0);
    EXPECT_GT(layer.m_nPieceParts, 3u);
}

TEST(KTFLayer, PolygonLayerTakesThePolygonsAndLeavesTheOutlines) {
    CSFLayerPolygon layer;
    layer.m_pShapes.push_back(make_shape<CSFLine>(1, {{{9, 9}, {9, 8}}}));
    layer.SetFromKTFLayer(three_objects());
    EXPECT_EQ(layer.m_strName, "KTF layer");
    ASSERT_EQ(layer.m_pPolygons.size(), 3u);
    EXPECT_EQ(layer.m_pPolygons[2].m_pPoints, (part{{2, 1}, {4, 4}, {2, 4}, {2, 1}}));
    ASSERT_EQ(layer.m_pShapes.size(), 1u);
    EXPECT_EQ(layer.m_header.m_nShapeType, 5);
    EXPECT_EQ(layer.m_rcBounds, (CSFRect{-1, -1, 5, 5}));

    export_layer empty;
    layer.SetFromKTFLayer(empty);
    EXPECT_EQ(layer.m_nShapes, 0u);
    EXPECT_TRUE(layer.m_pPolygons.empty());
    EXPECT_EQ(layer.m_rcBounds, CSFRect{});
}
