// Shapefiles in other coordinate systems arrive in longitude and latitude: files that GDAL's
// ogr2ogr wrote in UTM must read as their geographic originals.
#include <gtest/gtest.h>

#include <shapefil.h>

#include <cmath>
#include <filesystem>

#include "map/sf_map.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/recording_ui_service.h"
#include "tests/vector/added_layer.h"
#include "tools/shapefile_writer.h"
#include "vector/layer_line.h"
#include "vector/layer_point.h"
#include "vector/register_layers.h"

using namespace model;
using vector_test::add;
using vector_test::added;
using tools::vertices;

namespace {

std::vector<CSFPt> points_of(CSFLayer& layer) {
    std::vector<CSFPt> points;
    layer.for_each_shape([&](CSFShape& shape) {
        if (auto* p = dynamic_cast<CSFPoint*>(&shape)) points.push_back(p->m_pt);
        if (auto* l = dynamic_cast<CSFLine*>(&shape)) points.insert(points.end(), l->m_pPoints.begin(), l->m_pPoints.end());
    });
    return points;
}

void expect_same_place(CSFLayer& a, CSFLayer& b, double tolerance, const std::string& what) {
    const std::vector<CSFPt> pa = points_of(a), pb = points_of(b);
    ASSERT_EQ(pa.size(), pb.size()) << what;
    double worst = 0;
    for (std::size_t i = 0; i < pa.size(); ++i)
        worst = std::max({worst, std::fabs(pa[i].X - pb[i].X), std::fabs(pa[i].Y - pb[i].Y)});
    EXPECT_LE(worst, tolerance) << what;
    const CSFRect& ba = a.m_rcBounds;
    const CSFRect& bb = b.m_rcBounds;
    for (auto [x, y] : {std::pair{ba.minX, bb.minX}, {ba.minY, bb.minY}, {ba.maxX, bb.maxX}, {ba.maxY, bb.maxY}})
        EXPECT_NEAR(x, y, tolerance) << what;
}

void ogr2ogr(const std::vector<std::string>& args) {
    const std::string program = test_support::find_program("ogr2ogr");
    ASSERT_FALSE(program.empty()) << "ogr2ogr (gdal-bin) is needed";
    const auto r = test_support::run_process(program, args);
    ASSERT_EQ(r.exit_code, 0) << r.err;
}

// Towns, a winding road network large enough for the batch's cells and a polygon with a hole,
// around 81 degrees west, in the middle of UTM zone 17.
void write_geographic(const test_support::temp_dir& dir) {
    ASSERT_TRUE(tools::write_shapefile(dir.file("towns.shp"), SHPT_POINT,
                                       {{{{-81.2, 35.9}}}, {{{-80.7, 36.3}}}, {{{-81.0, 36.1}}}}));
    std::vector<std::vector<vertices>> roads;
    for (int r = 0; r < 400; ++r) {
        vertices road;
        for (int i = 0; i < 100; ++i) road.emplace_back(-81.4 + 0.002 * i + 0.001 * (r % 7), 35.8 + 0.0015 * r + 0.0003 * (i % 5));
        roads.push_back({road});
    }
    ASSERT_TRUE(tools::write_shapefile(dir.file("roads.shp"), SHPT_ARC, roads));
    ASSERT_TRUE(tools::write_shapefile(dir.file("lakes.shp"), SHPT_POLYGON,
                                       {{{{-81.3, 36.0}, {-81.3, 36.2}, {-81.0, 36.2}, {-81.0, 36.0}, {-81.3, 36.0}},
                                         {{-81.2, 36.05}, {-81.1, 36.05}, {-81.1, 36.1}, {-81.2, 36.05}}}}));
}

const char* const kNames[] = {"towns", "roads", "lakes"};

}  // namespace

TEST(ShapefileCrs, ProjectedAndOtherDatumFilesReadAsTheirGeographicOriginals) {
    test_support::temp_dir dir;
    write_geographic(dir);
    std::filesystem::create_directories(dir.file("utm"));
    std::filesystem::create_directories(dir.file("wgs"));
    std::filesystem::create_directories(dir.file("nad27"));
    for (const char* name : kNames) {
        const std::string shp = std::string(name) + ".shp";
        ogr2ogr({"-s_srs", "EPSG:4326", "-t_srs", "EPSG:32617", dir.file("utm/" + shp), dir.file(shp)});
        ogr2ogr({"-a_srs", "EPSG:4326", dir.file("wgs/" + shp), dir.file(shp)});
        // The same numbers as NAD27 degrees; ogr2ogr's own datum shift is the reference.
        ogr2ogr({"-a_srs", "EPSG:4267", dir.file("nad27/" + shp), dir.file(shp)});
        ogr2ogr({"-t_srs", "EPSG:4326", dir.file("nad27/shifted_" + shp), dir.file("nad27/" + shp)});
    }
    for (const char* name : kNames) {
        const std::string shp = std::string(name) + ".shp";
        CSFMap map;
        const added geo = add(map, dir.file(shp)), utm = add(map, dir.file("utm/" + shp)),
                    wgs = add(map, dir.file("wgs/" + shp)), nad27 = add(map, dir.file("nad27/" + shp)),
                    shifted = add(map, dir.file("nad27/shifted_" + shp));
        for (const added* a : {&geo, &utm, &wgs, &nad27, &shifted}) ASSERT_EQ(a->result, 0u) << name;

        // About a millimetre on the ground: what ogr2ogr's forward and the reading's inverse
        // transformation leave between them.
        expect_same_place(*geo.layer, *utm.layer, 1e-8, name);
        EXPECT_EQ(utm.layer->m_crs.m_nOrigin, layer_crs::prj);
        EXPECT_EQ(utm.layer->m_crs.m_strId, "EPSG:32617");
        EXPECT_TRUE(utm.layer->m_crs.m_bTransformed);
        EXPECT_EQ(geo.layer->m_crs.m_nOrigin, layer_crs::none);

        // A .prj of WGS 84 degrees changes nothing, to the last bit.
        expect_same_place(*geo.layer, *wgs.layer, 0.0, name);
        EXPECT_FALSE(wgs.layer->m_crs.m_bTransformed);
        EXPECT_EQ(wgs.layer->m_crs.m_strId, "EPSG:4326");

        // Degrees of another datum move by the datum shift, as GDAL moves them.
        EXPECT_TRUE(nad27.layer->m_crs.m_bTransformed);
        expect_same_place(*nad27.layer, *shifted.layer, 1e-8, name);
        EXPECT_GT(std::fabs(points_of(*nad27.layer)[0].X - points_of(*geo.layer)[0].X), 1e-5) << name;
    }
}

TEST(ShapefileCrs, WithoutPrjTheOperatorIsToldHowToNameTheSystem) {
    test_support::temp_dir dir;
    write_geographic(dir);
    std::filesystem::create_directories(dir.file("utm"));
    ogr2ogr({"-s_srs", "EPSG:4326", "-t_srs", "EPSG:32617", dir.file("utm/roads.shp"), dir.file("roads.shp")});
    CSFMap reference;
    const added with_prj = add(reference, dir.file("utm/roads.shp"));
    std::filesystem::remove(dir.file("utm/roads.prj"));

    CSFMap map;
    const added bare = add(map, dir.file("utm/roads.shp"));
    ASSERT_EQ(bare.result, 0u);
    EXPECT_TRUE(bare.layer->m_crs.m_bNotDegrees);
    EXPECT_GT(bare.layer->m_rcBounds.maxY, 3.9e6);  // added as it stands, in metres
    ASSERT_EQ(bare.messages.size(), 1u);
    EXPECT_NE(bare.messages[0].find("--assume-crs EPSG:NNNN"), std::string::npos) << bare.messages[0];
    // Degrees without a .prj are nothing to warn of.
    EXPECT_TRUE(add(map, dir.file("roads.shp")).messages.empty());

    // The program's answer to the warning: the same file read again in the chosen system, in
    // the same place of the map, styled as it was.
    bare.layer->m_crContour = 0x123456;
    ASSERT_EQ(map.read_again_in_crs(0, "EPSG:32617"), layer_added);
    EXPECT_EQ(map.GetLayer(0)->m_crContour, 0x123456u);
    expect_same_place(*map.GetLayer(0), *with_prj.layer, 0.0, "chosen");
    EXPECT_EQ(map.GetLayer(0)->m_crs.m_nOrigin, layer_crs::assumed);
    EXPECT_EQ(map.GetLayerCount(), 2u);

    // The assumed system serves every file that names none, and is refused when unknown.
    std::string cause;
    EXPECT_FALSE(map.set_assumed_crs("EPSG:999999", &cause));
    EXPECT_FALSE(cause.empty());
    ASSERT_TRUE(map.set_assumed_crs("EPSG:32617"));
    const added assumed = add(map, dir.file("utm/roads.shp"));
    expect_same_place(*assumed.layer, *with_prj.layer, 0.0, "assumed");
    EXPECT_TRUE(assumed.messages.empty());
}

TEST(ShapefileCrs, SystemsAndPointsThatCannotBePlaced) {
    struct bad {
        const char* what;
        std::string prj;   // empty: no .prj
        double x, y;       // the one odd point among good ones
        unsigned result;
        const char* message;  // a part of the one message shown
    };
    const std::string utm = "EPSG:32617";
    const bad cases[] = {
        {"garbage .prj", "GEOGCS[nonsense", -81, 36, 0, "no coordinate system the map can use"},
        {"geocentric .prj", "EPSG:4978", -81, 36, 0, "no coordinate system the map can use"},
        {"a .prj of 100 KiB", std::string(100 * 1024, 'x'), -81, 36, 0, "no coordinate system the map can use"},
        {"a point nowhere in UTM", utm, 1e300, 4e6, 1, "cannot be transformed"},
        {"a point that is no number", utm, NAN, 4e6, 1, "cannot be transformed"},
    };
    for (const bad& c : cases) {
        test_support::temp_dir dir;
        ASSERT_TRUE(tools::write_shapefile(dir.file("f.shp"), SHPT_POINT, {{{{-81, 36}}}, {{{c.x, c.y}}}}));
        if (!c.prj.empty())
            test_support::write_bytes(dir.file("f.prj"), std::vector<std::uint8_t>(c.prj.begin(), c.prj.end()));
        CSFMap map;
        const added a = add(map, dir.file("f.shp"));
        EXPECT_EQ(a.result, c.result) << c.what;
        EXPECT_EQ(map.GetLayerCount(), c.result == 0 ? 1u : 0u) << c.what;
        ASSERT_FALSE(a.messages.empty()) << c.what;
        EXPECT_NE(a.messages[0].find(c.message), std::string::npos) << c.what << ": " << a.messages[0];
    }
}
