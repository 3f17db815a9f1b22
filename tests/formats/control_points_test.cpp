#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>

#include "formats/control_points.h"
#include "tests/support/files.h"
#include "tests/support/process.h"

using formats::control_point;
using formats::control_point_error;
using formats::control_point_list;

namespace {

std::string read_text(const std::string& path) {
    const auto bytes = test_support::read_bytes(path);
    return {bytes.begin(), bytes.end()};
}

}  // namespace

// Written and read back, the pairs are the same, and the CRS line is one GDAL knows as WGS 84.
TEST(ControlPoints, WrittenPairsReadBackTheSame) {
    std::mt19937 random(1313);
    std::uniform_real_distribution<double> any(-1000.0, 1000.0);
    std::vector<control_point> points;
    for (int i = 0; i < 200; ++i) {
        const bool whole = i % 2 == 0;  // clicks land on whole pixels
        points.push_back({whole ? std::round(any(random)) + 1000 : any(random) + 1000,
                          whole ? std::round(any(random)) + 1000 : any(random) + 1000, any(random) / 5.6,
                          any(random) / 11.2, i % 7 != 0});
    }
    test_support::temp_dir dir;
    const std::string path = dir.file("footholds.points");
    std::string error;
    ASSERT_TRUE(formats::write_control_points(path, points, error)) << error;
    control_point_list back;
    control_point_error read_error;
    ASSERT_TRUE(formats::read_control_points(path, back, read_error)) << read_error.line << " " << read_error.reason;
    ASSERT_EQ(back.points.size(), points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_NEAR(back.points[i].column, points[i].column, 1e-9) << i;
        EXPECT_NEAR(back.points[i].row, points[i].row, 1e-9) << i;
        EXPECT_EQ(back.points[i].longitude, points[i].longitude) << i;
        EXPECT_EQ(back.points[i].latitude, points[i].latitude) << i;
        EXPECT_EQ(back.points[i].enabled, points[i].enabled) << i;
        if (i % 2 == 0) {
            EXPECT_EQ(back.points[i].column, points[i].column) << i;
        }
    }

    const std::string gdalsrsinfo = test_support::find_program("gdalsrsinfo");
    if (gdalsrsinfo.empty()) return;
    const auto srs = test_support::run_process(gdalsrsinfo, {"-o", "epsg", back.crs});
    EXPECT_NE(srs.out.find("EPSG:4326"), std::string::npos) << srs.out << srs.err;
}

// QGIS's forms: without a CRS line and with the residual columns (older), with the CRS line
// and source columns (newer), line ends of either kind. Their pixels count from the picture's
// upper-left corner, y upward: pixel (100.5, -200.5) is the centre of column 100, row 200.
TEST(ControlPoints, BothQgisFormsRead) {
    const std::string forms[] = {
        "mapX,mapY,pixelX,pixelY,enable,dX,dY,residual\n37.61,55.75,100.5,-200.5,1,0.1,0.2,0.22\n"
        "37.7,55.8,0.5,-0.5,0,0,0,0\n",
        "#CRS: GEOGCRS[\"WGS 84\",ID[\"EPSG\",4326]]\r\nmapX,mapY,sourceX,sourceY,enable,dX,dY,residual\r\n"
        "37.61,55.75,100.5,-200.5,1,0,0,0\r\n37.7,55.8,0.5,-0.5,0,0,0,0\r\n\r\n",
        "mapX, mapY, pixelX, pixelY, enable\n 37.61 , 55.75 ,100.5,-200.5,1\n37.7,55.8,0.5,-0.5,0",
    };
    for (const std::string& text : forms) {
        control_point_list list;
        control_point_error error;
        ASSERT_TRUE(formats::parse_control_points(text, list, error)) << error.line << " " << error.reason;
        ASSERT_EQ(list.points.size(), 2u) << text;
        const control_point& a = list.points[0];
        EXPECT_EQ((std::vector<double>{a.column, a.row, a.longitude, a.latitude}), (std::vector<double>{100, 200, 37.61, 55.75}));
        EXPECT_TRUE(a.enabled);
        EXPECT_EQ(list.points[1].column, 0);
        EXPECT_EQ(list.points[1].row, 0);
        EXPECT_FALSE(list.points[1].enabled);
    }
}

TEST(ControlPoints, MalformedFilesAreRefusedWithTheirLine) {
    const std::string header = "mapX,mapY,pixelX,pixelY,enable\n";
    const std::string good = "1,2,3,-4,1\n";
    const std::pair<std::string, int> cases[] = {
        {header + good + "1,2,3,-4\n", 3},             // a column missing
        {header + good + good + "1,2,3,-4,1,5\n", 4},  // one too many
        {header + "1,2,three,-4,1\n", 2},              // text in a number column
        {header + "1,nan,3,-4,1\n", 2},
        {header + "1,2,inf,-4,1\n", 2},
        {header + "1,2,3,,1\n", 2},
        {header + "1,2,3,-4,yes\n", 2},
        {"mapX,mapY,pixelX,enable\n" + good, 1},  // no pixelY
        {good + header, 1},                        // no header first
        {"#CRS: PROJCRS[\"WGS 84 / UTM zone 37N\"]\n" + header + good, 1},
        {"#CRS: x\n#CRS: y\n" + header, 2},
        {"", 1},
        {std::string("\x89PNG\r\n\x1a\n\0\0", 10), 1},
    };
    for (const auto& [text, line] : cases) {
        control_point_list list;
        list.points.resize(3);
        control_point_error error;
        EXPECT_FALSE(formats::parse_control_points(text, list, error)) << text;
        EXPECT_EQ(error.line, line) << text;
        EXPECT_FALSE(error.reason.empty()) << text;
        EXPECT_TRUE(list.points.empty()) << text;
    }
}

TEST(ControlPoints, WritingIsWholeOrNotAtAll) {
    test_support::temp_dir dir;
    const std::string path = dir.file("old.points");
    test_support::write_bytes(path, {'o', 'l', 'd'});
    std::string error;
    EXPECT_FALSE(formats::write_control_points(path, {{1, 2, 3, 4, true}, {1, 2, NAN, 4, true}}, error));
    EXPECT_NE(error.find("point 2"), std::string::npos) << error;
    EXPECT_EQ(read_text(path), "old");
    EXPECT_FALSE(formats::write_control_points(dir.file("no/such/folder.points"), {}, error));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
    control_point_list list;
    control_point_error read_error;
    EXPECT_FALSE(formats::read_control_points(dir.file("missing.points"), list, read_error));
    EXPECT_EQ(read_error.line, 0);
}
