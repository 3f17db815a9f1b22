// GDAL behind a module loaded on first use: which side files send a JPEG or BMP to GDAL, held
// against what GDAL itself finds, and a module that cannot be loaded failing with the cause.
#include <gtest/gtest.h>

#include "nimbra/image/bmp_image.h"
#include "raster/gdal_module.h"
#include "tests/raster/pictures.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/recording_ui_service.h"

using namespace model;
namespace nimbra = tarvel_tech::nimbra;

namespace {

void write_text(const std::string& path, const std::string& text) {
    test_support::write_bytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

// Whether gdalinfo finds a geotransform for the picture.
bool gdal_places(const std::string& picture) {
    const std::string program = test_support::find_program("gdalinfo");
    EXPECT_FALSE(program.empty()) << "gdalinfo is needed (gdal-bin)";
    const auto r = test_support::run_process(program, {picture});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    return r.out.find("Origin =") != std::string::npos;
}

TEST(GdalModule, SideFilesSendAPictureToGdalWheneverGdalFindsItsPlaceThere) {
    test_support::recording_ui ui;
    // The world file names the centre of the upper-left pixel, the geotransform its corner.
    const std::string world = "0.001\n0\n0\n-0.001\n-81.3\n36.25\n";
    const std::string aux = "<PAMDataset><GeoTransform>-81.3005,0.001,0,36.2505,0,-0.001</GeoTransform></PAMDataset>\n";
    // picture, side file beside it (none when empty), whether GDAL places the picture by it
    const struct {
        const char* picture;
        const char* side;
        bool placed;
    } cases[] = {
        {"pic.jpg", "", false},          {"pic.jpg", "pic.jgw", true},   {"pic.jpg", "PIC.JGW", true},
        {"pic.jpg", "pic.Jgw", true},    {"pic.jpg", "pic.jpgw", true},  {"pic.jpg", "pic.wld", true},
        {"pic.jpg", "pic.WLD", true},    {"pic.jpg", "pic.jpg.aux.xml", true},
        {"pic.jpg", "pic.txt", false},   {"pic.jpg", "other.jgw", false}, {"pic.jpg", "pic.bpw", false},
        {"pic.JPEG", "pic.jpegw", true}, {"pic.JPEG", "pic.JGW", true},  {"scan.bmp", "scan.bpw", true},
        {"scan.bmp", "scan.BMPW", true}, {"scan.bmp", "scan.wld", true}, {"scan.bmp", "scan.jgw", false},
        {"scan.bmp", "scan.bmp.aux.xml", true},
    };
    nimbra::jpg_image ramp = raster_test::ramp_picture(64, 48);
    for (const auto& c : cases) {
        test_support::temp_dir dir;
        const std::string picture = dir.file(c.picture);
        const std::string side = c.side;
        if (picture.ends_with(".bmp")) {
            nimbra::jpg_image copy = raster_test::ramp_picture(64, 48);
            nimbra::bmp_image bmp;
            bmp.take_over(copy);
            ASSERT_TRUE(bmp.save(picture));
        } else {
            raster_test::save_jpeg(ramp, picture);
        }
        if (!side.empty()) write_text(dir.file(side), side.ends_with(".aux.xml") ? aux : world);

        const bool gdal = gdal_places(picture);
        EXPECT_EQ(gdal, c.placed) << c.picture << " " << side;
        // Never a side file GDAL reads that does not send the picture to it.
        if (gdal) {
            EXPECT_TRUE(has_georeferencing_side_file(picture)) << c.picture << " " << side;
        }
        picture_place place;
        EXPECT_EQ(read_picture_place(picture, place), gdal) << c.picture << " " << side;
        if (gdal && !place.ground.empty()) {
            EXPECT_NEAR(place.ground[0].x, -81.3, 1e-9) << c.picture << " " << side;
        }
    }
    EXPECT_TRUE(ui.messages().empty());
}

TEST(GdalModule, WhatIsNotTheModuleIsRefusedWithTheLoadersCause) {
    test_support::temp_dir dir;
    write_text(dir.file("garbage.so"), "not a shared library at all\n");
    const std::string paths[] = {dir.file("missing.so"), dir.file("garbage.so"), PLOTWRIGHT_PLATFORM_LIBRARY};
    for (const std::string& path : paths) {
        std::string cause;
        EXPECT_EQ(load_gdal_module(path, &cause), nullptr) << path;
        EXPECT_NE(cause.find(path), std::string::npos) << path << ": " << cause;
    }
    std::string cause;
    const gdal_entry_points* points = load_gdal_module(PLOTWRIGHT_GDAL_MODULE, &cause);
    ASSERT_NE(points, nullptr) << cause;
    int width = 0, height = 0;
    EXPECT_FALSE(points->read_size(dir.file("garbage.so"), width, height));
}

}  // namespace
