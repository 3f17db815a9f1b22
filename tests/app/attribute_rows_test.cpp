// The attribute dialog's rows: two point layers of the same table, the rules of the Save
// and Draw cells, and OK.

#include <gtest/gtest.h>

#include "app/attribute_rows.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "tests/support/files.h"
#include "tests/support/recording_ui_service.h"
#include "tools/sample_shapes.h"
#include "vector/register_layers.h"

namespace app_test {
namespace {

TEST(AttributeRows, SaveAndDrawAcrossLayers) {
    test_support::temp_dir dir;
    test_support::recording_ui ui;
    ASSERT_EQ(write_sample_shapefiles(dir.path()), 0);
    model::register_vector_layers();
    model::CSFMap map;
    model::CSFLayer *first = nullptr, *second = nullptr, *roads = nullptr;
    ASSERT_EQ(map.AddLayerFromFile(dir.file("towns.shp"), &first), model::layer_added);
    ASSERT_EQ(map.AddLayerFromFile(dir.file("roads.shp"), &roads), model::layer_added);
    ASSERT_EQ(map.AddLayerFromFile(dir.file("towns.shp"), &second), model::layer_added);

    app::CAttributeRows rows;
    rows.Fill(&map, -1);
    // The later layer's fields come first; the line layer has none.
    ASSERT_EQ(rows.GetCount(), 4);
    EXPECT_EQ(rows.GetItem(0).layer, second);
    EXPECT_EQ(rows.GetItem(2).layer, first);
    EXPECT_EQ(rows.GetName(0), "NAME");
    EXPECT_EQ(rows.GetName(3), "POP");
    rows.Fill(&map, 0);
    EXPECT_EQ(rows.GetCount(), 2);
    rows.Fill(nullptr, -1);
    EXPECT_EQ(rows.GetCount(), 0);

    rows.Fill(&map, -1);
    rows.ClickDraw(2);  // the first layer's NAME
    rows.ClickDraw(1);  // the second layer's POP: the only one drawn now
    EXPECT_FALSE(rows.GetItem(2).draw);
    EXPECT_TRUE(rows.GetItem(1).draw);
    rows.ClickSave(1);  // no longer saved: no longer drawn
    EXPECT_FALSE(rows.GetItem(1).draw);
    rows.ClickDraw(1);  // not saved: nothing happens
    EXPECT_FALSE(rows.GetItem(1).draw);
    rows.ClickDraw(0);
    rows.ClickDraw(0);  // the row that had it: off again
    EXPECT_FALSE(rows.GetItem(0).draw);
    rows.ClickDraw(3);

    rows.Apply();
    EXPECT_EQ(second->m_aFieldShown, (std::vector<std::uint8_t>{1, 0}));
    EXPECT_EQ(second->m_aFieldLabel, (std::vector<std::uint8_t>{0, 0}));
    EXPECT_EQ(first->m_aFieldShown, (std::vector<std::uint8_t>{1, 1}));
    EXPECT_EQ(first->m_aFieldLabel, (std::vector<std::uint8_t>{0, 1}));
}

}  // namespace
}  // namespace app_test
