// A snapped picture in the map document: stored as an RRE layer of JPEG frames and read back
// as the same grid, transformation and picture; a damaged RRE record ends the document.

#include <gtest/gtest.h>

#include "georef/tr_rss.h"
#include "map/sf_map.h"
#include "platform/image_dc.h"
#include "raster/frame_grid.h"
#include "raster/layer_rre.h"
#include "raster/register_layers.h"
#include "tests/map/sample_map.h"
#include "tests/raster/pictures.h"
#include "tests/support/files.h"
#include "tests/support/recording_ui_service.h"
#include "vector/register_layers.h"

using namespace model;
using test_support::read_bytes;

namespace {

CSFLayerRRE* snapped_picture(CSFMap& map, const std::string& path) {
    CSFLayer* added = nullptr;
    EXPECT_EQ(map.AddLayerFromFile(path, &added), layer_added);
    auto* layer = dynamic_cast<CSFLayerRRE*>(added);
    if (!layer) return nullptr;
    // The corners of the picture on the ground of the sample map.
    const struct {
        int x, y;
        double lon, lat;
    } holds[] = {{0, 0, -104, 41}, {999, 0, -94, 41}, {0, 699, -104, 36}, {999, 699, -94, 36}};
    for (const auto& h : holds) {
        const int i = layer->GetFootHolds().Add({h.x, h.y});
        layer->GetFootHolds().SetGround(i, georef::CPt(h.lon, h.lat, 0.0));
    }
    EXPECT_TRUE(layer->Snap());
    return layer;
}

std::vector<std::uint8_t> tail(const std::vector<std::uint8_t>& bytes, std::size_t count) {
    return {bytes.end() - static_cast<std::ptrdiff_t>(std::min(count, bytes.size())), bytes.end()};
}

}  // namespace

TEST(RasterDocument, SnappedPictureComesBackAsItsGridTransformAndPicture) {
    register_vector_layers();
    register_raster_layers();
    test_support::recording_ui ui;
    test_support::temp_dir dir;
    platform::CImageDC dc(16, 16);
    tarvel_tech::nimbra::jpg_image scan = raster_test::ramp_picture(1000, 700);
    raster_test::save_jpeg(scan, dir.file("scan.jpg"));

    CSFMap composed;
    CSFLayerRRE* picture = snapped_picture(composed, dir.file("scan.jpg"));
    ASSERT_NE(picture, nullptr);
    sample_map::compose(composed, sample_map::write_sources(dir.path()), &dc);
    ASSERT_EQ(composed.Save(dir.file("first.kxr")), map_saved);
    // The other layers' records, as a document without the picture holds them.
    picture->SetVisible(false);
    ASSERT_EQ(composed.Save(dir.file("vector.kxr")), map_saved);
    const std::size_t records = read_bytes(dir.file("vector.kxr")).size() - 11;

    CSFMap opened;
    ASSERT_EQ(opened.Load(dir.file("first.kxr"), &dc), map_loaded);
    ASSERT_EQ(opened.GetLayerCount(), 5u);
    const auto* read = dynamic_cast<const CSFLayerRRE*>(opened.GetLayer(0));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(opened.m_nRasterLayer, 0);
    // 1000 x 700 pixels go out as 9 x 5 frames of 108 x 140: 972 x 700.
    EXPECT_EQ(read->m_strName, "RRE-45");
    EXPECT_EQ(read->get_picture_size(), (platform::CSize{972, 700}));
    EXPECT_EQ(read->m_trSnap.GetDirect(), picture->m_trSnap.GetDirect());
    EXPECT_EQ(read->m_trSnap.GetInverse(), picture->m_trSnap.GetInverse());
    EXPECT_TRUE(opened.get_snap_transform()->IsValid());
    const raster_test::difference kept = raster_test::compare(*read->m_pPicture, *picture->m_pPicture, 972, 700);
    EXPECT_LT(kept.mean, 2.0);

    // Saved again: the frames are encoded anew from the decoded picture and the name grows by
    // the frame count at each reading; every other record stays byte for byte.
    ASSERT_EQ(opened.Save(dir.file("second.kxr")), map_saved);
    EXPECT_EQ(tail(read_bytes(dir.file("second.kxr")), records), tail(read_bytes(dir.file("first.kxr")), records));
    EXPECT_EQ(tail(read_bytes(dir.file("first.kxr")), records), tail(read_bytes(dir.file("vector.kxr")), records));
    CSFMap again;
    ASSERT_EQ(again.Load(dir.file("second.kxr"), &dc), map_loaded);
    const auto* twice = dynamic_cast<const CSFLayerRRE*>(again.GetLayer(0));
    ASSERT_NE(twice, nullptr);
    EXPECT_EQ(twice->m_strName, "RRE-45-45");
    EXPECT_EQ(twice->m_trSnap.GetDirect(), picture->m_trSnap.GetDirect());
    EXPECT_EQ(frame_grid::for_picture(972, 700), frame_grid::for_picture(1000, 700));

    // A damaged RRE record ends the document there; the layers before it stay.
    const std::vector<std::uint8_t> good = read_bytes(dir.file("first.kxr"));
    const std::size_t rre = 11 + 4 + 4 + 3 + 4 + 4;  // the embedded layer's first byte
    struct damage {
        const char* what;
        std::size_t at;
        std::vector<std::uint8_t> bytes;  // written there; none: the document ends there
    };
    const damage damages[] = {
        {"cut inside the layer's header", rre + 100, {}},
        {"cut inside the frame bodies", good.size() - records - 5000, {}},
        {"a name longer than the record", 15, {0xFF, 0xFF, 0, 0}},
        {"frame counts beyond the file", rre + 260, {0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F}},
        {"a frame body of no JPEG", rre + 276 + 45 * 8, {0, 0, 0, 0}},
    };
    for (const damage& d : damages) {
        std::vector<std::uint8_t> bytes = good;
        if (d.bytes.empty())
            bytes.resize(d.at);
        else
            std::copy(d.bytes.begin(), d.bytes.end(), bytes.begin() + static_cast<std::ptrdiff_t>(d.at));
        test_support::write_bytes(dir.file("damaged.kxr"), bytes);
        CSFMap damaged;
        EXPECT_EQ(damaged.Load(dir.file("damaged.kxr"), &dc), document_unreadable) << d.what;
        EXPECT_EQ(damaged.GetLayerCount(), 1u) << d.what;
    }
}
