// Pictures read through GDAL: PNG and TIFF pixels as ImageMagick and GDAL wrote them, and the
// footholds and fit of pictures that carry their georeferencing.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "georef/tr_rss.h"
#include "map/sf_map.h"
#include "nimbra/image/bmp_image.h"
#include "raster/layer_rre.h"
#include "raster/register_layers.h"
#include "tests/raster/pictures.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/recording_ui_service.h"

using namespace model;
namespace nimbra = tarvel_tech::nimbra;

namespace {

struct Georeferenced : ::testing::Test {
    void SetUp() override {
        register_raster_layers();
        nimbra::jpg_image ramp = raster_test::ramp_picture(kWidth, kHeight);
        nimbra::bmp_image picture;
        picture.take_over(ramp);
        ASSERT_TRUE(picture.save(dir.file("ramp.bmp")));
    }

    // A peer tool's run; its output file is the test's input.
    void run(const std::string& tool, const std::vector<std::string>& args) {
        const std::string program = test_support::find_program(tool);
        ASSERT_FALSE(program.empty()) << tool << " is needed (imagemagick, gdal-bin)";
        const auto r = test_support::run_process(program, args);
        ASSERT_EQ(r.exit_code, 0) << tool << ": " << r.err;
    }
    void write_text(const std::string& name, const std::string& text) {
        test_support::write_bytes(dir.file(name), std::vector<std::uint8_t>(text.begin(), text.end()));
    }

    static constexpr int kWidth = 160, kHeight = 120;
    test_support::recording_ui ui;
    test_support::temp_dir dir;
};

CSFLayerRRE* add_picture(CSFMap& map, const std::string& path) {
    CSFLayer* added = nullptr;
    if (map.AddLayerFromFile(path, &added) != layer_added) return nullptr;
    return dynamic_cast<CSFLayerRRE*>(added);
}

// What gdaltransform makes of pixel positions (footholds count from the centre of the
// upper-left pixel, GDAL from its corner): longitude and latitude on WGS 84. GDAL reads no
// .prj beside a JPEG: source_srs names its system then.
std::vector<georef::CPt> gdal_places(const std::string& picture, const std::vector<georef::CPt>& pixels,
                                     const std::string& source_srs) {
    std::ostringstream input;
    input.precision(17);
    for (const georef::CPt& p : pixels) input << p.x + 0.5 << " " << p.y + 0.5 << "\n";
    test_support::temp_dir dir;
    const std::string text = input.str();
    test_support::write_bytes(dir.file("in.txt"), std::vector<std::uint8_t>(text.begin(), text.end()));
    const auto r = test_support::run_process("/bin/sh", {"-c", "gdaltransform " + source_srs + " -t_srs EPSG:4326 -output_xy '" + picture +
                                                                   "' < '" + dir.file("in.txt") + "'"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    std::istringstream out(r.out);
    std::vector<georef::CPt> places;
    double lon, lat;
    while (out >> lon >> lat) places.emplace_back(lon, lat, 0.0);
    return places;
}

}  // namespace

TEST_F(Georeferenced, PngAndTiffPixelsAreThePeersPixels) {
    // Each picture as a peer tool wrote it, and the same pixels as ImageMagick writes them
    // into a 24-bit BMP for the library's own codec.
    struct made {
        const char* name;
        std::vector<std::string> convert;  // ImageMagick's arguments before the output
    };
    const made pictures[] = {
        {"rgb.png", {dir.file("ramp.bmp"), "PNG24:"}},
        {"rgba.png", {dir.file("ramp.bmp"), "-alpha", "set", "PNG32:"}},
        {"palette.png", {dir.file("ramp.bmp"), "-colors", "16", "PNG8:"}},
        {"grey.png", {dir.file("ramp.bmp"), "-colorspace", "Gray", "-depth", "8", "PNG8:"}},
        {"strips.tif", {dir.file("ramp.bmp"), "-depth", "8", "-compress", "lzw", "TIFF:"}},
    };
    for (const made& m : pictures) {
        std::vector<std::string> args = m.convert;
        args.back() += dir.file(m.name);
        run("convert", args);
        run("convert", {dir.file(m.name), "-type", "TrueColor", "BMP3:" + dir.file(std::string(m.name) + ".bmp")});
    }
    run("gdal_translate", {"-q", "-co", "TILED=YES", "-co", "BLOCKXSIZE=64", "-co", "BLOCKYSIZE=32", "-co",
                           "COMPRESS=DEFLATE", dir.file("rgb.png"), dir.file("tiles.tif")});
    run("convert", {dir.file("tiles.tif"), "-type", "TrueColor", "BMP3:" + dir.file("tiles.tif.bmp")});

    for (const char* name : {"rgb.png", "rgba.png", "palette.png", "grey.png", "strips.tif", "tiles.tif"}) {
        CSFMap map;
        const CSFLayerRRE* layer = add_picture(map, dir.file(name));
        ASSERT_NE(layer, nullptr) << name;
        nimbra::bmp_image reference;
        ASSERT_TRUE(reference.load(dir.file(std::string(name) + ".bmp"))) << name;
        ASSERT_EQ(layer->get_picture_size().cx, kWidth) << name;
        ASSERT_EQ(layer->get_picture_size().cy, kHeight) << name;
        EXPECT_EQ(raster_test::compare(*layer->m_pPicture, reference, kWidth, kHeight).largest, 0) << name;
        // Nothing says where these lie: footholds by hand.
        EXPECT_EQ(layer->GetFootHolds().GetCount(), 0) << name;
    }
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(Georeferenced, PicturesThatSayWhereTheyLieComeSnappedWhereGdalPutsThem) {
    run("convert", {dir.file("ramp.bmp"), "PNG24:" + dir.file("ramp.png")});
    run("convert", {dir.file("ramp.bmp"), "JPG:" + dir.file("ramp.jpg")});
    // In degrees by GeoTIFF tags; in UTM by GeoTIFF tags after gdalwarp; in UTM by a world
    // file with a .prj beside a JPEG; in degrees by a world file alone beside a PNG.
    run("gdal_translate", {"-q", "-a_srs", "EPSG:4326", "-a_ullr", "-81.2", "36.2", "-81.1", "36.12",
                           dir.file("ramp.png"), dir.file("degrees.tif")});
    run("gdalwarp", {"-q", "-t_srs", "EPSG:32617", dir.file("degrees.tif"), dir.file("utm.tif")});
    run("cp", {dir.file("ramp.jpg"), dir.file("utm.jpg")});
    write_text("utm.jgw", "25\n0\n0\n-25\n482012.5\n4004987.5\n");
    const auto esri = test_support::run_process(test_support::find_program("gdalsrsinfo"),
                                                {"-o", "wkt_esri", "--single-line", "EPSG:32617"});
    write_text("utm.prj", esri.out);
    run("cp", {dir.file("ramp.png"), dir.file("world.png")});
    write_text("world.pgw", "0.001\n0\n0\n-0.001\n-81.3995\n36.3995\n");

    for (const char* name : {"degrees.tif", "utm.tif", "utm.jpg", "world.png"}) {
        CSFMap map;
        CSFLayerRRE* layer = add_picture(map, dir.file(name));
        ASSERT_NE(layer, nullptr) << name;
        ASSERT_TRUE(layer->m_trSnap.IsValid()) << name;
        ASSERT_EQ(layer->GetFootHolds().GetCount(), 5) << name;
        EXPECT_TRUE(map.get_snap_transform()->IsValid()) << name;

        // Every pixel where GDAL puts it, to a tenth of a pixel (the fit cannot follow UTM's
        // meridians turning across the picture exactly).
        std::vector<georef::CPt> pixels;
        for (int y = 0; y < kHeight; y += 17)
            for (int x = 0; x < kWidth; x += 23) pixels.emplace_back(double(x), double(y), 0.0);
        const std::string srs = std::string(name) == "utm.jpg" ? "-s_srs EPSG:32617" : "";
        const std::vector<georef::CPt> places = gdal_places(dir.file(name), pixels, srs);
        ASSERT_EQ(places.size(), pixels.size()) << name;
        const georef::CPt pixel_size = layer->m_trSnap.Forward({1.0, 1.0, 0.0}) - layer->m_trSnap.Forward({0.0, 0.0, 0.0});
        double worst = 0;
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const georef::CPt d = layer->m_trSnap.Forward(pixels[i]) - places[i];
            worst = std::max({worst, std::fabs(d.x / pixel_size.x), std::fabs(d.y / pixel_size.y)});
        }
        EXPECT_LT(worst, 0.1) << name;
        // The footholds are the operator's to edit and snap again.
        EXPECT_TRUE(layer->GetFootHolds().RemoveAt(4));
        EXPECT_TRUE(layer->Snap()) << name;
    }
    // Placing is quiet; only the operator's own snaps say "The map was snaped.".
    ASSERT_EQ(ui.messages().size(), 4u);
}

TEST_F(Georeferenced, PlacesInNoNamedSystemWaitForOne) {
    run("convert", {dir.file("ramp.bmp"), "JPG:" + dir.file("metres.jpg")});
    write_text("metres.jgw", "25\n0\n0\n-25\n482012.5\n4004987.5\n");
    {
        CSFMap map;
        CSFLayerRRE* layer = add_picture(map, dir.file("metres.jpg"));
        ASSERT_NE(layer, nullptr);
        EXPECT_EQ(layer->GetFootHolds().GetCount(), 0);
        EXPECT_FALSE(layer->m_trSnap.IsValid());
        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_NE(ui.messages()[0].text.find("--assume-crs"), std::string::npos) << ui.messages()[0].text;
    }
    CSFMap map;
    ASSERT_TRUE(map.set_assumed_crs("EPSG:32617"));
    CSFLayerRRE* layer = add_picture(map, dir.file("metres.jpg"));
    ASSERT_NE(layer, nullptr);
    EXPECT_TRUE(layer->m_trSnap.IsValid());
    EXPECT_NEAR(layer->m_rcBounds.minX, -81.2, 0.01);
}

TEST_F(Georeferenced, PicturesGdalCannotReadAddNothing) {
    run("convert", {dir.file("ramp.bmp"), "PNG24:" + dir.file("ramp.png")});
    const std::vector<std::uint8_t> png = test_support::read_bytes(dir.file("ramp.png"));
    test_support::write_bytes(dir.file("half.png"), {png.begin(), png.begin() + static_cast<long>(png.size() / 2)});
    test_support::write_bytes(dir.file("empty.tif"), {});
    test_support::write_bytes(dir.file("junk.tif"), std::vector<std::uint8_t>(4096, 0x49));
    run("gdal_translate", {"-q", "-ot", "UInt16", dir.file("ramp.png"), dir.file("deep.tif")});
    // A few kilobytes that claim gigabytes of pixels.
    run("gdal_create", {"-q", "-outsize", "40000", "40000", "-bands", "3", "-ot", "Byte", "-co", "SPARSE_OK=YES", "-co",
                        "TILED=YES", "-co", "COMPRESS=DEFLATE", dir.file("sparse.tif")});
    for (const char* name : {"half.png", "empty.tif", "junk.tif", "deep.tif", "sparse.tif", "missing.png"}) {
        CSFMap map;
        EXPECT_EQ(map.AddLayerFromFile(dir.file(name), nullptr), layer_refused) << name;
        EXPECT_EQ(map.GetLayerCount(), 0u) << name;
    }
}
