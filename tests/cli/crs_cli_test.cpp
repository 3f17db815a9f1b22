// Data in other coordinate systems from the command line: shapefiles ogr2ogr moved to UTM read
// and draw as their originals, and GeoTIFFs go through export-rre without footholds, placed
// where GDAL places them.
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <shapefil.h>

#include "tests/cli/cli_support.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tools/shapefile_writer.h"

using cli_test::run_cli;
using cli_test::run_json;

namespace {

void run(const std::string& tool, const std::vector<std::string>& args) {
    const std::string program = test_support::find_program(tool);
    ASSERT_FALSE(program.empty()) << tool << " is needed (gdal-bin, imagemagick)";
    const auto r = test_support::run_process(program, args);
    ASSERT_EQ(r.exit_code, 0) << tool << ": " << r.err;
}

QJsonObject gdalinfo(const std::string& path) {
    const auto r = test_support::run_process(test_support::find_program("gdalinfo"), {"-json", path});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
}

// A corner of gdalinfo's cornerCoordinates, in its own system.
std::pair<double, double> corner(const QJsonObject& info, const char* which) {
    const QJsonArray c = info["cornerCoordinates"].toObject()[which].toArray();
    return {c[0].toDouble(), c[1].toDouble()};
}

}  // namespace

TEST(CliCrs, UtmShapefilesReadAndDrawAsTheirGeographicOriginals) {
    test_support::temp_dir dir;
    std::vector<std::vector<tools::vertices>> rivers;
    for (int r = 0; r < 30; ++r) {
        tools::vertices river;
        for (int i = 0; i < 40; ++i) river.emplace_back(-81.45 + 0.02 * i, 35.82 + 0.02 * r + 0.004 * ((i * r) % 3));
        rivers.push_back({river});
    }
    ASSERT_TRUE(tools::write_shapefile(dir.file("rivers.shp"), SHPT_ARC, rivers));
    std::filesystem::create_directories(dir.file("utm"));
    run("ogr2ogr", {"-s_srs", "EPSG:4326", "-t_srs", "EPSG:32617", dir.file("utm/rivers.shp"), dir.file("rivers.shp")});

    const QJsonObject geo = run_json({"info", dir.file("rivers.shp"), "--json"});
    const QJsonObject utm = run_json({"info", dir.file("utm/rivers.shp"), "--json"});
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(utm["bounds"].toArray()[i].toDouble(), geo["bounds"].toArray()[i].toDouble(), 1e-7) << i;
    const QJsonObject crs = utm["crs"].toObject();
    EXPECT_EQ(crs["origin"].toString(), "prj");
    EXPECT_EQ(crs["id"].toString(), "EPSG:32617");
    EXPECT_TRUE(crs["transformed"].toBool());
    EXPECT_FALSE(geo["crs"].toObject()["transformed"].toBool());

    // The same picture and the same map, whatever system the file was in.
    ASSERT_EQ(run_cli({"render", dir.file("rivers.shp"), "-o", dir.file("geo.png"), "--size", "400x300"}).exit_code, 0);
    const auto drawn = run_cli({"render", dir.file("utm/rivers.shp"), "-o", dir.file("utm.png"), "--size", "400x300"});
    ASSERT_EQ(drawn.exit_code, 0) << drawn.err;
    const QImage a(QString::fromStdString(dir.file("geo.png"))), b(QString::fromStdString(dir.file("utm.png")));
    ASSERT_FALSE(a.isNull());
    EXPECT_EQ(a.convertToFormat(QImage::Format_RGB32), b.convertToFormat(QImage::Format_RGB32));
    ASSERT_EQ(run_cli({"compose", dir.file("utm/rivers.shp"), "-o", dir.file("utm.kxr")}).exit_code, 0);
    const QJsonArray composed = run_json({"info", dir.file("utm.kxr"), "--json"})["layers"][0]["bounds"].toArray();
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(composed[i].toDouble(), geo["bounds"].toArray()[i].toDouble(), 1e-7) << i;

    // Without its .prj: added as it stands with the warning, and with --assume-crs read as
    // with its .prj.
    std::filesystem::remove(dir.file("utm/rivers.prj"));
    const auto bare = run_cli({"info", dir.file("utm/rivers.shp"), "--json"});
    EXPECT_EQ(bare.exit_code, 0);
    EXPECT_NE(bare.err.find("--assume-crs EPSG:NNNN"), std::string::npos) << bare.err;
    const QJsonObject assumed = run_json({"info", dir.file("utm/rivers.shp"), "--assume-crs", "EPSG:32617", "--json"});
    EXPECT_EQ(assumed["bounds"], utm["bounds"]);
    EXPECT_EQ(assumed["crs"].toObject()["origin"].toString(), "assumed");
    EXPECT_EQ(run_cli({"info", dir.file("utm/rivers.shp"), "--assume-crs", "EPSG:0"}).exit_code, 1);
}

TEST(CliCrs, GeoTiffsNeedNoFootholdsAndLandWhereGdalPutsThem) {
    test_support::temp_dir dir;
    run("convert", {"-size", "400x300", "gradient:red-blue", "-depth", "8", "PNG24:" + dir.file("scan.png")});
    run("gdal_translate", {"-q", "-a_srs", "EPSG:4326", "-a_ullr", "-81.3", "36.25", "-81.1", "36.1",
                           dir.file("scan.png"), dir.file("degrees.tif")});
    run("gdalwarp", {"-q", "-t_srs", "EPSG:32617", dir.file("degrees.tif"), dir.file("utm.tif")});
    EXPECT_EQ(run_cli({"export-rre", dir.file("scan.png"), "-o", dir.file("x.rre")}).exit_code, 1);

    for (const char* name : {"degrees", "utm"}) {
        const std::string tif = dir.file(std::string(name) + ".tif");
        const QJsonObject report = run_json({"export-rre", tif, "-o", dir.file("out.rre"), "--json"});
        EXPECT_EQ(report["fit"].toObject()["points"].toArray().size(), 5) << name;
        const auto decoded = run_cli({"decode-rre", dir.file("out.rre"), "-o", dir.file("out.jpg"), "--world-file",
                                      dir.file("out.jgw")});
        ASSERT_EQ(decoded.exit_code, 0) << decoded.err;

        // The decoded layer covers the picture from its upper-left corner: both corners of
        // that side and the far ones of what the frames cover, against where GDAL puts the
        // same pixel corners of the source.
        const QJsonObject ours = gdalinfo(dir.file("out.jpg"));
        const QJsonArray size = ours["size"].toArray();
        const int w = size[0].toInt(), h = size[1].toInt();
        const std::string pixels = "0 0\n" + std::to_string(w) + " 0\n0 " + std::to_string(h) + "\n" +
                                   std::to_string(w) + " " + std::to_string(h) + "\n";
        test_support::write_bytes(dir.file("pixels.txt"), std::vector<std::uint8_t>(pixels.begin(), pixels.end()));
        const auto gdal = test_support::run_process(
            "/bin/sh", {"-c", "gdaltransform -t_srs EPSG:4326 -output_xy '" + tif + "' < '" + dir.file("pixels.txt") + "'"});
        std::istringstream places(gdal.out);
        const double pixel_x = (corner(ours, "upperRight").first - corner(ours, "upperLeft").first) / w;
        const double pixel_y = (corner(ours, "upperLeft").second - corner(ours, "lowerLeft").second) / h;
        for (const char* which : {"upperLeft", "upperRight", "lowerLeft", "lowerRight"}) {
            double lon = NAN, lat = NAN;
            places >> lon >> lat;
            EXPECT_LT(std::fabs(corner(ours, which).first - lon) / pixel_x, 0.5) << name << " " << which;
            EXPECT_LT(std::fabs(corner(ours, which).second - lat) / pixel_y, 0.5) << name << " " << which;
        }
    }
}

namespace {

// The command's run with the dynamic loader reporting every library it maps (on standard
// error): GDAL comes in only through its module.
test_support::process_result run_cli_seeing_libraries(const std::vector<std::string>& args) {
    std::string command = "LD_DEBUG=files exec '" PLOTWRIGHT_CLI "'";
    for (const std::string& arg : args) command += " '" + arg + "'";
    return test_support::run_process("/bin/sh", {"-c", command});
}

bool maps_gdal(const test_support::process_result& r) {
    return r.err.find("libplotwright_gdal") != std::string::npos || r.err.find("libgdal") != std::string::npos;
}

}  // namespace

TEST(CliCrs, GdalIsLoadedOnlyForPicturesThatMayCarryAPlace) {
    test_support::temp_dir dir;
    run("convert", {"-size", "320x240", "gradient:red-blue", "-quality", "95", dir.file("scan.jpg")});
    auto r = run_cli_seeing_libraries({"export-rre", dir.file("scan.jpg"), "-o", dir.file("hand.rre"), "--gcp",
                                       "0,0,-81.3,36.25", "--gcp", "319,0,-81.1,36.25", "--gcp", "0,239,-81.3,36.1"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_FALSE(maps_gdal(r));

    // A world file (in upper case, as GDAL also takes it) places the picture without
    // footholds, through GDAL.
    const std::string world = "0.000626959247648903\n0\n0\n-0.000627615062761506\n-81.3\n36.25\n";
    test_support::write_bytes(dir.file("SCAN.JGW"), std::vector<std::uint8_t>(world.begin(), world.end()));
    r = run_cli_seeing_libraries({"export-rre", dir.file("scan.jpg"), "-o", dir.file("placed.rre"), "--json"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_TRUE(maps_gdal(r));
    const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    EXPECT_EQ(report["fit"].toObject()["points"].toArray().size(), 5) << r.out;
}

TEST(CliCrs, ProjIsLoadedOnlyForFilesInAnotherSystemThanPlainWgs84) {
    const auto maps_proj = [](const test_support::process_result& r) {
        return r.err.find("libplotwright_proj") != std::string::npos || r.err.find("libproj") != std::string::npos;
    };
    test_support::temp_dir dir;
    tools::vertices river;
    for (int i = 0; i < 20; ++i) river.emplace_back(-81.45 + 0.02 * i, 35.82 + 0.001 * i);
    ASSERT_TRUE(tools::write_shapefile(dir.file("river.shp"), SHPT_ARC, {{river}}));
    // Without a .prj, with the .prj ogr2ogr writes for WGS 84, and in UTM.
    std::filesystem::create_directories(dir.file("wgs84"));
    std::filesystem::create_directories(dir.file("utm"));
    run("ogr2ogr", {"-a_srs", "EPSG:4326", dir.file("wgs84/river.shp"), dir.file("river.shp")});
    run("ogr2ogr", {"-s_srs", "EPSG:4326", "-t_srs", "EPSG:32617", dir.file("utm/river.shp"), dir.file("river.shp")});
    for (const char* file : {"river.shp", "wgs84/river.shp", "utm/river.shp"}) {
        const auto r = run_cli_seeing_libraries({"info", dir.file(file), "--json"});
        EXPECT_EQ(r.exit_code, 0) << file;
        const QJsonObject crs = QJsonDocument::fromJson(QByteArray::fromStdString(r.out))["crs"].toObject();
        const bool utm = std::string(file).starts_with("utm");
        EXPECT_EQ(maps_proj(r), utm) << file;
        EXPECT_EQ(crs["transformed"].toBool(), utm) << file;
        EXPECT_EQ(crs["id"].toString(), utm ? "EPSG:32617" : file == std::string("river.shp") ? "" : "EPSG:4326") << file;
    }
}
