// The map's layer list: adding, removing and moving keep every index right.
#include <gtest/gtest.h>

#include "georef/transform.h"
#include "georef/tr_rss.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"

using namespace model;

namespace {

// The map tells layers apart by their kind tags alone.
std::unique_ptr<CSFLayer> layer_with_bounds(std::uint32_t kind, CSFRect bounds) {
    auto layer = std::make_unique<CSFLayer>(kind);
    layer->m_rcBounds = bounds;
    return layer;
}

std::vector<std::uint32_t> indices(const CSFMap& map) {
    std::vector<std::uint32_t> out;
    for (std::uint32_t i = 0; i < map.GetLayerCount(); ++i) out.push_back(map.GetLayer(i)->m_nIndex);
    return out;
}

}  // namespace

TEST(Map, AddingRecordsKindsAndWidensByLines) {
    CSFMap map;
    EXPECT_EQ(map.AddLayer(layer_with_bounds(kLayerPoint, {50, 50, 60, 60})), 0u);
    EXPECT_EQ(map.get_bounds(), (CSFRect{}));  // point layers do not widen when added
    EXPECT_EQ(map.AddLayer(layer_with_bounds(kLayerLine, {-1, -2, 3, 4})), 1u);
    EXPECT_EQ(map.get_bounds(), (CSFRect{-1, -2, 3, 4}));
    EXPECT_EQ(map.AddLayer(layer_with_bounds(kLayerIcons, {})), 2u);
    EXPECT_EQ(map.AddLayer(layer_with_bounds(kLayerRRE, {0, 0, 1000, 1000})), 3u);
    EXPECT_EQ(map.m_nIconsLayer, 2);
    EXPECT_EQ(map.m_nRasterLayer, 3);
    EXPECT_EQ(map.GetRasterLayer(), map.GetLayer(3));
    EXPECT_EQ(map.GetLayer(4), nullptr);
    EXPECT_EQ(map.GetLayer(1)->m_pMap, &map);

    map.RecomputeBounds();
    EXPECT_EQ(map.get_bounds(), (CSFRect{-1, -2, 1000, 1000}));
}

TEST(Map, RemovingAndMovingRenumber) {
    CSFMap map;
    map.AddLayer(layer_with_bounds(kLayerLine, {}));
    map.AddLayer(layer_with_bounds(kLayerPoint, {}));
    map.AddLayer(layer_with_bounds(kLayerIcons, {}));
    map.AddLayer(layer_with_bounds(kLayerImage, {}));
    EXPECT_EQ(map.m_nRasterLayer, 3);
    map.SetSelectedLayer(1);

    EXPECT_EQ(map.RemoveLayer(4), 1u);
    EXPECT_EQ(map.RemoveLayer(0), 0u);
    EXPECT_EQ(map.GetLayerCount(), 3u);
    EXPECT_EQ(indices(map), (std::vector<std::uint32_t>{0, 1, 2}));
    EXPECT_EQ(map.m_nIconsLayer, 1);
    // Renumbering knows only RRE layers as raster layers.
    EXPECT_EQ(map.m_nRasterLayer, -1);
    EXPECT_EQ(map.GetSelectedLayer(), 1);

    map.MoveLayer(1, 0);
    EXPECT_EQ(map.m_nIconsLayer, 0);
    EXPECT_EQ(map.GetLayer(1)->m_nKind, kLayerPoint);
    map.MoveLayer(0, 99);  // beyond the end: last
    EXPECT_EQ(map.m_nIconsLayer, 2);
    EXPECT_EQ(indices(map), (std::vector<std::uint32_t>{0, 1, 2}));
    map.MoveLayer(7, 0);
    EXPECT_EQ(map.GetLayerCount(), 3u);

    EXPECT_EQ(map.RemoveLayer(2), 0u);
    EXPECT_EQ(map.m_nIconsLayer, -1);
}

TEST(Map, BoundsSkipTheIconLayer) {
    CSFMap map;
    map.AddLayer(layer_with_bounds(kLayerIcons, {-500, -500, 500, 500}));
    map.m_rcBounds = {1, 2, 3, 4};
    map.RecomputeBounds();
    EXPECT_EQ(map.get_bounds(), (CSFRect{1, 2, 3, 4}));
    map.AddLayer(layer_with_bounds(kLayerPoint, {10, 20, 30, 40}));
    map.RecomputeBounds();
    EXPECT_EQ(map.get_bounds(), (CSFRect{10, 20, 30, 40}));
}

TEST(Map, NextVectorLayerWalksAllButIconsAndRRE) {
    CSFMap map;
    map.AddLayer(layer_with_bounds(kLayerIcons, {}));
    map.AddLayer(layer_with_bounds(kLayerPoint, {}));
    map.AddLayer(layer_with_bounds(kLayerRRE, {}));
    map.AddLayer(layer_with_bounds(kLayerImage, {}));
    map.AddLayer(layer_with_bounds(kLayerIcons, {}));
    std::int32_t position = -1;
    EXPECT_EQ(map.NextVectorLayer(position), map.GetLayer(1));
    EXPECT_EQ(position, 3);
    EXPECT_EQ(map.NextVectorLayer(position), map.GetLayer(3));
    EXPECT_EQ(position, 5);
    EXPECT_EQ(map.NextVectorLayer(position), nullptr);

    CSFMap only_icons;
    only_icons.AddLayer(layer_with_bounds(kLayerIcons, {}));
    std::int32_t start = 0;
    EXPECT_EQ(only_icons.NextVectorLayer(start), nullptr);
}

TEST(Map, ViewportZoomAndCoordinates) {
    CSFMap map;
    map.AddLayer(layer_with_bounds(kLayerLine, {37.0, 55.0, 38.0, 56.0}));
    map.RecomputeBounds();
    map.SetViewport(800, 600);
    map.ZoomToExtent();
    georef::CTransform* t = map.get_transform();
    EXPECT_EQ(t->GetWidth(), 800);
    // The north-west corner lands near the top-left and the box on the screen.
    const platform::CPoint nw = t->GeoToScreen(37.0, 56.0), se = t->GeoToScreen(38.0, 55.0);
    EXPECT_NEAR(nw.x, 0, 40);
    EXPECT_NEAR(nw.y, 0, 40);
    EXPECT_LT(se.x, 800);
    EXPECT_LT(se.y, 600);
    const CSFPt geo = map.ScreenToGeo(nw);
    EXPECT_NEAR(geo.X, 37.0, 0.01);
    EXPECT_NEAR(geo.Y, 56.0, 0.01);

    const double scale = t->GetScale();
    map.ZoomIn();
    EXPECT_DOUBLE_EQ(t->GetScale(), 2 * scale);
    map.ZoomOut();
    EXPECT_DOUBLE_EQ(t->GetScale(), scale);
    map.Rotate(0.5);
    EXPECT_DOUBLE_EQ(t->GetRotation(), 0.5);

    // With a raster layer, coordinates come from the snap transform, (0, 0) until snapped.
    map.AddLayer(layer_with_bounds(kLayerRRE, {}));
    EXPECT_EQ(map.ScreenToGeo({10, 20}), (CSFPt{0, 0}));
    const georef::CPt src[] = {{0.0, 0.0, 0.0}, {100.0, 0.0, 0.0}, {0.0, 100.0, 0.0}};
    const georef::CPt dst[] = {{37.0, 56.0, 0.0}, {38.0, 56.0, 0.0}, {37.0, 55.0, 0.0}};
    map.get_snap_transform()->Fit(src, dst, 3);
    const CSFPt snapped = map.ScreenToGeo({50, 50});
    EXPECT_NEAR(snapped.X, 37.5, 1e-6);
    EXPECT_NEAR(snapped.Y, 55.5, 1e-6);
}
