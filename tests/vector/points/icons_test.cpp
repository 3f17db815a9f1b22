// Icon layers: loading the icon folder, the icon a point layer is drawn with, the icon
// chooser, and labels.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "georef/transform.h"
#include "nimbra/image/bmp_image.h"
#include "platform/image_dc.h"
#include "platform/settings.h"
#include "tests/formats/dbf_builders.h"
#include "tests/support/files.h"
#include "tests/support/recording_dc.h"
#include "tests/support/recording_ui_service.h"
#include "tests/support/settings_sandbox.h"
#include "tests/vector/points/points_support.h"
#include "vector/icon_folder.h"
#include "vector/layer_icons.h"
#include "vector/layer_line.h"
#include "vector/select_icon_dlg.h"

using namespace model;

using points_test::write_icon_bmp;

namespace {

class IconFolderTest : public ::testing::Test {
protected:
    test_support::settings_sandbox settings;
    test_support::recording_ui ui;
    test_support::temp_dir dir;
    std::string icons = dir.file("icons");

    void SetUp() override { std::filesystem::create_directory(icons); }

    // Red 16 x 16, then white 32 x 32 through palette entry 255, named so that the directory
    // order need not be theirs.
    void two_icons() {
        write_icon_bmp(icons + "/b_white.BMP", 32, 32, 255, 255, 255, 255);
        write_icon_bmp(icons + "/a_red.bmp", 16, 16, 255, 0, 0);
    }

    // Points at 37..38 E, 55..56 N with a NAME field, added as the program adds them.
    CSFLayerPoint* towns(CSFMap& map) {
        points_test::write_point_shapefile(dir.file("towns"), {{37.0, 55.0}, {38.0, 56.0}, {37.5, 55.5}});
        {
            dbf_test::shapelib_table t(dir.file("towns.dbf"));
            t.add("NAME", 'C', 10);
            t.text(0, 0, "South");
            t.text(1, 0, "North");
            t.text(2, 0, "Middle");
        }
        CSFLayerPoint* layer = points_test::add_point_layer(map, dir.file("towns.shp"));
        map.SetViewport(400, 300);
        map.ZoomToExtent();
        return layer;
    }
};

}  // namespace

TEST_F(IconFolderTest, EightBitBitmapsOfTheFolderBecomeIconsInNameOrder) {
    two_icons();
    std::ofstream(icons + "/notes.txt") << "not an icon";
    // A 24-bit picture and a cut-off bitmap hold no 8-bit pixels: they take no number.
    tarvel_tech::nimbra::bmp_image deep;
    ASSERT_NE(deep.create(8, 8, 24, 0), nullptr);
    ASSERT_TRUE(deep.save(icons + "/c_deep.bmp"));
    write_icon_bmp(icons + "/d_cut.bmp", 16, 16, 0, 255, 0);
    std::filesystem::resize_file(icons + "/d_cut.bmp", 200);
    std::filesystem::create_directory(icons + "/e_folder.bmp");

    CSFLayerIcons layer;
    EXPECT_FALSE(layer.LoadIcons(icons, nullptr));
    ASSERT_EQ(layer.m_nIcons, 2u);
    const CPicture* red = layer.GetIcon(0);
    const CPicture* white = layer.GetIcon(1);
    EXPECT_EQ(red->m_nNumber, 0u);
    EXPECT_EQ(white->m_nNumber, 1u);
    EXPECT_EQ(red->get_width(), 16u);
    EXPECT_EQ(white->get_height(), 32u);
    EXPECT_EQ(red->get_pixels()[0], 0xF800);
    EXPECT_EQ(white->get_pixels()[32 * 32 - 1], 0xFFFF);
    EXPECT_EQ(layer.GetIcon(2), nullptr);

    // The folder may be named with its separator at the end.
    CSFLayerIcons again;
    EXPECT_FALSE(again.LoadIcons(icons + "/", nullptr));
    EXPECT_EQ(again.m_nIcons, 2u);
}

TEST_F(IconFolderTest, AFolderWithoutBitmapsGivesTheMapNoIconLayer) {
    std::ofstream(icons + "/readme.txt") << "nothing";
    CSFLayerIcons layer;
    EXPECT_TRUE(layer.LoadIcons(icons, nullptr));
    EXPECT_TRUE(layer.LoadIcons(dir.file("missing"), nullptr));

    CSFMap map;
    CSFLayerPoint* points = towns(map);
    EXPECT_EQ(add_icon_layer_for(map, points, icons, nullptr), nullptr);
    EXPECT_EQ(map.m_nIconsLayer, -1);
    EXPECT_EQ(map.GetLayerCount(), 1u);
}

TEST_F(IconFolderTest, OnlyTheFirstPointLayerBringsTheIconLayer) {
    two_icons();
    CSFMap map;
    CSFLayerPoint* first = towns(map);
    CSFLayerIcons* added = add_icon_layer_for(map, first, icons, nullptr);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(map.m_nIconsLayer, 1);
    EXPECT_EQ(map.GetIcon(0), added->GetIcon(0));
    EXPECT_EQ(map.GetIcon(-1), nullptr);

    CSFLayerPoint* second = points_test::add_point_layer(map, dir.file("towns.shp"));
    EXPECT_EQ(add_icon_layer_for(map, second, icons, nullptr), nullptr);
    CSFLayerLine line;
    CSFMap other;
    EXPECT_EQ(add_icon_layer_for(other, &line, icons, nullptr), nullptr);
    EXPECT_EQ(map.GetLayerCount(), 3u);
}

TEST_F(IconFolderTest, PointsAreDrawnWithTheLayersIconOrAsCircles) {
    two_icons();
    CSFMap map;
    CSFLayerPoint* layer = towns(map);
    ASSERT_NE(add_icon_layer_for(map, layer, icons, nullptr), nullptr);
    georef::CTransform* t = map.get_transform();
    const platform::CPoint south = t->GeoToScreen(37.0, 55.0);

    test_support::recording_dc dc;
    map.DrawLayers(&dc);
    ASSERT_EQ(dc.calls().size(), 3u);
    EXPECT_EQ(dc.calls()[0].text, "Bitmap565 " + std::to_string(south.x) + " " + std::to_string(south.y) + " 16 16");

    layer->m_nIcon = 1;
    dc.clear();
    map.DrawLayers(&dc);
    EXPECT_EQ(dc.calls()[0].text.substr(dc.calls()[0].text.size() - 5), "32 32");

    // A number past the icons, or none, draws the circle in the layer's colours.
    for (std::int32_t number : {2, -1}) {
        layer->m_nIcon = number;
        dc.clear();
        map.DrawLayers(&dc);
        ASSERT_EQ(dc.calls().size(), 3u);
        EXPECT_EQ(dc.calls()[0].text, "Ellipse " + std::to_string(south.x - 2) + " " + std::to_string(south.y - 2) +
                                          " " + std::to_string(south.x + 2) + " " + std::to_string(south.y + 2));
        EXPECT_EQ(dc.calls()[0].pen, layer->m_crContour);
        EXPECT_EQ(dc.calls()[0].brush, layer->m_crFill);
    }

    // Drawn for real, the icon's pixels stand right of and below each point.
    layer->m_nIcon = 0;
    platform::CImageDC image(400, 300);
    map.DrawLayers(&image);
    for (const CSFPoint& p : layer->m_pShapes) {
        const platform::CPoint at = t->GeoToScreen(p.m_pt.X, p.m_pt.Y);
        if (at.x + 8 >= 400 || at.y + 8 >= 300) continue;
        EXPECT_EQ(image.GetPixel(at.x + 8, at.y + 8), platform::RGB(255, 0, 0)) << at.x << "," << at.y;
    }
}

TEST_F(IconFolderTest, TheLabelFieldIsChosenByNameAndDrawnBesideEachIcon) {
    two_icons();
    CSFMap map;
    CSFLayerPoint* layer = towns(map);
    ASSERT_NE(add_icon_layer_for(map, layer, icons, nullptr), nullptr);
    EXPECT_FALSE(layer->set_label_field("POPULATION"));
    EXPECT_EQ(layer->m_aFieldLabel, (std::vector<std::uint8_t>{0}));
    layer->m_aFieldShown = {0};
    ASSERT_TRUE(layer->set_label_field("name"));
    EXPECT_EQ(layer->m_aFieldLabel, (std::vector<std::uint8_t>{1}));
    EXPECT_EQ(layer->m_aFieldShown, (std::vector<std::uint8_t>{1}));

    test_support::recording_dc dc;
    map.DrawLayers(&dc);
    const platform::CPoint north = map.get_transform()->GeoToScreen(38.0, 56.0);
    ASSERT_EQ(dc.calls().size(), 6u);
    EXPECT_EQ(dc.calls()[3].text,
              "TextOut " + std::to_string(north.x + 16) + " " + std::to_string(north.y + 16) + " North");
}

TEST_F(IconFolderTest, TheIconChooserListsTheMapsIconsAndAnswersAPosition) {
    two_icons();
    CSFMap map;
    CSelectIconDlg nothing(&map);
    EXPECT_TRUE(nothing.get_items().empty());
    ui.answer_icon(0);
    EXPECT_EQ(nothing.DoModal(), -1);

    CSFLayerPoint* layer = towns(map);
    add_icon_layer_for(map, layer, icons, nullptr);
    CSelectIconDlg dialog(&map);
    const auto items = dialog.get_items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].caption, "icons 0");
    EXPECT_EQ(items[1].caption, "icons 1");
    EXPECT_EQ(items[1].width, 32);
    EXPECT_EQ(items[1].pixels, map.GetIcon(1)->get_pixels());

    ui.answer_icon(1);
    ui.answer_icon(2);
    ui.answer_icon(-1);
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_EQ(dialog.DoModal(), -1);  // past the list
    EXPECT_EQ(dialog.DoModal(), -1);  // closed without a choice
    EXPECT_EQ(ui.icon_choosers().back().size(), 2u);
}

TEST_F(IconFolderTest, TheIconFolderComesFromTheSettingsElseBesideTheProgram) {
    EXPECT_EQ(icon_folder("/opt/plotwright/bin"), "/opt/plotwright/bin/Icons");
    EXPECT_EQ(icon_folder("/opt/plotwright/bin/"), "/opt/plotwright/bin/Icons");
    platform::settings::set_path_icons(icons);
    EXPECT_EQ(icon_folder("/opt/plotwright/bin"), icons);
}
