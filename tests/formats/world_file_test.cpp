#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>

#include "formats/world_file.h"
#include "tests/support/files.h"
#include "tests/support/process.h"

using formats::world_transform;

namespace {

// A 24-bit picture with the plain 40-byte header every reader takes.
std::vector<std::uint8_t> bmp_bytes(int width, int height) {
    const int row = (width * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> out = {'B', 'M'};
    const auto le = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    le(54 + row * height, 4), le(0, 4), le(54, 4);
    le(40, 4), le(width, 4), le(height, 4), le(1, 2), le(24, 2), le(0, 4), le(row * height, 4), le(2835, 4), le(2835, 4), le(0, 4), le(0, 4);
    out.resize(out.size() + static_cast<std::size_t>(row * height), 0x80);
    return out;
}

// The corners gdalinfo gives a picture, from its JSON report.
bool gdal_corner(const std::string& report, const std::string& name, double& x, double& y) {
    const std::regex pattern("\"" + name + "\":\\s*\\[\\s*([-0-9.eE+]+),\\s*([-0-9.eE+]+)\\s*\\]");
    std::smatch m;
    if (!std::regex_search(report, m, pattern)) return false;
    x = std::stod(m[1]);
    y = std::stod(m[2]);
    return true;
}

}  // namespace

TEST(WorldFile, ItsNameFollowsThePicturesExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"photo.jpg", "photo.jgw"}, {"d/x.jpeg", "d/x.jgw"}, {"scan.bmp", "scan.bpw"}, {"SCAN.BMP", "SCAN.BPW"},
        {"map.tif", "map.tfw"},     {"noext", "noext.wld"}, {"dir.d/pic", "dir.d/pic.wld"}, {"a.x", "a.wld"},
    };
    for (const auto& [picture, world] : cases) EXPECT_EQ(formats::world_file_path(picture), world) << picture;
}

// GDAL reads the world file beside a BMP and a JPEG and puts the picture's corners where the
// transformation puts the corners of its corner pixels; the file also reads back exactly.
TEST(WorldFile, GdalPlacesThePictureWhereTheTransformationSays) {
    const std::string gdalinfo = test_support::find_program("gdalinfo");
    const std::string cjpeg = test_support::find_program("cjpeg");
    if (gdalinfo.empty() || cjpeg.empty()) GTEST_SKIP() << "gdalinfo or cjpeg is not installed";
    test_support::temp_dir dir;
    const int width = 7, height = 5;
    // Turned and sheared, so that every coefficient counts.
    const world_transform f = {0.0013, 0.00021, 37.61, 0.00017, -0.0009, 55.75};

    const std::string bmp = dir.file("scan.bmp");
    test_support::write_bytes(bmp, bmp_bytes(width, height));
    const std::string ppm = dir.file("photo.ppm");
    std::vector<std::uint8_t> ppm_bytes = {'P', '6', ' ', '7', ' ', '5', ' ', '2', '5', '5', '\n'};
    ppm_bytes.resize(ppm_bytes.size() + width * height * 3, 0x40);
    test_support::write_bytes(ppm, ppm_bytes);
    const std::string jpg = dir.file("photo.jpg");
    ASSERT_EQ(test_support::run_process(cjpeg, {"-outfile", jpg, ppm}).exit_code, 0);

    for (const std::string& picture : {bmp, jpg}) {
        std::string error;
        const std::string world = formats::world_file_path(picture);
        ASSERT_TRUE(formats::write_world_file(world, f, error)) << error;
        world_transform back{};
        ASSERT_TRUE(formats::read_world_file(world, back, error)) << error;
        EXPECT_EQ(back, f);

        const auto report = test_support::run_process(gdalinfo, {"-json", picture});
        ASSERT_EQ(report.exit_code, 0) << report.err;
        const std::pair<const char*, std::pair<double, double>> corners[] = {
            {"upperLeft", {-0.5, -0.5}},
            {"upperRight", {width - 0.5, -0.5}},
            {"lowerLeft", {-0.5, height - 0.5}},
            {"lowerRight", {width - 0.5, height - 0.5}},
        };
        for (const auto& [name, pixel] : corners) {
            double lon = 0, lat = 0;
            ASSERT_TRUE(gdal_corner(report.out, name, lon, lat)) << name << "\n" << report.out;
            const auto [x, y] = pixel;
            EXPECT_NEAR(lon, f[0] * x + f[1] * y + f[2], 1e-9) << picture << " " << name;
            EXPECT_NEAR(lat, f[3] * x + f[4] * y + f[5], 1e-9) << picture << " " << name;
        }
    }
}

TEST(WorldFile, TextsThatAreNoWorldFileAreRefused) {
    const std::pair<const char*, const char*> cases[] = {
        {"1\n0\n0\n-1\n10\n", "five numbers"},
        {"1\n0\n0\n-1\n10\nx\n", "text for a number"},
        {"1\n0\n0\n-1\nnan\n20\n", "NaN"},
        {"1\n0\n0\ninf\n10\n20\n", "infinity"},
        {"1,5\n0\n0\n-1\n10\n20\n", "a decimal comma"},
        {"1\n2\n2\n4\n10\n20\n", "a transformation that cannot be inverted"},
        {"", "nothing"},
    };
    for (const auto& [text, what] : cases) {
        world_transform f{};
        std::string error;
        EXPECT_FALSE(formats::parse_world_file(text, f, error)) << what;
        EXPECT_FALSE(error.empty()) << what;
        EXPECT_EQ(f, world_transform{}) << what;
    }
    // Blank lines, blanks and carriage returns are no fault.
    world_transform f{};
    std::string error;
    EXPECT_TRUE(formats::parse_world_file(" 1 \r\n\r\n0\r\n0\r\n-1\r\n10\r\n20\r\n", f, error)) << error;
    EXPECT_EQ(f, (world_transform{1, 0, 10, 0, -1, 20}));
    // Nothing is written for a transformation that is not one.
    test_support::temp_dir dir;
    EXPECT_FALSE(formats::write_world_file(dir.file("a.wld"), {0, 0, 1, 0, 0, 2}, error));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}
