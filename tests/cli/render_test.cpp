#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <set>

#include "nimbra/image/bmp_image.h"
#include "tests/cli/cli_support.h"
#include "tests/support/files.h"
#include "tests/support/process.h"

using cli_test::run_cli;

namespace {

constexpr QRgb tan_fill = qRgb(0xD2, 0xB4, 0x8C);   // 0x008CB4D2
constexpr QRgb contour = qRgb(0x00, 0x00, 0x80);    // 0x00800000
constexpr QRgb white = qRgb(255, 255, 255);

// Shapefiles written by GDAL from GeoJSON: another program's files.
std::string ogr_shapefile(const test_support::temp_dir& dir, const std::string& name, const std::string& geojson) {
    const std::string source = dir.file(name + ".geojson");
    std::ofstream(source) << geojson;
    const std::string ogr2ogr = test_support::find_program("ogr2ogr");
    EXPECT_FALSE(ogr2ogr.empty()) << "ogr2ogr (gdal-bin) is needed";
    const auto r = test_support::run_process(ogr2ogr, {"-f", "ESRI Shapefile", dir.file(name + ".shp"), source});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    return dir.file(name + ".shp");
}

std::string feature(const std::string& geometry, const std::string& properties = "{}") {
    return R"({"type":"Feature","properties":)" + properties + R"(,"geometry":)" + geometry + "}";
}

std::string collection(const std::vector<std::string>& features) {
    std::string all;
    for (const auto& f : features) all += (all.empty() ? "" : ",") + f;
    return R"({"type":"FeatureCollection","features":[)" + all + "]}";
}

// The smallest box holding every pixel that is not white.
struct box_in {
    int left, top, right, bottom;
};
box_in painted(const QImage& picture) {
    box_in b{picture.width(), picture.height(), -1, -1};
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) != white) b = {std::min(b.left, x), std::min(b.top, y), std::max(b.right, x), std::max(b.bottom, y)};
    return b;
}

QImage render(const std::vector<std::string>& args) {
    const auto r = run_cli(args);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "-o") return QImage(QString::fromStdString(args[i + 1])).convertToFormat(QImage::Format_RGB32);
    return {};
}

}  // namespace

TEST(CliRender, PolygonsLinesAndPointsLandWhereTheirCoordinatesSay) {
    test_support::temp_dir dir;
    // A square field from (10, 40) to (12, 42); a road along latitude 41 across it.
    const std::string field = ogr_shapefile(
        dir, "field", collection({feature(R"({"type":"Polygon","coordinates":[[[10,40],[10,42],[12,42],[12,40],[10,40]]]})")}));
    const std::string road = ogr_shapefile(
        dir, "road", collection({feature(R"({"type":"LineString","coordinates":[[10,41],[12,41]]})")}));
    const QImage picture = render({"render", field, road, "-o", dir.file("map.png"), "--size", "400x300"});
    ASSERT_EQ(picture.size(), QSize(400, 300));

    // As the program's view puts it, the north-west corner of the map at the top-left corner.
    const QImage program = render({"render", field, road, "-o", dir.file("map.png"), "--size", "400x300", "--view", "program"});
    ASSERT_EQ(program.size(), QSize(400, 300));
    EXPECT_EQ(program.pixel(4, 4), tan_fill);
    EXPECT_EQ(program.pixel(399, 299), white);
    // The fill's extent: the square's east and south edges are outlined in the contour colour.
    int east = 0, south = 0;
    while (east + 1 < 400 && program.pixel(east + 1, 4) != white) ++east;
    while (south + 1 < 300 && program.pixel(4, south + 1) != white) ++south;
    EXPECT_GT(east, 20);
    EXPECT_GT(south, 20);
    EXPECT_EQ(program.pixel(east, 4), contour);
    // The road at latitude 41 runs halfway down the square, from its west to its east edge.
    const int middle = south / 2;
    int road_row = -1;
    for (int y = middle - 3; y <= middle + 3; ++y)
        if (program.pixel(east / 2, y) == contour) road_row = y;
    EXPECT_NE(road_row, -1) << "no road near row " << middle;
    EXPECT_EQ(program.pixel(east / 4, road_row), contour);

    // By default the map is centred and fills the picture: the square fills it top to bottom.
    const box_in drawn = painted(picture);
    EXPECT_EQ(drawn.top, 0);
    EXPECT_EQ(drawn.bottom, 299);
    EXPECT_NEAR(drawn.left + drawn.right, 399, 1);
}

// The same map at three sizes of very different shapes: centred, filling the picture across or
// down, and the same shape within a pixel, the one the projection gives it (a degree of
// longitude is cos(latitude) as long as one of latitude). A lake shows as a hole at the same
// place of the map in every picture.
TEST(CliRender, MapIsCentredAndKeepsItsShapeAtEverySize) {
    test_support::temp_dir dir;
    const std::string box = ogr_shapefile(
        dir, "box",
        collection({feature(R"({"type":"Polygon","coordinates":[[[30,59],[50,59],[50,61],[30,61],[30,59]],)"
                            R"([[42,59.5],[42,60.5],[46,60.5],[46,59.5],[42,59.5]]]})")}));
    const double aspect = 20 * std::cos(60 * std::numbers::pi / 180) / 2;  // 5:1 across
    for (const auto& [w, h] : {std::pair{1024, 768}, std::pair{4000, 200}, std::pair{400, 2000}}) {
        const std::string size = std::to_string(w) + "x" + std::to_string(h);
        const QImage picture = render({"render", box, "-o", dir.file(size + ".png"), "--size", size});
        ASSERT_EQ(picture.size(), QSize(w, h)) << size;
        const box_in drawn = painted(picture);
        const int across = drawn.right - drawn.left, down = drawn.bottom - drawn.top;
        EXPECT_TRUE(across == w - 1 || down == h - 1) << size << ": fills neither way";
        EXPECT_NEAR(across, aspect * down, 1 + aspect) << size;
        EXPECT_NEAR(drawn.left, w - 1 - drawn.right, 1) << size;
        EXPECT_NEAR(drawn.top, h - 1 - drawn.bottom, 1) << size;
        // The lake's middle (44 E, 60 N) is white, the land west of it (36 E) filled.
        const auto at = [&](double lon, double lat) {
            return picture.pixel(drawn.left + static_cast<int>((lon - 30) / 20 * across),
                                 drawn.top + static_cast<int>((61 - lat) / 2 * down));
        };
        EXPECT_EQ(at(44, 60), white) << size;
        EXPECT_EQ(at(36, 60), tan_fill) << size;
    }
}

// Writing fails safely: through a link to a full device, or when the file system refuses more
// bytes (a file size limit stands in for a full disk), the command exits 2 with the system's
// reason, leaves no file of its own behind and the previous picture as it was, byte for byte.
TEST(CliRender, FailedWritesLeaveThePreviousPictureAsItWas) {
    test_support::temp_dir dir;
    const std::string road = ogr_shapefile(
        dir, "road", collection({feature(R"({"type":"LineString","coordinates":[[10,41],[12,41]]})")}));
    std::filesystem::create_symlink("/dev/full", dir.file("full.png"));
    const auto full = run_cli({"render", road, "-o", dir.file("full.png")});
    EXPECT_EQ(full.exit_code, 2);
    EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;

    ASSERT_EQ(run_cli({"render", road, "-o", dir.file("keep.bmp"), "--size", "64x48"}).exit_code, 0);
    test_support::run_process(test_support::find_program("convert"), {"-size", "300x200", "plasma:", "-type", "palette",
                                                                       "BMP3:" + dir.file("in.bmp")});
    ASSERT_EQ(run_cli({"convert-image", dir.file("in.bmp"), "-o", dir.file("keep.jpg"), "--quality", "30"}).exit_code, 0);
    const auto before_bmp = test_support::read_bytes(dir.file("keep.bmp"));
    const auto before_jpg = test_support::read_bytes(dir.file("keep.jpg"));
    const std::vector<std::vector<std::string>> runs{
        {"render", road, "-o", dir.file("keep.bmp"), "--size", "2000x1500"},
        {"convert-image", dir.file("in.bmp"), "-o", dir.file("keep.jpg"), "--quality", "100"},
        {"render", road, "-o", dir.file("fresh.bmp"), "--size", "300x300"}};
    for (const auto& args : runs) {
        // 8 blocks of 512 bytes at most, and the signal of a longer write ignored.
        std::string line = "ulimit -f 8; trap '' XFSZ; exec '" PLOTWRIGHT_CLI "'";
        for (const std::string& a : args) line += " '" + a + "'";
        const auto r = test_support::run_process("/bin/sh", {"-c", line});
        EXPECT_EQ(r.exit_code, 2) << args[0];
        EXPECT_NE(r.err.find("cannot write " + args[3] + ": File too large"), std::string::npos)
            << r.err;
    }
    EXPECT_EQ(test_support::read_bytes(dir.file("keep.bmp")), before_bmp);
    EXPECT_EQ(test_support::read_bytes(dir.file("keep.jpg")), before_jpg);
    std::set<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) left.insert(entry.path().filename());
    EXPECT_EQ(left, (std::set<std::string>{"full.png", "in.bmp", "keep.bmp", "keep.jpg", "road.dbf", "road.geojson",
                                           "road.prj", "road.shp", "road.shx"}));
}

TEST(CliRender, PointsWithIconsAndLabels) {
    test_support::temp_dir dir;
    const std::string towns = ogr_shapefile(
        dir, "towns",
        collection({feature(R"({"type":"Point","coordinates":[20,50]})", R"({"NAME":"West"})"),
                    feature(R"({"type":"Point","coordinates":[21,49]})", R"({"NAME":"East"})")}));
    // Without icons in the folder the points are small circles. (The program's view puts the
    // west point at the top-left corner.)
    std::filesystem::create_directory(dir.file("none"));
    const QImage circles = render({"render", towns, "-o", dir.file("circles.png"), "--size", "300x300",
                                   "--icons", dir.file("none"), "--view", "program"});
    EXPECT_EQ(circles.pixel(1, 1), contour);  // the west point's circle at the corner

    // An icon folder of one red 16 x 16 icon: its top-left corner lands on the point.
    std::filesystem::create_directory(dir.file("icons"));
    tarvel_tech::nimbra::bmp_image red;
    ASSERT_TRUE(red.create(16, 16, 8, 0));
    for (int i = 0; i < 256; ++i) red.get_palette().replace_index(i, std::uint8_t{255}, std::uint8_t{0}, std::uint8_t{0});
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) red.set_index(x, y, 7);
    ASSERT_TRUE(red.save(dir.file("icons/red.bmp")));
    const QImage icons = render({"render", towns, "-o", dir.file("icons.png"), "--size", "300x300", "--icons",
                                 dir.file("icons"), "--label", "NAME", "--view", "program"});
    EXPECT_EQ(icons.pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(icons.pixel(15, 15), qRgb(255, 0, 0));
    // The label starts 16 pixels right of and below the point: dark text pixels there.
    int text = 0;
    for (int y = 16; y < 32; ++y)
        for (int x = 16; x < 60; ++x) text += qGray(icons.pixel(x, y)) < 128;
    EXPECT_GT(text, 5);
    EXPECT_EQ(qGray(circles.pixel(30, 24)), 255);  // and none without --label
}

TEST(CliRender, BadRequestsExitWithTheirCodes) {
    test_support::temp_dir dir;
    const std::string road = ogr_shapefile(
        dir, "road", collection({feature(R"({"type":"LineString","coordinates":[[10,41],[12,41]]})")}));
    EXPECT_EQ(run_cli({"render", road}).exit_code, 1);
    EXPECT_EQ(run_cli({"render", "-o", dir.file("x.png")}).exit_code, 1);
    EXPECT_EQ(run_cli({"render", road, "-o", dir.file("x.png"), "--size", "0x10"}).exit_code, 1);
    EXPECT_EQ(run_cli({"render", road, "-o", dir.file("x.png"), "--size", "big"}).exit_code, 1);
    EXPECT_EQ(run_cli({"render", road, "-o", dir.file("x.png"), "--label", "NAME"}).exit_code, 1);
    EXPECT_EQ(run_cli({"render", dir.file("missing.shp"), "-o", dir.file("x.png")}).exit_code, 2);
    EXPECT_EQ(run_cli({"render", dir.file("notes.txt"), "-o", dir.file("x.png")}).exit_code, 2);
    EXPECT_EQ(run_cli({"render", road, "-o", dir.file("no/such/dir/x.png")}).exit_code, 2);
    // An output whose kind is not known is refused before any work.
    EXPECT_EQ(run_cli({"render", dir.file("missing.shp"), "-o", dir.file("x.gif")}).exit_code, 1);
    EXPECT_EQ(run_cli({"render", road, "-o", dir.file("x.png"), "--view", "sideways"}).exit_code, 1);
    EXPECT_EQ(run_cli({"render", road, "-o", dir.file("x.png"), "--size", "16384x16384"}).exit_code, 1);
}

// The output's extension says what is written: PNG, JPEG or BMP bytes, as their readers see them.
TEST(CliRender, OutputKindFollowsTheExtension) {
    test_support::temp_dir dir;
    const std::string field = ogr_shapefile(
        dir, "field", collection({feature(R"({"type":"Polygon","coordinates":[[[10,40],[10,42],[12,42],[12,40],[10,40]]]})")}));
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> kinds{
        {"map.png", {0x89, 'P', 'N', 'G'}}, {"map.jpg", {0xFF, 0xD8, 0xFF}}, {"map.JPEG", {0xFF, 0xD8, 0xFF}},
        {"map.bmp", {'B', 'M'}}};
    QImage first;
    for (const auto& [name, magic] : kinds) {
        ASSERT_EQ(run_cli({"render", field, "-o", dir.file(name), "--size", "120x90"}).exit_code, 0) << name;
        const auto bytes = test_support::read_bytes(dir.file(name));
        ASSERT_GE(bytes.size(), magic.size());
        EXPECT_TRUE(std::equal(magic.begin(), magic.end(), bytes.begin())) << name;
        const QImage picture = QImage(QString::fromStdString(dir.file(name))).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(picture.size(), QSize(120, 90)) << name;
        if (first.isNull()) first = picture;
        // JPEG is lossy; the others are the same pixels.
        const bool lossy = name.find(".png") == std::string::npos && name.find(".bmp") == std::string::npos;
        EXPECT_LE(std::abs(qRed(picture.pixel(60, 45)) - qRed(first.pixel(60, 45))), lossy ? 8 : 0) << name;
        if (!lossy) {
            EXPECT_EQ(picture, first) << name;
        }
    }
}
