// The layer kinds as the map creates them by kind tag, and the icon layer seen from the map.
#include <gtest/gtest.h>

#include "map/layer_registry.h"
#include "map/sf_map.h"
#include "vector/layer_icons.h"
#include "vector/layer_line.h"
#include "vector/layer_point.h"
#include "vector/layer_polygon.h"
#include "vector/register_layers.h"

using namespace model;

TEST(Layer, NewLayersOfEveryKind) {
    register_vector_layers();
    register_vector_layers();  // a second registration changes nothing
    for (std::uint32_t kind : {kLayerPoint, kLayerLine, kLayerPolygon, kLayerIcons}) {
        auto layer = create_layer(kind);
        ASSERT_NE(layer, nullptr) << kind;
        EXPECT_TRUE(layer->IsVisible());
        EXPECT_EQ(layer->m_crContour, 0x00800000u);
        EXPECT_EQ(layer->m_crFill, 0x008CB4D2u);
        EXPECT_EQ(layer->m_nKind, kind);
        EXPECT_EQ(layer->IsFilled(), kind == kLayerPolygon);
    }
    // Each tag makes its own class; a polygon layer is a line layer too, not the other way.
    EXPECT_NE(dynamic_cast<CSFLayerPoint*>(create_layer(kLayerPoint).get()), nullptr);
    EXPECT_NE(dynamic_cast<CSFLayerPolygon*>(create_layer(kLayerPolygon).get()), nullptr);
    EXPECT_EQ(dynamic_cast<CSFLayerPolygon*>(create_layer(kLayerLine).get()), nullptr);
    EXPECT_NE(dynamic_cast<CSFLayerIcons*>(create_layer(kLayerIcons).get()), nullptr);
    CSFMap map;
    EXPECT_EQ(create_layer(kLayerLine, &map)->m_pMap, &map);
    EXPECT_EQ(create_layer(kLayerRRE), nullptr);
    CSFLayer bare(0);
    EXPECT_EQ(bare.GetShape(0), nullptr);
}

TEST(Map, IconsComeFromTheIconLayer) {
    CSFMap map;
    EXPECT_EQ(map.GetIcon(0), nullptr);
    auto icons = std::make_unique<CSFLayerIcons>();
    icons->AddIcon(std::make_unique<CPicture>(nullptr, platform::RGB(1, 2, 3), 16, 16));
    icons->AddIcon(std::make_unique<CPicture>(nullptr, platform::RGB(1, 2, 3), 32, 32));
    CSFLayerIcons* raw = icons.get();
    map.AddLayer(std::move(icons));
    EXPECT_EQ(raw->m_nIcons, 2u);
    EXPECT_EQ(map.GetIcon(1), raw->GetIcon(1));
    EXPECT_EQ(map.GetIcon(1)->m_nNumber, 1u);
    EXPECT_EQ(map.GetIcon(2), nullptr);
    EXPECT_EQ(map.GetIcon(-1), nullptr);
}

