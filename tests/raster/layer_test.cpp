// Raster layers in a map: pictures added from files, footholds and snapping, drawing, and
// the image layer of older documents.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <random>

#include "georef/snap.h"
#include "georef/tr_rss.h"
#include "map/sf_map.h"
#include "nimbra/paint/w32_paint.h"
#include "platform/file_io.h"
#include "platform/image_dc.h"
#include "platform/mem_file.h"
#include "raster/layer_image.h"
#include "raster/layer_rre.h"
#include "raster/register_layers.h"
#include "tests/georef/reference.h"
#include "tests/raster/pictures.h"
#include "tests/support/files.h"
#include "tests/support/recording_dc.h"
#include "tests/support/recording_ui_service.h"

using namespace model;
namespace nimbra = tarvel_tech::nimbra;
using georef::CPt;

namespace {

struct RasterLayers : ::testing::Test {
    void SetUp() override { register_raster_layers(); }
    test_support::recording_ui ui;
    test_support::temp_dir dir;
};

CSFLayerRRE* add_picture(CSFMap& map, const std::string& path) {
    CSFLayer* added = nullptr;
    if (map.AddLayerFromFile(path, &added) != layer_added) return nullptr;
    return dynamic_cast<CSFLayerRRE*>(added);
}

void place(CSFLayerRRE& layer, const CPt& pixel, const CPt& ground) {
    const int i = layer.GetFootHolds().Add({static_cast<int>(pixel.x), static_cast<int>(pixel.y)});
    layer.GetFootHolds().SetGround(i, ground);
}

}  // namespace

TEST_F(RasterLayers, PicturesBecomeRRELayersOneSnappedLayerAtATime) {
    nimbra::jpg_image picture = raster_test::ramp_picture(64, 48);
    raster_test::save_jpeg(picture, dir.file("photo.jpeg"));
    raster_test::save_jpeg(picture, dir.file("second.JPG"));

    // What cannot be read adds nothing and says nothing.
    test_support::write_bytes(dir.file("garbage.jpg"), std::vector<std::uint8_t>(300, 0x41));
    test_support::write_bytes(dir.file("empty.bmp"), {});
    auto jpeg = test_support::read_bytes(dir.file("photo.jpeg"));
    test_support::write_bytes(dir.file("cut.jpg"), {jpeg.begin(), jpeg.begin() + jpeg.size() / 2});
    for (const char* name : {"garbage.jpg", "empty.bmp", "cut.jpg", "missing.jpg", "photo.png"}) {
        CSFMap fresh;
        EXPECT_EQ(fresh.AddLayerFromFile(dir.file(name), nullptr), layer_refused) << name;
        EXPECT_EQ(fresh.GetLayerCount(), 0u) << name;
    }
    EXPECT_TRUE(ui.messages().empty());
    // A file that fails while it is read is reported: the process's own memory opens but
    // cannot be read from its start.
    std::filesystem::create_symlink("/proc/self/mem", dir.file("unreadable.jpg"));
    CSFMap fresh;
    EXPECT_EQ(fresh.AddLayerFromFile(dir.file("unreadable.jpg"), nullptr), layer_refused);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Image load..");
    EXPECT_EQ(ui.messages()[0].caption, "Load image failed...\n");
    ui.clear();

    CSFMap map;
    CSFLayerRRE* first = add_picture(map, dir.file("photo.jpeg"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->m_strName, "RRE");
    EXPECT_EQ(first->get_picture_size(), (platform::CSize{64, 48}));
    EXPECT_EQ(first->m_pTransform, static_cast<georef::CTr*>(map.get_snap_transform()));

    // A second picture waits until the first has its own fit.
    EXPECT_EQ(map.AddLayerFromFile(dir.file("second.JPG"), nullptr), layer_refused);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "You must snap the previous layer.");
    EXPECT_EQ(ui.messages()[0].icon, platform::MB_ICONINFORMATION);
    EXPECT_EQ(map.GetLayerCount(), 1u);

    place(*first, {0, 0, 0}, {10.0, 50.0, 0.0});
    place(*first, {63, 0, 0}, {10.063, 50.0, 0.0});
    place(*first, {0, 47, 0}, {10.0, 49.953, 0.0});
    ASSERT_TRUE(first->Snap());
    EXPECT_EQ(ui.messages().back().text, "The map was snaped.");

    // Drawn cell by cell, as an opened map is, the map takes its fit from the RRE layer last.
    const auto fitted = map.get_snap_transform()->GetDirect();
    map.get_snap_transform()->SetParameters(0.0, 1.0, 1.0, 0.0, 0.0);
    platform::CDC bare;
    map.DrawLayersGrid(&bare);
    EXPECT_EQ(map.get_snap_transform()->GetDirect(), fitted);

    ASSERT_TRUE(add_picture(map, dir.file("second.JPG")));
    EXPECT_EQ(map.GetLayerCount(), 2u);
}

TEST_F(RasterLayers, TurnedPicturesSnapToTheLeastSquaresOptimum) {
    std::mt19937 gen(13);
    std::normal_distribution<double> noise(0.0, 2e-5);
    for (const int degrees : {90, 180}) {
        CSFMap map;
        CSFLayerRRE layer(&map);
        layer.m_pTransform = map.get_snap_transform();
        nimbra::jpg_image picture = raster_test::ramp_picture(400, 300);
        layer.m_pPicture = picture.clone();
        layer.m_pPicture->take_over(picture);

        // A scan lying turned on the glass, north-up on the ground.
        const reference::rss truth{degrees * std::numbers::pi / 180.0, 1.0e-4, -1.0e-4, 37.6, 55.7};
        std::vector<CPt> pixels, ground;
        for (const CPt& p : {CPt(10, 12), CPt(390, 8), CPt(385, 290), CPt(5, 295), CPt(200, 150), CPt(120, 40)}) {
            pixels.push_back(p);
            ground.push_back(reference::Apply(truth, p) + CPt(noise(gen), noise(gen), 0.0));
            place(layer, p, ground.back());
        }
        // One more, not used, far off: it must not pull the fit.
        place(layer, {50, 50, 0}, {0.0, 0.0, 0.0});
        layer.GetFootHolds().SetUnused(6);
        ASSERT_TRUE(layer.Snap()) << degrees;

        const reference::rss best = reference::rss_fit(pixels, ground, -std::numbers::pi, std::numbers::pi);
        const georef::CTrRSS& fit = layer.m_trSnap;
        const int n = static_cast<int>(pixels.size());
        EXPECT_LE(fit.Residual(pixels.data(), ground.data(), n), reference::Rms(best, pixels, ground) * (1 + 1e-9))
            << degrees;
        EXPECT_EQ(fit.GetDirect(), map.get_snap_transform()->GetDirect());
        EXPECT_TRUE(layer.get_snap_copy()->IsValid());
        // The bounds are the box of the picture's outer corners on the ground: each corner
        // inside, each side touched by one.
        const CSFRect& b = layer.m_rcBounds;
        int touching = 0;
        for (const CPt& corner : {CPt(-0.5, -0.5, 0.0), CPt(399.5, -0.5, 0.0), CPt(-0.5, 299.5, 0.0), CPt(399.5, 299.5, 0.0)}) {
            const CPt g = fit.Forward(corner);
            EXPECT_TRUE(g.x >= b.minX && g.x <= b.maxX && g.y >= b.minY && g.y <= b.maxY) << degrees;
            touching += (g.x == b.minX) + (g.x == b.maxX) + (g.y == b.minY) + (g.y == b.maxY);
        }
        EXPECT_EQ(touching, 4) << degrees;
    }
}

TEST_F(RasterLayers, SnappingNeedsThreeUsedFootholdsAndTakesAThousand) {
    CSFMap map;
    CSFLayerRRE layer(&map);
    layer.m_pTransform = map.get_snap_transform();
    place(layer, {0, 0, 0}, {1, 1, 0});
    place(layer, {10, 0, 0}, {2, 1, 0});
    place(layer, {0, 10, 0}, {1, 2, 0});
    layer.GetFootHolds().SetUnused(2);
    EXPECT_FALSE(layer.Snap());
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "No enough foothold points.\r\nAt least 3 points are need to snap the map");
    EXPECT_FALSE(map.get_snap_transform()->IsValid());
    EXPECT_FALSE(layer.m_trSnap.IsValid());

    for (int i = 3; i < 1000; ++i) EXPECT_GE(layer.GetFootHolds().Add({i, i}), 0);
    EXPECT_EQ(layer.GetFootHolds().Add({1, 2}), -1);
    EXPECT_EQ(layer.GetFootHolds().GetCount(), 1000);
}

TEST_F(RasterLayers, PictureIsDrawnOneToOneIntoAPaintAndMarksOverIt) {
    CSFLayerRRE layer;
    nimbra::jpg_image picture = raster_test::ramp_picture(200, 150);
    layer.m_pPicture = picture.clone();
    layer.m_pPicture->take_over(picture);
    place(layer, {60, 50, 0}, {0, 0, 0});
    // The view scrolled to (30, 20), its client area 100 x 80.
    layer.SetView({30, 20}, {0, 0, 100, 80});

    const auto picture_pixel = [&](int x, int y) {
        const nimbra::RGBQUAD c = layer.m_pPicture->get_color(x, 150 - 1 - y);
        return platform::RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
    };
    for (const bool cells : {false, true}) {
        platform::CImageDC target(100, 80);
        target.SetWindowOrg(30, 20);
        {
            nimbra::w32_paint painter(&target, nullptr, nimbra::paint::fill_background);
            cells ? layer.DrawCells(&painter) : layer.DrawShapes(&painter);
        }
        for (int y = 20; y < 100; y += 7)
            for (int x = 30; x < 130; x += 9)
                if (std::abs(x - 60) > 16 || std::abs(y - 50) > 16) {
                    ASSERT_EQ(target.GetPixel(x, y), picture_pixel(x, y)) << x << "," << y;
                }
        // The marker's dot on the foothold, over the picture when shapes are drawn.
        EXPECT_EQ(target.GetPixel(60, 50) == platform::RGB(255, 0, 0), !cells);
    }

    // Outside a paint only the marks are drawn, and a hidden layer shows no picture.
    test_support::recording_dc plain;
    layer.DrawShapes(&plain);
    for (const std::string& call : plain.texts()) EXPECT_EQ(call.find("StretchDIBits"), std::string::npos);
    EXPECT_FALSE(plain.texts().empty());
    layer.SetVisible(false);
    platform::CImageDC target(100, 80);
    {
        nimbra::w32_paint painter(&target, nullptr, nimbra::paint::fill_background);
        layer.DrawCells(&painter);
    }
    EXPECT_EQ(target.GetPixel(50, 50), platform::RGB(255, 255, 255));
}

TEST_F(RasterLayers, ImageRecordKeepsItsPictureFileAndFit) {
    nimbra::jpg_image picture = raster_test::ramp_picture(90, 70);
    raster_test::save_jpeg(picture, dir.file("old.jpg"));
    const std::vector<std::uint8_t> jpeg = test_support::read_bytes(dir.file("old.jpg"));

    CSFMap map;
    CSFLayerImage layer(&map);
    layer.m_pTransform = map.get_snap_transform();
    layer.m_strPath = dir.file("old.jpg");
    layer.m_nImageWidth = 90;
    layer.m_nImageHeight = 70;
    platform::CMemFile unsnapped;
    layer.WriteDocument(unsnapped);
    EXPECT_EQ(unsnapped.GetLength(), 0u);

    CPt pixels[3] = {{0, 0, 0}, {90, 0, 0}, {0, 70, 0}}, ground[3] = {{5.0, 45.0, 0.0}, {5.09, 45.0, 0.0}, {5.0, 44.93, 0.0}};
    map.get_snap_transform()->Fit(pixels, ground, 3);
    platform::CMemFile file;
    layer.WriteDocument(file);
    ASSERT_EQ(file.GetLength(), 4 + 20 + 176 + 12 + jpeg.size());

    // Read into another map: its snap transformation, the name of every such record, and the
    // picture decoded from memory; written again, the record is the same to the byte.
    CSFMap other;
    CSFLayerImage read(&other);
    platform::CMemFile in(file.GetBuffer(), static_cast<std::size_t>(file.GetLength()));
    in.Seek(4, platform::CFile::begin);
    ASSERT_EQ(read.ReadDocument(in), read_ok);
    EXPECT_EQ(read.m_strName, "12345678912345678912");
    EXPECT_TRUE(other.get_snap_transform()->IsValid());
    EXPECT_EQ(other.get_snap_transform()->GetInverse(), map.get_snap_transform()->GetInverse());
    EXPECT_EQ(read.m_nImageWidth, 90u);
    nimbra::jpg_image direct(jpeg.data(), jpeg.size());
    EXPECT_EQ(raster_test::compare(direct, read.m_Image, 90, 70).largest, 0);
    read.m_pTransform = other.get_snap_transform();
    platform::CMemFile again;
    read.WriteDocument(again);
    ASSERT_EQ(again.GetLength(), file.GetLength());
    EXPECT_TRUE(std::equal(file.GetBuffer(), file.GetBuffer() + file.GetLength(), again.GetBuffer()));

    // Drawn one to one on any context.
    read.SetView({0, 0}, {0, 0, 90, 70});
    platform::CImageDC target(90, 70);
    read.DrawCells(&target);
    const nimbra::RGBQUAD c = read.m_Image.get_color(10, 70 - 1 - 20);
    EXPECT_EQ(target.GetPixel(10, 20), platform::RGB(c.rgbRed, c.rgbGreen, c.rgbBlue));

    // A picture that does not decode leaves the layer without one; a record cut short fails.
    std::vector<std::uint8_t> record(file.GetBuffer() + 4, file.GetBuffer() + file.GetLength());
    auto garbled = record;
    garbled[20 + 176 + 12] = 0;  // the JPEG's first byte
    auto read_record = [](const std::vector<std::uint8_t>& bytes, CSFLayerImage& into) {
        platform::CMemFile f(bytes.data(), bytes.size());
        return into.ReadDocument(f);
    };
    CSFLayerImage undecodable;
    EXPECT_EQ(read_record(garbled, undecodable), read_ok);
    EXPECT_EQ(*undecodable.m_Image, nullptr);
    for (std::size_t cut : {std::size_t{0}, std::size_t{19}, std::size_t{100}, std::size_t{207}, record.size() - 1}) {
        CSFLayerImage short_read;
        EXPECT_EQ(read_record({record.begin(), record.begin() + static_cast<std::ptrdiff_t>(cut)}, short_read), read_failed) << cut;
    }
}
