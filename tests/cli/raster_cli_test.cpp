// The raster commands from outside: export-rre, decode-rre with a world file read back by
// GDAL, snap with control point files, info on them, and render of a picture with footholds.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdio>

#include "nimbra/image/bmp_image.h"
#include "tests/cli/cli_support.h"
#include "tests/raster/pictures.h"
#include "tests/support/files.h"
#include "tests/support/process.h"

using cli_test::run_cli;
using cli_test::run_json;
namespace nimbra = tarvel_tech::nimbra;

namespace {

struct rss {
    double theta, sx, sy, tx, ty;
    std::pair<double, double> at(double x, double y) const {
        const double c = std::cos(theta), s = std::sin(theta);
        return {(c * x + s * y) * sx + tx, (-s * x + c * y) * sy + ty};
    }
};

std::string gcp(double x, double y, const rss& t) {
    const auto [lon, lat] = t.at(x, y);
    char text[160];
    std::snprintf(text, sizeof text, "%.17g,%.17g,%.17g,%.17g", x, y, lon, lat);
    return text;
}

std::string picture(const test_support::temp_dir& dir, int width, int height, const char* name = "scan.jpg") {
    nimbra::jpg_image p = raster_test::ramp_picture(width, height);
    return raster_test::save_jpeg(p, dir.file(name));
}

}  // namespace

TEST(CliRaster, ExportRREFrameGridsOfThePictureSizes) {
    test_support::temp_dir dir;
    const rss t{0.0, 1e-4, -1e-4, 10.0, 50.0};
    struct example {
        int width, height, frame_width, frame_height, columns, rows;
    };
    for (const example& e : {example{1000, 700, 108, 140, 9, 5}, example{240, 320, 120, 160, 2, 2},
                             example{130, 150, 64, 148, 2, 1}}) {
        const QJsonObject o = run_json({"export-rre", picture(dir, e.width, e.height), "--gcp", gcp(0, 0, t), "--gcp",
                                        gcp(100, 0, t), "--gcp", gcp(0, 100, t), "-o", dir.file("out.rre"), "--json"});
        EXPECT_EQ(o["frame"].toArray(), (QJsonArray{e.frame_width, e.frame_height})) << e.width;
        EXPECT_EQ(o["columns"].toInt(), e.columns);
        EXPECT_EQ(o["rows"].toInt(), e.rows);
        EXPECT_EQ(o["frames"].toInt(), e.columns * e.rows);
        EXPECT_LT(o["fit"].toObject()["residual"].toDouble(), 1e-12);
        const QJsonObject info = run_json({"info", dir.file("out.rre"), "--json"});
        EXPECT_EQ(info["width_layer_image"].toInt(), e.frame_width * e.columns);
        EXPECT_TRUE(info["valid"].toBool());
    }
}

TEST(CliRaster, ExportedLayerDecodesInPlaceForGdalAndAsThePicture) {
    test_support::temp_dir dir;
    const std::string gdalinfo = test_support::find_program("gdalinfo");
    ASSERT_FALSE(gdalinfo.empty()) << "gdalinfo is not installed";
    // A scan turned a little on the glass.
    const rss t{0.02, 1.0e-4, -1.2e-4, 37.6, 55.8};
    const std::vector<std::pair<int, int>> footholds = {{12, 9}, {395, 20}, {8, 290}, {380, 301}};
    std::vector<std::string> args{"export-rre", picture(dir, 410, 330), "-o", dir.file("scan.rre"),
                                  "--world-file", dir.file("scan.jgw"), "--json"};
    for (auto [x, y] : footholds) args.insert(args.end(), {"--gcp", gcp(x, y, t)});
    const QJsonObject exported = run_json(args);
    EXPECT_LT(exported["fit"].toObject()["residual"].toDouble(), 1e-12);
    const auto decoded = run_cli({"decode-rre", dir.file("scan.rre"), "-o", dir.file("layer.bmp"), "--world-file",
                                  dir.file("layer.bpw")});
    ASSERT_EQ(decoded.exit_code, 0) << decoded.err;

    // GDAL places a pixel's centre at GT(x + 0.5, y + 0.5); each foothold within half a pixel.
    for (const char* file : {"layer.bmp", "scan.jpg"}) {
        const auto info = test_support::run_process(gdalinfo, {"-json", dir.file(file)});
        ASSERT_EQ(info.exit_code, 0) << info.err;
        const QJsonArray gt = QJsonDocument::fromJson(QByteArray::fromStdString(info.out))["geoTransform"].toArray();
        ASSERT_EQ(gt.size(), 6) << file << info.out;
        for (auto [x, y] : footholds) {
            const double lon = gt[0].toDouble() + (x + 0.5) * gt[1].toDouble() + (y + 0.5) * gt[2].toDouble();
            const double lat = gt[3].toDouble() + (x + 0.5) * gt[4].toDouble() + (y + 0.5) * gt[5].toDouble();
            const auto [want_lon, want_lat] = t.at(x, y);
            EXPECT_LT(std::fabs(lon - want_lon), 0.5e-4) << file << " " << x << "," << y;
            EXPECT_LT(std::fabs(lat - want_lat), 0.5 * 1.2e-4) << file << " " << x << "," << y;
        }
    }

    // The frames put together: the picture's pixels within JPEG's error, the strips that
    // fill no frame left out (410 x 330 makes frames of 100 x 108, 4 x 3 of them).
    nimbra::bmp_image layer;
    ASSERT_TRUE(layer.load(dir.file("layer.bmp")));
    ASSERT_EQ(layer.get_info().biWidth, 400);
    ASSERT_EQ(layer.get_info().biHeight, 324);
    const raster_test::difference d = raster_test::compare(raster_test::ramp_picture(410, 330), layer, 400, 324);
    EXPECT_LE(d.largest, 24);
    EXPECT_LT(d.mean, 1.5);
}

TEST(CliRaster, ControlPointsFromSnapReadBackToTheSamePairs) {
    test_support::temp_dir dir;
    const rss t{2.0, 8e-5, -8e-5, -70.25, -33.4};
    std::vector<std::string> args{"snap", "--points-out", dir.file("pairs.points"), "--world-file",
                                  dir.file("scan.jgw"), "--json"};
    const std::vector<std::pair<double, double>> pixels = {{0, 0}, {1999.5, 3.25}, {17, 1500}, {1234.75, 987.5}};
    for (auto [x, y] : pixels) args.insert(args.end(), {"--gcp", gcp(x, y, t)});
    const QJsonObject fit = run_json(args);

    const QJsonObject listed = run_json({"info", dir.file("pairs.points"), "--json"});
    const QJsonArray pairs = listed["pairs"].toArray();
    ASSERT_EQ(pairs.size(), 4);
    for (int i = 0; i < 4; ++i) {
        const QJsonObject p = pairs[i].toObject();
        const auto [lon, lat] = t.at(pixels[i].first, pixels[i].second);
        EXPECT_EQ(p["x"].toDouble(), pixels[i].first);
        EXPECT_EQ(p["y"].toDouble(), pixels[i].second);
        EXPECT_EQ(p["lon"].toDouble(), lon);
        EXPECT_EQ(p["lat"].toDouble(), lat);
        EXPECT_TRUE(p["enabled"].toBool());
    }
    // The file snaps as the pairs did.
    const QJsonObject again = run_json({"snap", "--points", dir.file("pairs.points"), "--json"});
    EXPECT_EQ(again["f"].toArray(), fit["f"].toArray());
    EXPECT_EQ(test_support::read_bytes(dir.file("scan.jgw")).empty(), false);
}

TEST(CliRaster, RenderShowsThePictureWithItsFootholds) {
    test_support::temp_dir dir;
    const rss t{0.0, 1e-4, -1e-4, 10.0, 50.0};
    const std::string scan = picture(dir, 160, 120);
    const auto result = run_cli({"render", scan, "--gcp", gcp(40, 30, t), "--gcp", gcp(120, 90, t), "-o",
                                 dir.file("view.png")});
    ASSERT_EQ(result.exit_code, 0) << result.err;
    // The PNG is the picture's size; the foothold marks are red on it.
    const QJsonObject info = run_json({"info", scan, "--json"});
    EXPECT_EQ(info["width"].toInt(), 160);
    nimbra::jpg_image source;
    ASSERT_TRUE(source.load(scan));
    const auto convert = test_support::find_program("convert");
    ASSERT_FALSE(convert.empty());
    ASSERT_EQ(test_support::run_process(convert, {dir.file("view.png"), dir.file("view.bmp")}).exit_code, 0);
    nimbra::bmp_image view;
    ASSERT_TRUE(view.load(dir.file("view.bmp")));
    ASSERT_EQ(view.get_info().biWidth, 160);
    ASSERT_EQ(view.get_info().biHeight, 120);
    for (auto [x, y] : {std::pair{40, 30}, std::pair{120, 90}}) {
        const nimbra::RGBQUAD mark = view.get_color(x, 120 - 1 - y);
        EXPECT_EQ(mark, (nimbra::RGBQUAD{0, 0, 255, 0})) << x << "," << y;
    }
    // Away from the marks, the picture as it is.
    EXPECT_EQ(view.get_color(100, 120 - 1 - 5), source.get_color(100, 120 - 1 - 5));
}

TEST(CliRaster, BadInputIsRefusedWithItsReason) {
    test_support::temp_dir dir;
    const rss t{0.0, 1e-4, -1e-4, 10.0, 50.0};
    const std::string scan = picture(dir, 64, 64);
    const std::string tiny = picture(dir, 3, 40, "tiny.jpg");
    test_support::write_bytes(dir.file("noise.jpg"), std::vector<std::uint8_t>(500, 0x33));
    test_support::write_bytes(dir.file("old.rre"), {1, 2, 3});
    std::vector<std::uint8_t> text;
    for (char c : std::string("mapX,mapY,pixelX\n10,50,0.5\n")) text.push_back(static_cast<std::uint8_t>(c));
    test_support::write_bytes(dir.file("short.points"), text);
    const std::vector<std::string> three = {"--gcp", gcp(0, 0, t), "--gcp", gcp(50, 0, t), "--gcp", gcp(0, 50, t)};
    auto with = [](std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    std::vector<std::string> many{"export-rre", scan, "-o", dir.file("old.rre")};
    for (int i = 0; i < 1001; ++i) many.insert(many.end(), {"--gcp", gcp(i % 60, i / 60, t)});

    struct bad {
        std::vector<std::string> args;
        int exit_code;
        std::string said;
    };
    const bad cases[] = {
        {with({"export-rre", tiny, "-o", dir.file("old.rre")}, three), 2, "No compatible size"},
        {{"export-rre", scan, "-o", dir.file("old.rre"), "--gcp", gcp(0, 0, t), "--gcp", gcp(9, 9, t)}, 2,
         "No enough foothold points."},
        {with({"export-rre", dir.file("noise.jpg"), "-o", dir.file("old.rre")}, three), 2, "cannot read"},
        {many, 2, "at most 1000"},
        {{"export-rre", scan, "-o", dir.file("old.rre"), "--points", dir.file("short.points")}, 2, "line 1"},
        {with({"export-rre", scan, "-o", dir.file("old.rre"), "--points", dir.file("short.points")}, three), 1,
         "not both"},
        {{"export-rre", scan, "-o", dir.file("old.rre")}, 1, "needs footholds"},
        {with({"export-rre", dir.file("notes.txt"), "-o", dir.file("old.rre")}, three), 1, "not a .bmp"},
        {with({"snap", "--gcp", "1,2,3"}, three), 1, "expected X,Y,LON,LAT"},
        {with({"render", dir.file("none.shp"), "-o", dir.file("x.png")}, three), 2, "cannot open"},
        {{"info", dir.file("short.points")}, 2, "line 1"},
    };
    for (const bad& c : cases) {
        const auto result = run_cli(c.args);
        EXPECT_EQ(result.exit_code, c.exit_code) << c.args[0] << " " << c.said << "\n" << result.err;
        EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
    }
    // Whatever failed, the old output is as it was.
    EXPECT_EQ(test_support::read_bytes(dir.file("old.rre")), (std::vector<std::uint8_t>{1, 2, 3}));
}
