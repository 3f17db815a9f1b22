#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <random>
#include <sstream>

#include "georef/coordinate_system.h"
#include "georef/lonlat_batch.h"
#include "georef/proj_module.h"
#include "tests/support/files.h"
#include "tests/support/process.h"

using georef::coordinate_system;
using georef::lonlat_batch;

namespace {

std::unique_ptr<coordinate_system> system_of(const std::string& text) {
    std::string cause;
    auto system = coordinate_system::from_definition(text, &cause);
    EXPECT_TRUE(system) << text << ": " << cause;
    return system;
}

// The .prj texts other programs write: the ESRI dialect, without authority codes.
const char kEsriWgs84[] =
    R"(GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,298.257223563]],)"
    R"(PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])";
const char kEsriUtm17[] =
    R"(PROJCS["WGS_1984_UTM_Zone_17N",GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",)"
    R"(SPHEROID["WGS_1984",6378137.0,298.257223563]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]],)"
    R"(PROJECTION["Transverse_Mercator"],PARAMETER["False_Easting",500000.0],PARAMETER["False_Northing",0.0],)"
    R"(PARAMETER["Central_Meridian",-81.0],PARAMETER["Scale_Factor",0.9996],PARAMETER["Latitude_Of_Origin",0.0],)"
    R"(UNIT["Meter",1.0]])";

}  // namespace

TEST(CoordinateSystem, ReadsDefinitionsOfEveryDialectAndRefusesTheRest) {
    struct known {
        const char* text;
        const char* id;
        bool geographic, wgs84;
    };
    const known good[] = {
        {kEsriWgs84, "EPSG:4326", true, true},
        {"EPSG:4326", "EPSG:4326", true, true},
        {kEsriUtm17, "EPSG:32617", false, false},
        {"EPSG:32617", "EPSG:32617", false, false},
        {"+proj=utm +zone=17 +datum=WGS84 +units=m +no_defs +type=crs", "", false, false},
        {"EPSG:4267", "EPSG:4267", true, false},  // NAD27: degrees, another datum
        {"EPSG:4807", "EPSG:4807", true, false},  // NTF (Paris): grads from the Paris meridian
    };
    for (const known& k : good) {
        const auto system = system_of(k.text);
        if (!system) continue;
        EXPECT_EQ(system->identifier(), k.id) << k.text;
        EXPECT_EQ(system->is_geographic(), k.geographic) << k.text;
        EXPECT_EQ(system->is_wgs84_degrees(), k.wgs84) << k.text;
        EXPECT_FALSE(system->name().empty()) << k.text;
    }

    for (const char* bad : {"", "  \n", "garbage", "EPSG:999999", "EPSG:4978" /* geocentric */, "EPSG:5714" /* heights */,
                            "GEOGCS[\"cut short\",DATUM[", "+proj=utm +zone=99"}) {
        std::string cause;
        EXPECT_FALSE(coordinate_system::from_definition(bad, &cause)) << bad;
        EXPECT_FALSE(cause.empty()) << bad;
    }
}

TEST(CoordinateSystem, AgreesWithCs2csAndPutsLongitudeFirst) {
    const std::string cs2cs = test_support::find_program("cs2cs");
    ASSERT_FALSE(cs2cs.empty()) << "cs2cs (proj-bin) is needed";
    struct sample {
        const char* system;
        double x, y;
    };
    const sample samples[] = {{"EPSG:32617", 295000.0, 4120000.0},  {"EPSG:32617", 720000.5, 3000.25},
                              {"EPSG:3035", 4321000.0, 3210000.0},  {"EPSG:2154", 652000.0, 6862000.0},
                              {"EPSG:27700", 530000.0, 180000.0},   {"EPSG:3413", -1200000.0, -800000.0},
                              {"EPSG:4267", -100.5, 40.25}};
    for (const sample& s : samples) {
        const auto system = system_of(s.system);
        if (!system) continue;
        double x = s.x, y = s.y;
        ASSERT_EQ(system->to_lonlat(&x, &y, 1, 1), 0u) << s.system;

        // cs2cs's own order for EPSG:4326 is latitude, longitude; the input's is the system's
        // own (northing first for EPSG:3035 and latitude first for NAD27).
        const bool northing_first = std::string(s.system) == "EPSG:4267" || std::string(s.system) == "EPSG:3035";
        const std::string input = northing_first ? std::to_string(s.y) + " " + std::to_string(s.x)
                                                 : std::to_string(s.x) + " " + std::to_string(s.y);
        test_support::temp_dir dir;
        const std::string file = dir.file("in.txt");
        test_support::write_bytes(file, std::vector<std::uint8_t>(input.begin(), input.end()));
        const auto r = test_support::run_process(cs2cs, {"-f", "%.12f", s.system, "EPSG:4326", file});
        ASSERT_EQ(r.exit_code, 0) << r.err;
        std::istringstream out(r.out);
        double lat = NAN, lon = NAN;
        out >> lat >> lon;
        EXPECT_NEAR(x, lon, 1e-9) << s.system;
        EXPECT_NEAR(y, lat, 1e-9) << s.system;
    }
}

TEST(LonlatBatch, StaysWithinItsToleranceOfTheExactTransformation) {
    // Boxes a file might cover, the projection's pole and its far edges among them.
    struct area {
        const char* system;
        double min_x, min_y, max_x, max_y;
        bool mostly_interpolated;
    };
    const area areas[] = {
        {"EPSG:32617", 250000, 3900000, 350000, 4000000, true},    // a county
        {"EPSG:32617", 160000, 0, 840000, 9300000, false},         // the whole zone
        {"EPSG:3035", 3500000, 2500000, 3700000, 2700000, true},   // a district
        {"EPSG:3035", 2500000, 1400000, 6500000, 5400000, false},  // Europe
        {"EPSG:3413", -3000000, -3000000, 3000000, 3000000, false}, // the North Pole inside
        {"EPSG:3857", -20037500, -15000000, 20037500, 15000000, false},
        {"EPSG:27700", 0, 0, 700000, 1300000, false},
    };
    std::mt19937 random(7);
    for (const area& a : areas) {
        const auto system = system_of(a.system);
        if (!system) continue;
        const std::size_t count = 120000;
        std::uniform_real_distribution<double> x_of(a.min_x, a.max_x), y_of(a.min_y, a.max_y);
        std::vector<double> xy(2 * count);
        for (std::size_t i = 0; i < count; ++i) xy[2 * i] = x_of(random), xy[2 * i + 1] = y_of(random);
        // The second half walks as a line's vertices do, mostly staying in one cell and now
        // and then crossing into the next.
        std::uniform_real_distribution<double> step(-0.002, 0.002);
        for (std::size_t i = count / 2 + 1; i < count; ++i) {
            xy[2 * i] = std::clamp(xy[2 * i - 2] + step(random) * (a.max_x - a.min_x), a.min_x, a.max_x);
            xy[2 * i + 1] = std::clamp(xy[2 * i - 1] + step(random) * (a.max_y - a.min_y), a.min_y, a.max_y);
        }
        std::vector<double> exact = xy;
        ASSERT_EQ(system->to_lonlat(&exact[0], &exact[1], count, 2), 0u) << a.system;

        lonlat_batch batch(*system, a.min_x, a.min_y, a.max_x, a.max_y, count);
        // In runs of every length, as shapes come.
        for (std::size_t i = 0, run = 1; i < count; i += run, run = run % 97 + 1)
            batch.add(&xy[2 * i], &xy[2 * i + 1], std::min(run, count - i), 2);
        EXPECT_EQ(batch.finish(), 0u) << a.system;
        double worst = 0;
        for (std::size_t i = 0; i < 2 * count; ++i) worst = std::max(worst, std::fabs(xy[i] - exact[i]));
        EXPECT_LE(worst, lonlat_batch::kTolerance) << a.system;
        if (a.mostly_interpolated) {
            EXPECT_GT(batch.fitted_cell_count(), 0u) << a.system;
            EXPECT_EQ(batch.exact_cell_count(), 0u) << a.system;
            EXPECT_LE(batch.exact_transformations(), count / 8) << a.system;
        }
    }
}

TEST(LonlatBatch, CountsPointsThatCannotBeTransformed) {
    const auto utm = system_of("EPSG:32617");
    ASSERT_TRUE(utm);
    for (std::size_t count : {std::size_t{5}, lonlat_batch::kExactBelow * 2}) {
        std::vector<double> xy(2 * count);
        for (std::size_t i = 0; i < count; ++i) xy[2 * i] = 300000 + double(i), xy[2 * i + 1] = 4000000;
        xy[2] = NAN;       // the second point is not a number
        xy[5] = HUGE_VAL;  // the third lies nowhere
        lonlat_batch batch(*utm, 300000, 4000000, 300000 + double(count), 4000000, count);
        batch.add(&xy[0], &xy[1], count, 2);
        EXPECT_EQ(batch.finish(), 2u) << count;
        EXPECT_NEAR(xy[0], -83.2, 0.1);
        EXPECT_TRUE(std::isfinite(xy[2 * count - 1]));
    }
}

TEST(CoordinateSystem, AnswersAsTheProjModuleAndRefusesWhatIsNotTheModule) {
    test_support::temp_dir dir;
    const std::string garbage = dir.file("garbage.so");
    test_support::write_bytes(garbage, {'n', 'o', 't', ' ', 'E', 'L', 'F', '\n'});
    for (const std::string& path : {dir.file("missing.so"), garbage, std::string(PLOTWRIGHT_PLATFORM_LIBRARY)}) {
        std::string cause;
        EXPECT_EQ(georef::load_proj_module(path, &cause), nullptr) << path;
        EXPECT_NE(cause.find(path), std::string::npos) << path << ": " << cause;
    }

    // Plain WGS 84 is answered without the module; every answer is the module's own.
    std::string cause;
    const georef::proj_entry_points* points = georef::load_proj_module(PLOTWRIGHT_PROJ_MODULE, &cause);
    ASSERT_NE(points, nullptr) << cause;
    const std::string esri_wgs84_long_unit =
        std::string(kEsriWgs84).replace(std::string(kEsriWgs84).find("0.0174532925199433"), 18, "0.017453292519943295");
    for (const std::string& text : {std::string(kEsriUtm17), std::string(kEsriWgs84), std::string(kEsriWgs84) + "\r\n",
                                   esri_wgs84_long_unit, std::string("EPSG:4326"), std::string("EPSG:4326 ")}) {
        georef::proj_description description;
        georef::proj_system* read = points->create(text, description, &cause);
        ASSERT_NE(read, nullptr) << text << ": " << cause;
        const auto system = system_of(text);
        ASSERT_TRUE(system);
        EXPECT_EQ(description.name, system->name()) << text;
        EXPECT_EQ(description.identifier, system->identifier()) << text;
        EXPECT_EQ(description.geographic, system->is_geographic()) << text;
        EXPECT_EQ(description.wgs84_degrees, system->is_wgs84_degrees()) << text;
        double x[2] = {295000.0, 295000.0}, y[2] = {4120000.0, 4120000.0};
        if (system->is_geographic()) x[0] = x[1] = -81.25, y[0] = y[1] = 36.5;
        EXPECT_EQ(points->to_lonlat(read, &x[0], &y[0], 1, 1), 0u) << text;
        EXPECT_EQ(system->to_lonlat(&x[1], &y[1], 1, 1), 0u) << text;
        EXPECT_EQ(x[0], x[1]) << text;
        EXPECT_EQ(y[0], y[1]) << text;
        points->destroy(read);
    }
}
