// The export of a picture as an RRE layer: the frame grid, the document record both ways,
// the stand-alone file, and what bad pictures and records come to.
#include <gtest/gtest.h>

#include <numbers>

#include "georef/tr_rss.h"
#include "map/sf_map.h"
#include "nimbra/image/bmp_image.h"
#include "nimbra/layer/layer_image.h"
#include "nimbra/layer/read_layer.h"
#include "platform/file_io.h"
#include "platform/mem_file.h"
#include "raster/frame_grid.h"
#include "raster/layer_rre.h"
#include "raster/register_layers.h"
#include "raster/rre_export.h"
#include "tests/raster/pictures.h"
#include "tests/support/files.h"
#include "tests/support/recording_ui_service.h"

using namespace model;
namespace nimbra = tarvel_tech::nimbra;

namespace {

// A north-up transformation for pictures of about 1000 pixels at 41 degrees north.
georef::CTrRSS north_up() {
    georef::CTrRSS tr;
    georef::CPt pixels[3] = {{0.0, 0.0, 0.0}, {1000.0, 0.0, 0.0}, {0.0, 700.0, 0.0}};
    georef::CPt ground[3] = {{44.0, 41.5, 0.0}, {44.12, 41.5, 0.0}, {44.0, 41.437, 0.0}};
    tr.Fit(pixels, ground, 3);
    return tr;
}

std::unique_ptr<CSFLayerRRE> layer_with(nimbra::image&& picture) {
    auto layer = std::make_unique<CSFLayerRRE>();
    auto held = picture.clone();
    held->take_over(picture);
    layer->m_pPicture = std::move(held);
    layer->m_trSnap = north_up();
    return layer;
}

}  // namespace

TEST(FrameGrid, ExamplesAndEveryPictureUpTo300Pixels) {
    EXPECT_EQ(frame_grid::for_picture(1000, 700), (frame_grid{108, 140, 9, 5}));
    EXPECT_EQ(frame_grid::for_picture(240, 320), (frame_grid{120, 160, 2, 2}));
    EXPECT_EQ(frame_grid::for_picture(130, 150), (frame_grid{64, 148, 2, 1}));
    EXPECT_EQ(frame_grid::for_picture(1000, 700).covered_width(), 972);

    for (int side = 0; side <= 300; ++side) {
        const frame_grid g = frame_grid::for_picture(side, side);
        if (side < 4) {
            EXPECT_TRUE(g.empty()) << side;
            continue;
        }
        // Sides of 4n pixels, no longer than preferred, never longer than the picture, and
        // the strip left out narrower than a frame.
        for (auto [frame, count, preferred] : {std::tuple{g.frame_width, g.columns, 120},
                                               std::tuple{g.frame_height, g.rows, 160}}) {
            EXPECT_EQ(frame % 4, 0) << side;
            EXPECT_GE(frame, 4) << side;
            EXPECT_LE(frame, preferred) << side;
            EXPECT_LE(frame * count, side) << side;
            EXPECT_LT(side - frame * count, frame) << side;
        }
    }
}

TEST(RREExport, DocumentRecordRoundTripsThroughMemory) {
    test_support::recording_ui ui;
    nimbra::jpg_image original = raster_test::ramp_picture(250, 330);
    CSFMap map;
    std::unique_ptr<CSFLayerRRE> layer = layer_with(raster_test::ramp_picture(250, 330));
    const georef::CTrRSS fitted = layer->m_trSnap;

    // Saved and read twice: the second time the picture is the frames decoded from the first,
    // 240 x 324 pixels, which make 2 x 3 frames.
    for (const std::string expected : {"RRE-9", "RRE-9-6"}) {
        // A marker behind the record: the read must end exactly where the record does.
        platform::CMemFile file;
        layer->m_nIndex = 7;
        layer->WriteDocument(file);
        platform::file_io::write_u32(file, 0xC0FFEE);
        file.SeekToBegin();
        std::uint32_t tag = 0, marker = 0;
        ASSERT_TRUE(platform::file_io::read_u32(file, tag));
        EXPECT_EQ(tag, kLayerRRE);
        auto read = std::make_unique<CSFLayerRRE>(&map);
        read->m_pTransform = map.get_snap_transform();
        ASSERT_EQ(read->ReadDocument(file), read_ok) << expected;
        ASSERT_TRUE(platform::file_io::read_u32(file, marker));
        EXPECT_EQ(marker, 0xC0FFEEu);
        EXPECT_EQ(read->m_strName, expected);

        // The coefficients travel exactly, into both transformations, fitted.
        EXPECT_EQ(read->m_trSnap.GetDirect(), fitted.GetDirect());
        EXPECT_EQ(read->m_trSnap.GetInverse(), fitted.GetInverse());
        EXPECT_TRUE(read->m_trSnap.IsValid());
        EXPECT_EQ(map.get_snap_transform()->GetDirect(), fitted.GetDirect());
        EXPECT_NEAR(read->m_trSnap.GetTheta(), fitted.GetTheta(), 1e-12);
        EXPECT_NEAR(read->m_trSnap.GetSy(), fitted.GetSy(), 1e-15);
        // 250 x 330: three frames of 80 across, three of 108 down; the strips beyond are left
        // out. The frames put together are the picture within JPEG's error.
        ASSERT_EQ(read->get_picture_size(), (platform::CSize{240, 324}));
        const raster_test::difference d = raster_test::compare(original, *read->m_pPicture, 240, 324);
        EXPECT_LE(d.largest, 24);
        EXPECT_LT(d.mean, 1.5);
        // Its bounds: the picture's corners on the ground.
        EXPECT_NEAR(read->m_rcBounds.minX, 44.0 - 0.5 * 0.12 / 1000, 1e-9);
        EXPECT_NEAR(read->m_rcBounds.maxY, 41.5 + 0.5 * 0.063 / 700, 1e-9);
        layer = std::move(read);
    }
    EXPECT_TRUE(ui.messages().empty());
}

TEST(RREExport, StandAloneFileHoldsTheBytesOfTheEmbeddedLayer) {
    register_raster_layers();
    test_support::recording_ui ui;
    test_support::temp_dir dir;
    nimbra::jpg_image picture = raster_test::ramp_picture(300, 200);
    CSFMap map;
    CSFLayer* added = nullptr;
    ASSERT_EQ(map.AddLayerFromFile(raster_test::save_jpeg(picture, dir.file("scan.jpg")), &added), layer_added);
    auto* layer = dynamic_cast<CSFLayerRRE*>(added);
    ASSERT_TRUE(layer);

    // Not before the map is snapped; then the file, whole, through the map's transformation.
    EXPECT_FALSE(export_raster_layer(map, dir.file("out.rre"), 75));
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "You must snap the previous layer...");
    EXPECT_EQ(ui.messages()[0].icon, platform::MB_ICONINFORMATION);
    *map.get_snap_transform() = north_up();
    layer->m_trSnap = north_up();
    std::string cause;
    ASSERT_TRUE(export_raster_layer(map, dir.file("out.rre"), 75, &cause)) << cause;

    platform::CMemFile document;
    ASSERT_TRUE(layer->ExportRRE(&document, layer->m_trSnap));
    const std::vector<std::uint8_t> file = test_support::read_bytes(dir.file("out.rre"));
    const std::uint8_t* embedded = document.GetBuffer();
    ASSERT_EQ(document.GetLength(), 4 + file.size());
    EXPECT_EQ(platform::endian::get_le32(embedded), file.size() - 276 - 8 * 6);
    EXPECT_TRUE(std::equal(file.begin(), file.end(), embedded + 4));

    nimbra::read_layer rre;
    ASSERT_TRUE(rre.load(dir.file("out.rre")));
    EXPECT_TRUE(rre.is_valid());
    EXPECT_EQ(rre.get_header().get_count_latitude_frames(), 3);
    EXPECT_EQ(rre.get_transform()[4], map.get_snap_transform()->GetDirect()[4]);
}

TEST(RREExport, PicturesWithAPaletteGoOutAsJpegFrames) {
    // An 8-bit picture of four colours, as a scanned sheet often is.
    nimbra::bmp_image indexed;
    ASSERT_TRUE(indexed.create(130, 150, 8, nimbra::image::bmp_type));
    const nimbra::COLORREF colours[4] = {0x000000FF, 0x0000FF00, 0x00FF0000, 0x00FFFFFF};
    indexed.get_palette().replace(colours, 4);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 130; ++x) indexed.set_index(x, y, (x / 32 + y / 40) % 4);
    nimbra::bmp_image expected(indexed);
    expected.create(130, 150, 8, nimbra::image::bmp_type);
    expected.get_palette().replace(colours, 4);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 130; ++x) expected.set_index(x, y, (x / 32 + y / 40) % 4);

    auto layer = layer_with(std::move(indexed));
    platform::CMemFile file;
    layer->WriteDocument(file);
    file.SeekToBegin();
    std::uint32_t tag = 0;
    platform::file_io::read_u32(file, tag);
    CSFLayerRRE read;
    ASSERT_EQ(read.ReadDocument(file), read_ok);
    EXPECT_EQ(read.m_strName, "RRE-2");
    ASSERT_EQ(read.m_pPicture->get_info().biBitCount, 24);
    // Edges between colours blur a little; most pixels keep their colour.
    EXPECT_LT(raster_test::compare(expected, *read.m_pPicture, 128, 148).mean, 6.0);
}

TEST(RREExport, BadPicturesAndRecordsFailCleanly) {
    test_support::recording_ui ui;
    // Fewer than 4 pixels on a side: no frame fits, and no record is left half written.
    for (auto [w, h] : {std::pair{3, 100}, std::pair{100, 3}, std::pair{1, 1}}) {
        auto tiny = layer_with(raster_test::ramp_picture(w, h));
        platform::CMemFile file;
        tiny->WriteDocument(file);
        EXPECT_EQ(file.GetLength(), 0u) << w << "x" << h;
        std::string cause;
        EXPECT_FALSE(tiny->ExportRRE(&file, tiny->m_trSnap, &cause));
        EXPECT_NE(cause.find("fewer than 4"), std::string::npos) << cause;
    }
    ASSERT_EQ(ui.messages().size(), 6u);
    EXPECT_EQ(ui.messages()[0].text, "No compatible size");
    EXPECT_EQ(ui.messages()[0].caption, "rre export");
    EXPECT_EQ(ui.messages()[0].icon, platform::MB_ICONEXCLAMATION);
    CSFLayerRRE empty;
    platform::CMemFile nothing;
    empty.WriteDocument(nothing);
    EXPECT_EQ(nothing.GetLength(), 0u);
    // A file that cannot be written: reported, and passed on so the document is not kept.
    ui.clear();
    const std::uint8_t none[1] = {};
    platform::CMemFile read_only(none, 0);
    EXPECT_THROW(layer_with(raster_test::ramp_picture(8, 8))->WriteDocument(read_only), platform::CFileException);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Image load..");
    EXPECT_EQ(ui.messages()[0].caption, "Save file failed...\n");

    // A long name goes out cut to the 255 characters a reader keeps.
    auto layer = layer_with(raster_test::ramp_picture(40, 40));
    layer->m_strName = std::string(300, 'n');
    platform::CMemFile file;
    layer->WriteDocument(file);
    std::vector<std::uint8_t> record(file.GetBuffer() + 4, file.GetBuffer() + file.GetLength());
    EXPECT_EQ(platform::endian::get_le32(record.data()), 255u);

    auto read = [](std::vector<std::uint8_t> bytes) {
        platform::CMemFile in(static_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        CSFLayerRRE layer;
        const read_result result = layer.ReadDocument(in);
        return std::pair{result, layer.has_picture()};
    };
    EXPECT_EQ(read(record), (std::pair{read_ok, true}));
    // Every cut of the record, a name longer than a reader keeps or than the record, a body
    // length beyond the file, a frame body damaged: result 1 and no picture.
    for (std::size_t cut = 0; cut < record.size(); cut += 7)
        EXPECT_EQ(read({record.begin(), record.begin() + cut}).first, read_failed) << cut;
    for (std::uint32_t name : {256u, 0xFFFFFFFFu}) {
        auto bad = record;
        platform::endian::put_le32(bad.data(), name);
        EXPECT_EQ(read(bad), (std::pair{read_failed, false})) << name;
    }
    auto long_bodies = record;
    platform::endian::put_le32(long_bodies.data() + 4 + 255 + 4, 0x7FFFFFFF);
    EXPECT_EQ(read(long_bodies), (std::pair{read_failed, false}));
    const std::size_t base = 4 + 255 + 8;  // where the layer starts in the record
    auto damaged = record;
    damaged[base + platform::endian::get_le32(record.data() + base + 276)] = 0;  // the frame's first byte
    EXPECT_EQ(read(damaged), (std::pair{read_failed, false}));
    auto not_rre = record;
    platform::endian::put_le32(not_rre.data() + base, 2000);  // the layer type
    EXPECT_EQ(read(not_rre), (std::pair{read_failed, false}));
}
