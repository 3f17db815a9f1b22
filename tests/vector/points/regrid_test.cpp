// Points sorted into grid cells, and point layers taken over from text export layers.

#include <gtest/gtest.h>

#include "tests/support/recording_ui_service.h"
#include "tests/vector/points/points_support.h"

using namespace model;

using points_test::ktf_layer_double;

namespace {

std::unique_ptr<CSFLayerPoint> layer_of(const std::vector<CSFPt>& points, const CSFRect& bounds) {
    auto layer = std::make_unique<CSFLayerPoint>();
    layer->m_pShapes.resize(points.size());
    layer->m_nShapes = static_cast<std::uint32_t>(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        layer->m_pShapes[i].m_pt = points[i];
        layer->m_pShapes[i].m_nRecord = static_cast<std::int32_t>(i + 1);
        layer->m_pShapes[i].SetAttributeCount(1);
        layer->m_pShapes[i].SetAttribute(0, _attrValue::from_double(static_cast<double>(i)));
    }
    layer->m_rcBounds = bounds;
    return layer;
}

}  // namespace

TEST(PointRegrid, EachPointGoesAsACopyToTheFirstCellThatHoldsIt) {
    test_support::recording_ui ui;
    // Cells of 0.1 x 0.1 over (0, 0)-(1, 1): 1/(10*0.0001) = 1000 steps, plus one.
    auto layer = layer_of({{0.05, 0.05}, {0.95, 0.15}, {0.1001, 0.3}, {0.2, 0.2002}, {1.0, 1.0}}, {0, 0, 1, 1});
    ASSERT_EQ(layer->Regrid(10, 10), 0);
    EXPECT_TRUE(ui.messages().empty());
    ASSERT_EQ(layer->m_pCells.size(), 100u);
    EXPECT_EQ(layer->m_nGridShapes, 5u);
    auto cell_of = [&](std::size_t k) { return layer->m_pCells[k].m_aShapes.size(); };
    EXPECT_EQ(cell_of(0), 1u);
    EXPECT_EQ(cell_of(19), 1u);
    // On the shared edge of two cells (0.1001 is the first cell's right edge): the first.
    EXPECT_EQ(cell_of(20), 1u);
    EXPECT_EQ(cell_of(11), 1u);
    EXPECT_EQ(cell_of(99), 1u);

    const auto* copy = dynamic_cast<const CSFPoint*>(layer->m_pCells[19].GetShape(0));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->m_pt, (CSFPt{0.95, 0.15}));
    EXPECT_EQ(copy->m_nRecord, 0);
    EXPECT_EQ(copy->GetAttribute(0).get_double(), 1.0);
    EXPECT_NE(copy, &layer->m_pShapes[1]);

    // Regridding again replaces the cells.
    ASSERT_EQ(layer->Regrid(2, 2), 0);
    EXPECT_EQ(layer->m_pCells.size(), 4u);
    EXPECT_EQ(layer->m_pCells[0].m_aShapes.size(), 3u);
    EXPECT_EQ(layer->m_pCells[3].m_aShapes.size(), 1u);
}

TEST(PointRegrid, APointOutsideEveryCellStopsWithTheLayersPosition) {
    test_support::recording_ui ui;
    CSFMap map;
    map.AddLayer(layer_of({{0.5, 0.5}}, {0, 0, 1, 1}));
    map.AddLayer(layer_of({{0.5, 0.5}, {3.0, 0.5}, {0.6, 0.6}}, {0, 0, 1, 1}));
    auto* layer = dynamic_cast<CSFLayerPoint*>(map.GetLayer(1));
    EXPECT_EQ(layer->Regrid(10, 10), 1);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "The point is out of map bounds. Layer index is - 1");
    // What was sorted before the stray point stays.
    std::size_t kept = 0;
    for (const CSFFragment& cell : layer->m_pCells) kept += cell.m_aShapes.size();
    EXPECT_EQ(kept, 1u);
    EXPECT_EQ(layer->m_nGridShapes, 0u);
}

TEST(PointRegrid, CellsReachTheirNeighboursEdgesWithin1e5) {
    auto layer = layer_of({}, {0, 0, 1, 1});
    layer->AllocateGrid(10, 10);
    const double right = layer->m_pCells[9].m_rcBox.maxX;
    EXPECT_EQ(layer->find_cell({right + 0.9e-5, 0.5}), 49);
    EXPECT_EQ(layer->find_cell({right + 1.1e-5, 0.5}), -1);
    EXPECT_EQ(layer->find_cell({-0.9e-5, -0.9e-5}), 0);
    EXPECT_EQ(layer->find_cell({0.5, -1.1e-5}), -1);
    CSFLayerPoint none;
    EXPECT_EQ(none.find_cell({0, 0}), -1);
}

TEST(PointsFromTextExport, EachObjectGivesItsFirstPointAndAllPointsGiveTheBounds) {
    ktf_layer_double source;
    source.add({{-1, -1}, {7, 2}});
    source.add({{1, 1}});
    // After the first two objects the box sums to zero; later points still widen it.
    source.add({{5, 5}, {-3, 4}});
    CSFLayerPoint layer;
    layer.m_strName = "old";
    layer.m_pShapes.resize(9);
    layer.SetFromKTFLayer(source);
    EXPECT_EQ(layer.m_strName, "KTF layer");
    EXPECT_EQ(layer.m_nShapes, 3u);
    ASSERT_EQ(layer.m_pShapes.size(), 3u);
    EXPECT_EQ(layer.m_pShapes[0].m_pt, (CSFPt{-1, -1}));
    EXPECT_EQ(layer.m_pShapes[1].m_pt, (CSFPt{1, 1}));
    EXPECT_EQ(layer.m_pShapes[2].m_pt, (CSFPt{5, 5}));
    EXPECT_EQ(layer.m_rcBounds, (CSFRect{-3, -1, 7, 5}));
    EXPECT_EQ(layer.m_header.m_nShapeType, 1);
    EXPECT_EQ(layer.m_header.m_dXmin, -3);
    EXPECT_EQ(layer.m_header.m_dYmax, 5);

    // Every point lies in the bounds, so the layer can be cut into cells.
    test_support::recording_ui ui;
    EXPECT_EQ(layer.Regrid(10, 10), 0);
    EXPECT_TRUE(ui.messages().empty());
}
