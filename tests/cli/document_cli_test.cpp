// compose, info and render of map documents, and geojson read back by ogrinfo.

#include <gtest/gtest.h>

#include <QImage>
#include <shapefil.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <filesystem>
#include <cstdlib>
#include <map>

#include "map/sf_map.h"
#include "tests/cli/cli_support.h"
#include "tests/map/sample_map.h"
#include "tests/raster/pictures.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/vector/lines/counties.h"
#include "tools/shapefile_writer.h"
#include "vector/register_layers.h"

using cli_test::run_cli;
using cli_test::run_json;
using test_support::read_bytes;

namespace {

// What ogrinfo reads of one feature: its fields as text and its geometry's rings, each ring
// turned counter-clockwise (its first vertex kept), polygons in the order of their first rings.
struct ogr_feature {
    std::map<std::string, std::string> fields;
    std::string type;
    std::vector<std::vector<std::vector<std::pair<double, double>>>> polygons;  // or lines, or a point
};

// The vertices of a WKT text, grouped by its innermost parentheses, then by the level above.
void parse_wkt(const std::string& wkt, ogr_feature& f) {
    f.type = wkt.substr(0, wkt.find(' '));
    int depth = 0;
    const bool polygonal = f.type.find("POLYGON") != std::string::npos;
    const int ring_depth = f.type == "MULTIPOLYGON" ? 3 : f.type == "POLYGON" || f.type == "MULTILINESTRING" ? 2 : 1;
    for (std::size_t i = 0; i < wkt.size(); ++i) {
        if (wkt[i] == '(') {
            ++depth;
            if (depth == ring_depth - 1 || (ring_depth == 1 && depth == 1)) f.polygons.emplace_back();
            if (depth == ring_depth) {
                if (f.polygons.empty()) f.polygons.emplace_back();
                f.polygons.back().emplace_back();
            }
        } else if (wkt[i] == ')') {
            --depth;
        } else if (depth == ring_depth && (std::isdigit(static_cast<unsigned char>(wkt[i])) || wkt[i] == '-')) {
            char* end = nullptr;
            const double x = std::strtod(wkt.c_str() + i, &end);
            const double y = std::strtod(end, &end);
            i = static_cast<std::size_t>(end - wkt.c_str()) - 1;
            f.polygons.back().back().emplace_back(x, y);
        }
    }
    if (!polygonal) return;
    for (auto& polygon : f.polygons)
        for (auto& ring : polygon) {
            double area = 0;
            for (std::size_t k = 0; k + 1 < ring.size(); ++k)
                area += ring[k].first * ring[k + 1].second - ring[k + 1].first * ring[k].second;
            if (area < 0) std::reverse(ring.begin(), ring.end());
        }
    std::sort(f.polygons.begin(), f.polygons.end());
}

std::vector<ogr_feature> ogrinfo_features(const std::string& path) {
    const std::string ogrinfo = test_support::find_program("ogrinfo");
    EXPECT_FALSE(ogrinfo.empty()) << "ogrinfo (gdal-bin) is needed";
    const auto r = test_support::run_process(ogrinfo, {"-al", "-q", path});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    std::vector<ogr_feature> features;
    std::size_t start = 0;
    while (start < r.out.size()) {
        std::size_t end = r.out.find('\n', start);
        if (end == std::string::npos) end = r.out.size();
        const std::string line = r.out.substr(start, end - start);
        start = end + 1;
        if (line.rfind("OGRFeature(", 0) == 0) {
            features.emplace_back();
        } else if (!features.empty() && line.rfind("  ", 0) == 0) {
            const std::size_t eq = line.find(") = ");
            if (eq != std::string::npos && line.find(" (") < eq)
                features.back().fields[line.substr(2, line.find(" (") - 2)] = line.substr(eq + 4);
            else
                parse_wkt(line.substr(2), features.back());
        }
    }
    return features;
}

std::string geojson_of(const test_support::temp_dir& dir, const std::string& input, const std::string& name) {
    const auto r = run_cli({"geojson", input, "-o", dir.file(name)});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    return dir.file(name);
}

}  // namespace

TEST(CliDocument, ComposedInfoShowsTheSameMapAfterItIsOpenedAndSavedAgain) {
    test_support::temp_dir dir;
    const sample_map::sources s = sample_map::write_sources(dir.path());
    const std::string first = dir.file("first.kxr");
    const auto r = run_cli({"compose", s.counties, s.roads, s.towns, "-o", first, "--icons", s.icons,
                            "--colours", "counties=#102030,#C0D0E0", "--icon", "towns=1", "--label", "towns=NAME",
                            "--hide", "roads"});
    ASSERT_EQ(r.exit_code, 0) << r.err;

    model::register_vector_layers();
    model::CSFMap opened;
    ASSERT_EQ(opened.Load(first, nullptr), model::map_loaded);
    ASSERT_EQ(opened.Save(dir.file("second.kxr")), model::map_saved);
    EXPECT_EQ(read_bytes(dir.file("second.kxr")), read_bytes(first));

    const QJsonObject info = run_json({"info", first, "--json"});
    EXPECT_EQ(info, run_json({"info", dir.file("second.kxr"), "--json"}));
    EXPECT_EQ(info["records"].toInt(), 3);  // the roads are hidden, so not saved
    const QJsonArray layers = info["layers"].toArray();
    ASSERT_EQ(layers.size(), 3);
    EXPECT_EQ(layers[0]["kind"].toString(), "polygon");
    EXPECT_EQ(layers[0]["contour"].toString(), "#102030");
    EXPECT_EQ(layers[0]["fill"].toString(), "#C0D0E0");
    EXPECT_EQ(layers[0]["grid"].toArray(), (QJsonArray{10, 10}));
    EXPECT_GT(layers[0]["pieces"].toInt(), 24);
    EXPECT_EQ(layers[1]["icon"].toInt(), 1);
    EXPECT_EQ(layers[1]["label_field"].toString(), "NAME");
    EXPECT_EQ(layers[1]["cell_points"].toInt(), 5);
    EXPECT_EQ(layers[2]["icons"].toArray().size(), 2);

    // The opened document drawn cell by cell shows the fill and the icons.
    const auto drawn = run_cli({"render", first, "-o", dir.file("map.png"), "--size", "300x200"});
    ASSERT_EQ(drawn.exit_code, 0) << drawn.err;
    const QImage picture(QString::fromStdString(dir.file("map.png")));
    int fill = 0, icon = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            fill += picture.pixel(x, y) == qRgb(0xC0, 0xD0, 0xE0);
            const QRgb c = picture.pixel(x, y);  // the green of icon 1, through its 5-6-5 pixels
            icon += qGreen(c) > 150 && qRed(c) < 40 && qBlue(c) < 60;
        }
    EXPECT_GT(fill, 300 * 200 / 10);
    EXPECT_GE(icon, 150);
}

TEST(CliDocument, ComposeRefusesWhatItCannotDoAndKeepsTheOldFile) {
    test_support::temp_dir dir;
    const sample_map::sources s = sample_map::write_sources(dir.path());
    const std::string target = dir.file("old.kxr");
    test_support::write_bytes(target, {'o', 'l', 'd'});
    tarvel_tech::nimbra::jpg_image scan = raster_test::ramp_picture(240, 320);
    const std::string picture = raster_test::save_jpeg(scan, dir.file("scan.jpg"));
    struct refusal {
        std::vector<std::string> args;
        int exit_code;
        std::string says;
    };
    const refusal refusals[] = {
        {{"compose", s.roads, "-o", dir.file("missing/map.kxr")}, 2, "cannot save"},
        {{"compose", s.roads, "-o", dir.path()}, 2, "cannot save"},
        {{"compose", s.roads, "-o", target, "--hide", "rivers"}, 1, "no layer is named 'rivers'"},
        {{"compose", s.roads, "-o", target, "--colours", "roads=#12345"}, 1, "expected NAME=#RRGGBB"},
        {{"compose", s.roads, "-o", target, "--icon", "roads=1"}, 1, "no point layer"},
        {{"compose", s.towns, "-o", target, "--label", "towns=MAYOR"}, 1, "no field 'MAYOR'"},
        {{"compose", s.roads, dir.file("none.ktf"), "-o", target}, 2, "Can't load the map."},
        {{"compose", target, "-o", target}, 1, "is opened, not composed"},
        {{"compose", s.roads, "-o", target, "--gcp", "0,0,1,1"}, 1, "footholds need a picture"},
        {{"compose", picture, "-o", target}, 2, "You must snap the map."},
    };
    for (const refusal& r : refusals) {
        const auto result = run_cli(r.args);
        EXPECT_EQ(result.exit_code, r.exit_code) << r.args[2] << " " << result.err;
        EXPECT_NE(result.err.find(r.says), std::string::npos) << result.err;
        EXPECT_EQ(read_bytes(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    }
}

TEST(CliDocument, ComposeSnapsAPictureToItsFootholdsAndStoresItsFrames) {
    test_support::temp_dir dir;
    tarvel_tech::nimbra::jpg_image scan = raster_test::ramp_picture(240, 320);
    const std::string picture = raster_test::save_jpeg(scan, dir.file("scan.jpg"));
    const sample_map::sources s = sample_map::write_sources(dir.path());
    const auto r = run_cli({"compose", picture, s.roads, "-o", dir.file("map.kxr"), "--gcp", "0,0,-104,41", "--gcp",
                            "239,0,-94,41", "--gcp", "0,319,-104,36"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const QJsonObject info = run_json({"info", dir.file("map.kxr"), "--json"});
    EXPECT_TRUE(info["snap_transform"]["valid"].toBool());
    const QJsonObject raster = info["layers"][0].toObject();
    EXPECT_EQ(raster["kind"].toString(), "rre");
    EXPECT_EQ(raster["name"].toString(), "RRE-4");  // 2 x 2 frames of 120 x 160
    EXPECT_EQ(raster["frames"]["count"].toInt(), 4);
    EXPECT_NEAR(raster["snap_copy"]["direct"][0].toDouble(), 10.0 / 239, 1e-9);
    EXPECT_EQ(info["layers"][1]["name"].toString(), "roads");
}

// Polygons with lakes and islands, as county maps have them, and points with a table: what
// ogrinfo reads of the GeoJSON is what it reads of the shapefile (polygon layers keep no
// attributes, point layers keep their table's numbers, texts and logicals).
TEST(CliDocument, GeojsonReadsBackInOgrinfoAsTheShapefileDoes) {
    test_support::temp_dir dir;
    const sample_map::sources s = sample_map::write_sources(dir.path());
    counties::write_shapefile(dir.file("nc"), counties::make_counties(3), false);

    const auto shp = ogrinfo_features(dir.file("nc.shp"));
    const auto ours = ogrinfo_features(geojson_of(dir, dir.file("nc.shp"), "nc.geojson"));
    ASSERT_EQ(ours.size(), shp.size());
    ASSERT_GT(shp.size(), 90u);
    std::size_t holes = 0, multi = 0;
    for (const ogr_feature& f : shp) {
        ASSERT_FALSE(f.polygons.empty());
        multi += f.type == "MULTIPOLYGON";
        for (const auto& polygon : f.polygons) holes += polygon.size() - 1;
    }
    EXPECT_GT(holes, 10u);
    EXPECT_GT(multi, 3u);
    for (std::size_t i = 0; i < shp.size(); ++i) {
        EXPECT_EQ(ours[i].type, shp[i].type) << i;
        EXPECT_EQ(ours[i].polygons, shp[i].polygons) << i;
    }

    const auto towns = ogrinfo_features(s.towns);
    const auto points = ogrinfo_features(geojson_of(dir, s.towns, "towns.geojson"));
    ASSERT_EQ(points.size(), towns.size());
    for (std::size_t i = 0; i < towns.size(); ++i) {
        EXPECT_EQ(points[i].polygons, towns[i].polygons) << i;
        EXPECT_EQ(points[i].fields.at("NAME"), towns[i].fields.at("NAME")) << i;
        EXPECT_EQ(std::stod(points[i].fields.at("POP")), std::stod(towns[i].fields.at("POP"))) << i;
        // A logical is kept as a whole number, true as -1; dates are not kept.
        const std::string capital = towns[i].fields.at("CAPITAL");
        EXPECT_EQ(points[i].fields.at("CAPITAL"), capital == "T" || capital == "1" ? "-1" : "0") << i;
        EXPECT_EQ(points[i].fields.count("FOUNDED"), 0u);
    }
    EXPECT_EQ(points[1].fields.at("NAME"), "Saint-\u00c9tienne");

    // A document gives the pieces its cells keep, each with its layer's name.
    const std::string kxr = dir.file("map.kxr");
    ASSERT_EQ(run_cli({"compose", s.counties, s.roads, s.towns, "-o", kxr, "--icons", s.icons}).exit_code, 0);
    const QJsonArray layers = run_json({"info", kxr, "--json"})["layers"].toArray();
    std::map<std::string, int> per_layer;
    for (const ogr_feature& f : ogrinfo_features(geojson_of(dir, kxr, "map.geojson")))
        ++per_layer[f.fields.at("layer")];
    EXPECT_EQ(per_layer["counties"], layers[0]["pieces"].toInt());
    EXPECT_EQ(per_layer["roads"], layers[1]["pieces"].toInt());
    EXPECT_EQ(per_layer["towns"], 5);
}

// Layer and field names outside Windows-1252 go into the document and come out of it in the
// code page of --code-page, in every command that reads or writes them.
TEST(CliDocument, CodePageCarriesNamesThroughDocumentsAndGeojson) {
    test_support::temp_dir dir;
    const std::string shp = dir.file("город.shp");
    ASSERT_TRUE(tools::write_shapefile(shp, SHPT_POINT, {{{{37.6, 55.7}}}, {{{30.3, 59.9}}}}));
    DBFHandle table = DBFCreate(dir.file("город.dbf").c_str());
    ASSERT_NE(table, nullptr);
    DBFAddField(table, "\xC8\xCC\xDF", FTString, 20, 0);  // ИМЯ in Windows-1251
    DBFWriteStringAttribute(table, 0, 0, "\xCC\xEE\xF1\xEA\xE2\xE0");  // Москва
    DBFWriteStringAttribute(table, 1, 0, "\xCF\xE8\xF2\xE5\xF0");      // Питер
    DBFClose(table);
    test_support::write_bytes(dir.file("город.cpg"), {'C', 'P', '1', '2', '5', '1'});

    const std::string kxr = dir.file("map.kxr");
    const auto composed = run_cli({"compose", shp, "-o", kxr, "--icons", dir.path(), "--code-page", "CP1251",
                                   "--label", "город=ИМЯ"});
    ASSERT_EQ(composed.exit_code, 0) << composed.err;
    // The document holds the name in the system's 8-bit character set.
    const std::vector<std::uint8_t> bytes = read_bytes(kxr);
    const std::vector<std::uint8_t> cp1251_name{0xE3, 0xEE, 0xF0, 0xEE, 0xE4};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), cp1251_name.begin(), cp1251_name.end()), bytes.end());

    const QJsonObject layer = run_json({"info", kxr, "--json", "--code-page", "CP1251"})["layers"][0].toObject();
    EXPECT_EQ(layer["name"].toString(), "город");
    EXPECT_EQ(layer["label_field"].toString(), "ИМЯ");
    // The same bytes read in Windows-1252.
    EXPECT_EQ(run_json({"info", kxr, "--json"})["layers"][0]["name"].toString(), "ãîðîä");

    const auto exported = run_cli({"geojson", kxr, "-o", dir.file("map.geojson"), "--code-page", "CP1251"});
    ASSERT_EQ(exported.exit_code, 0) << exported.err;
    const auto features = ogrinfo_features(dir.file("map.geojson"));
    ASSERT_EQ(features.size(), 2u);
    EXPECT_EQ(features[0].fields.at("layer"), "город");
    EXPECT_EQ(features[0].fields.at("ИМЯ"), "Москва");
    EXPECT_EQ(features[1].fields.at("ИМЯ"), "Питер");
}
