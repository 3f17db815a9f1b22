#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>

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

    // The view puts the north-west corner of the map at the top-left corner.
    EXPECT_EQ(picture.pixel(4, 4), tan_fill);
    EXPECT_EQ(picture.pixel(399, 299), white);
    // The fill's extent: the square's east and south edges are outlined in the contour colour.
    int east = 0, south = 0;
    while (east + 1 < 400 && picture.pixel(east + 1, 4) != white) ++east;
    while (south + 1 < 300 && picture.pixel(4, south + 1) != white) ++south;
    EXPECT_GT(east, 20);
    EXPECT_GT(south, 20);
    EXPECT_EQ(picture.pixel(east, 4), contour);
    // The road at latitude 41 runs halfway down the square, from its west to its east edge.
    const int middle = south / 2;
    int road_row = -1;
    for (int y = middle - 3; y <= middle + 3; ++y)
        if (picture.pixel(east / 2, y) == contour) road_row = y;
    EXPECT_NE(road_row, -1) << "no road near row " << middle;
    EXPECT_EQ(picture.pixel(east / 4, road_row), contour);
}

TEST(CliRender, PointsWithIconsAndLabels) {
    test_support::temp_dir dir;
    const std::string towns = ogr_shapefile(
        dir, "towns",
        collection({feature(R"({"type":"Point","coordinates":[20,50]})", R"({"NAME":"West"})"),
                    feature(R"({"type":"Point","coordinates":[21,49]})", R"({"NAME":"East"})")}));
    // Without an icon folder the points are small circles.
    const QImage circles = render({"render", towns, "-o", dir.file("circles.png"), "--size", "300x300",
                                   "--icons", dir.file("none")});
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
                                 dir.file("icons"), "--label", "NAME"});
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
}
