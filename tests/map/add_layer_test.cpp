// Adding files to a map creates layers through the registry of layer kinds: stand-in kinds
// here, so that the map is seen without the layer folders.
#include <gtest/gtest.h>

#include "georef/tr_rss.h"
#include "georef/transform.h"
#include "map/layer_registry.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "tests/support/files.h"
#include "tests/support/recording_ui_service.h"
#include "tests/support/shp_bytes.h"

using namespace model;

namespace {

// A raster kind that takes every picture but those named "bad", and remembers what it got.
class picture_layer : public CSFLayer {
public:
    explicit picture_layer(CSFMap* map) : CSFLayer(kLayerRRE, map) {}
    int ImportRaster(const std::string& name, const std::string& path) override {
        imported = name + " " + path;
        return name.rfind("bad", 0) == 0 ? 1 : 0;
    }
    std::string imported;
};

std::string shapefile(const test_support::temp_dir& dir, const std::string& name, int shape_type) {
    test_support::shp_bytes f;
    f.header(shape_type, 1, 2, 3, 4);
    const auto& bytes = f.finish();
    test_support::write_bytes(dir.file(name), std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    return dir.file(name);
}

}  // namespace

TEST(AddLayer, KindsComeFromTheRegistryAndResultsKeepTheirNumbers) {
    static_assert(layer_added == 0 && layer_refused == 1 && file_not_opened == 2 && header_invalid == 3 &&
                  raster_not_rre == 6);
    register_layer_kind(kLayerLine, [](CSFMap* map) { return std::make_unique<CSFLayer>(kLayerLine, map); });
    register_layer_kind(kLayerIcons, [](CSFMap* map) { return std::make_unique<CSFLayer>(kLayerIcons, map); });
    test_support::temp_dir dir;
    test_support::recording_ui ui;
    CSFMap map;

    CSFLayer* added = nullptr;
    ASSERT_EQ(map.AddLayerFromFile(shapefile(dir, "roads.shp", kLayerLine), &added), layer_added);
    EXPECT_EQ(added, map.GetLayer(0));
    EXPECT_EQ(added->m_nKind, kLayerLine);
    EXPECT_EQ(added->m_strName, "roads");
    EXPECT_EQ(added->m_rcBounds, (CSFRect{1, 2, 3, 4}));
    EXPECT_EQ(added->m_pTransform, static_cast<georef::CTr*>(map.get_transform()));

    // A shapefile kind nobody registered, or a header naming a kind no shapefile makes, is an
    // unsupported type; so is a file the map does not know.
    EXPECT_EQ(map.AddLayerFromFile(shapefile(dir, "towns.shp", kLayerPoint), nullptr), layer_refused);
    EXPECT_EQ(map.AddLayerFromFile(shapefile(dir, "icons.shp", kLayerIcons), nullptr), layer_refused);
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[1].text, "Unsupported type (shape type 1000, unknown; Point, PolyLine and Polygon are read)");
    EXPECT_EQ(map.AddLayerFromFile(dir.file("notes.txt"), nullptr), layer_refused);
    EXPECT_EQ(map.AddLayerFromFile(dir.file("missing.shp"), nullptr), file_not_opened);
    test_support::write_bytes(dir.file("short.shp"), std::vector<std::uint8_t>(60, 0));
    EXPECT_EQ(map.AddLayerFromFile(dir.file("short.shp"), nullptr), header_invalid);
    EXPECT_EQ(map.GetLayerCount(), 1u);
}

TEST(AddLayer, PicturesBecomeTheRasterKindOnceItIsRegistered) {
    test_support::temp_dir dir;
    CSFMap map;
    EXPECT_EQ(map.AddLayerFromFile(dir.file("scan.jpg"), nullptr), layer_refused);

    register_layer_kind(kLayerRRE, [](CSFMap* map) -> std::unique_ptr<CSFLayer> {
        return std::make_unique<picture_layer>(map);
    });
    EXPECT_EQ(map.AddLayerFromFile(dir.file("bad.bmp"), nullptr), layer_refused);
    EXPECT_EQ(map.GetLayerCount(), 0u);
    CSFLayer* added = nullptr;
    ASSERT_EQ(map.AddLayerFromFile(dir.file("Scan.JPEG"), &added), layer_added);
    EXPECT_EQ(static_cast<picture_layer*>(added)->imported, "Scan.JPEG " + dir.file("Scan.JPEG"));
    EXPECT_EQ(added->m_pTransform, static_cast<georef::CTr*>(map.get_snap_transform()));
    EXPECT_EQ(map.GetRasterLayer(), added);

    // Beside an image layer no picture is taken.
    CSFMap old;
    old.AddLayer(std::make_unique<CSFLayer>(kLayerImage));
    EXPECT_EQ(old.AddLayerFromFile(dir.file("scan.jpg"), nullptr), raster_not_rre);
    EXPECT_EQ(old.GetLayerCount(), 1u);
}
