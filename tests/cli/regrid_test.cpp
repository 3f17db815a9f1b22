#include <gtest/gtest.h>
#include <shapefil.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>
#include <limits>
#include <map>
#include <sstream>

#include "tests/cli/cli_support.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/vector/lines/counties.h"
#include "tools/shapefile_writer.h"

using cli_test::run_cli;
using cli_test::run_json;

namespace {

// A shapefile of the given type with one record per list of parts.
void write_shapes(const std::string& base, int type, const std::vector<std::vector<std::vector<model::CSFPt>>>& records) {
    std::vector<std::vector<tools::vertices>> shapes;
    for (const auto& parts : records) {
        std::vector<tools::vertices>& shape = shapes.emplace_back();
        for (const auto& part : parts) {
            tools::vertices& to = shape.emplace_back();
            for (const model::CSFPt& p : part) to.emplace_back(p.X, p.Y);
        }
    }
    ASSERT_TRUE(tools::write_shapefile(base, type, shapes));
}

std::vector<model::CSFPt> points_of(const QJsonValue& value) {
    std::vector<model::CSFPt> points;
    for (const QJsonValue& p : value.toArray()) points.push_back({p.toArray()[0].toDouble(), p.toArray()[1].toDouble()});
    return points;
}

}  // namespace

TEST(RegridCommand, LineFileIsCutIntoPiecesPerCell) {
    test_support::temp_dir dir;
    // A diagonal through the middle corner of a 2 x 2 grid of cells 1 wide, and a short line.
    write_shapes(dir.file("roads"), SHPT_ARC, {{{{0, 0}, {1.9999, 1.9999}}}, {{{1.2, 0.2}, {1.4, 0.3}}}});
    const QJsonObject report = run_json({"regrid", dir.file("roads.shp"), "--grid", "2x2", "--pieces"});
    EXPECT_EQ(report["layer"].toString(), "roads");
    EXPECT_EQ(report["kind"].toString(), "line");
    EXPECT_EQ(report["shapes"].toInt(), 2);
    EXPECT_EQ(report["result"].toInt(), 0);
    EXPECT_EQ(report["piece_parts"].toInt(), 3);
    EXPECT_EQ(report["piece_points"].toInt(), 6);
    EXPECT_EQ(report["grid_shapes"].toInt(), 3);
    EXPECT_FALSE(report.contains("polygon_pieces"));
    const QJsonArray cells = report["cells"].toArray();
    ASSERT_EQ(cells.size(), 4);
    std::vector<int> per_cell;
    for (const QJsonValue& c : cells) per_cell.push_back(c["lines"].toInt());
    EXPECT_EQ(per_cell, (std::vector<int>{1, 1, 0, 1}));
    EXPECT_EQ(cells[3]["box"].toArray()[0].toDouble(), 1.0);

    const QJsonArray pieces = report["pieces"].toArray();
    ASSERT_EQ(pieces.size(), 3);
    EXPECT_EQ(pieces[0]["cell"].toInt(), 0);
    EXPECT_EQ(pieces[0]["record"].toInt(), 1);
    EXPECT_EQ(pieces[0]["kind"].toString(), "line");
    EXPECT_EQ(points_of(pieces[0]["points"]), (std::vector<model::CSFPt>{{0, 0}, {1, 1}}));
    EXPECT_EQ(pieces[1]["record"].toInt(), 2);
    EXPECT_EQ(points_of(pieces[2]["points"]), (std::vector<model::CSFPt>{{1, 1}, {1.9999, 1.9999}}));

    const auto text = run_cli({"regrid", dir.file("roads.shp"), "--grid", "2x2"});
    EXPECT_EQ(text.exit_code, 0);
    EXPECT_NE(text.out.find("piece_parts: 3"), std::string::npos) << text.out;
}

// What GDAL (with GEOS and SpatiaLite) makes of the same file: the area of each record inside
// each cell, from one ogrinfo run. Keys are (cell, record), records counted from 1.
std::map<std::pair<int, int>, double> areas_by_gdal(const std::string& shp, const std::string& layer, const QJsonArray& cells) {
    std::string values;
    char row[200];
    for (const QJsonValue& c : cells) {
        const QJsonArray b = c["box"].toArray();
        std::snprintf(row, sizeof row, "%s(%d, %.17g, %.17g, %.17g, %.17g)", values.empty() ? "" : ", ", c["cell"].toInt(),
                      b[0].toDouble(), b[1].toDouble(), b[2].toDouble(), b[3].toDouble());
        values += row;
    }
    const std::string sql = "WITH cells(cell, x0, y0, x1, y1) AS (VALUES " + values +
                            ") SELECT cell, s.ROWID + 1 AS record, ST_Area(ST_Intersection(s.geometry, BuildMbr(x0, y0, x1, y1))) "
                            "AS area FROM " + layer + " s, cells WHERE ST_Intersects(s.geometry, BuildMbr(x0, y0, x1, y1))";
    const std::string ogrinfo = test_support::find_program("ogrinfo");
    EXPECT_FALSE(ogrinfo.empty()) << "ogrinfo (gdal-bin) is needed";
    const auto r = test_support::run_process(ogrinfo, {"-ro", "-q", "-dialect", "SQLite", "-sql", sql, shp});
    std::map<std::pair<int, int>, double> areas;
    std::istringstream lines(r.out);
    int cell = -1, record = -1;
    for (std::string line; std::getline(lines, line);) {
        if (auto at = line.find("cell (Integer) = "); at != std::string::npos) cell = std::stoi(line.substr(at + 17));
        if (auto at = line.find("record (Integer) = "); at != std::string::npos) record = std::stoi(line.substr(at + 19));
        if (auto at = line.find("area (Real) = "); at != std::string::npos && line.find("(null)") == std::string::npos)
            areas[{cell, record}] = std::stod(line.substr(at + 14));
    }
    return areas;
}

// The counties map, lakes and islands and all: in every cell the pieces of a county cover the
// area GDAL computes for the county inside that cell (lakes taken off, islands added), every
// piece lies in its cell, and the counts add up.
TEST(RegridCommand, CountyPiecesCoverWhatGdalFindsInEachCell) {
    test_support::temp_dir dir;
    const counties::map_data map = counties::make_counties(4711);
    counties::write_shapefile(dir.file("counties"), map, false);
    const QJsonObject report = run_json({"regrid", dir.file("counties.shp"), "--pieces"});
    EXPECT_EQ(report["kind"].toString(), "polygon");
    EXPECT_EQ(report["columns"].toInt(), 10);
    EXPECT_EQ(report["rows"].toInt(), 10);
    const QJsonArray cells = report["cells"].toArray();
    ASSERT_EQ(cells.size(), 100);

    std::map<std::pair<int, int>, long double> areas;
    int polygon_pieces = 0, line_pieces = 0, polygon_points = 0;
    for (const QJsonValue& piece : report["pieces"].toArray()) {
        const auto points = points_of(piece["points"]);
        const QJsonArray box = cells[piece["cell"].toInt()]["box"].toArray();
        for (const model::CSFPt& p : points) {
            ASSERT_GE(p.X, box[0].toDouble() - 1e-12);
            ASSERT_GE(p.Y, box[1].toDouble() - 1e-12);
            ASSERT_LE(p.X, box[2].toDouble() + 1e-12);
            ASSERT_LE(p.Y, box[3].toDouble() + 1e-12);
        }
        if (piece["kind"].toString() == "polygon") {
            // Outer boundaries turn counter-clockwise, the holes joined to them the other way.
            areas[{piece["cell"].toInt(), piece["record"].toInt()}] += counties::signed_area(points);
            ++polygon_pieces;
            polygon_points += static_cast<int>(points.size());
        } else {
            ++line_pieces;
        }
    }
    EXPECT_EQ(report["polygon_pieces"].toInt(), polygon_pieces);
    EXPECT_EQ(report["polygon_parts"].toInt(), polygon_pieces);
    EXPECT_EQ(report["polygon_points"].toInt(), polygon_points);
    EXPECT_EQ(report["piece_parts"].toInt(), line_pieces);
    int in_cells = 0;
    for (const QJsonValue& c : cells) in_cells += c["polygons"].toInt();
    EXPECT_EQ(in_cells, polygon_pieces);

    const auto gdal = areas_by_gdal(dir.file("counties.shp"), "counties", cells);
    ASSERT_GT(gdal.size(), map.counties.size());
    const double cell_area = 1.0 * 0.5;  // 10 x 5 degrees in 10 x 10 cells
    for (const auto& [key, area] : gdal) {
        if (area < 1e-12 * cell_area) continue;  // a county touching a cell along its side
        EXPECT_NEAR(static_cast<double>(areas[key]), area, 1e-9 * cell_area) << "cell " << key.first << " record " << key.second;
    }
    for (const auto& [key, area] : areas)
        EXPECT_TRUE(gdal.count(key)) << "cell " << key.first << " record " << key.second << " area " << static_cast<double>(area);

    const QJsonObject small = run_json({"regrid", dir.file("counties.shp"), "--grid", "3x4", "--json"});
    EXPECT_EQ(small["columns"].toInt(), 3);
    EXPECT_EQ(small["cells"].toArray().size(), 12);
    EXPECT_FALSE(small.contains("pieces"));
}

TEST(RegridCommand, BadArgumentsAndUnsuitableFilesAreRefused) {
    test_support::temp_dir dir;
    write_shapes(dir.file("roads"), SHPT_ARC, {{{{0, 0}, {1, 1}}}});
    write_shapes(dir.file("wells"), SHPT_POINT, {{{{0, 0}}}});
    test_support::write_bytes(dir.file("junk.shp"), std::vector<std::uint8_t>(120, 7));
    for (const char* grid : {"0x3", "10", "ax2", "2000x2", "3x", "-1x2"})
        EXPECT_EQ(run_cli({"regrid", dir.file("roads.shp"), "--grid", grid}).exit_code, 1) << grid;
    EXPECT_EQ(run_cli({"regrid"}).exit_code, 1);
    EXPECT_EQ(run_cli({"regrid", dir.file("missing.shp")}).exit_code, 2);
    EXPECT_EQ(run_cli({"regrid", dir.file("junk.shp")}).exit_code, 2);
    const auto points = run_cli({"regrid", dir.file("wells.shp")});
    EXPECT_EQ(points.exit_code, 2);
    EXPECT_NE(points.err.find("line and polygon layers only"), std::string::npos) << points.err;
}

TEST(RegridCommand, LineStartingOutsideTheGridReportsTheMessageAndFails) {
    test_support::temp_dir dir;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    write_shapes(dir.file("roads"), SHPT_ARC, {{{{0, 0}, {1, 1}}}, {{{nan, 0.5}, {0.5, 0.5}}}});
    const auto result = run_cli({"regrid", dir.file("roads.shp"), "--json"});
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_NE(result.err.find("The point is out of map bounds. Layer index is - 0"), std::string::npos) << result.err;
    const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(result.out)).object();
    EXPECT_EQ(report["result"].toInt(), 1);
}

// Memory running out anywhere ends in exit code 2 and a message, never in a crash: a square cut
// into a million cells with its pieces listed, under ever tighter limits of the address space.
// (An address space limit cannot be combined with AddressSanitizer, which reserves terabytes.)
TEST(RegridCommand, RunningOutOfMemoryEndsInExit2AndAMessage) {
#if PLOTWRIGHT_SANITIZED
    GTEST_SKIP() << "address space limits need a build without AddressSanitizer";
#endif
    test_support::temp_dir dir;
    write_shapes(dir.file("square"), SHPT_POLYGON, {{{{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}}}});
    int ran_out = 0;
    for (int megabytes : {120, 250, 400}) {
        const std::string line = "ulimit -v " + std::to_string(megabytes * 1024) + "; exec '" PLOTWRIGHT_CLI
                                 "' regrid '" + dir.file("square.shp") + "' --grid 1000x1000 --pieces";
        const auto r = test_support::run_process("/bin/sh", {"-c", line});
        if (r.exit_code == 0) {
            EXPECT_EQ(r.out.substr(r.out.size() - 3), "]}\n") << megabytes;
            continue;
        }
        EXPECT_EQ(r.exit_code, 2) << megabytes << " MB: " << r.err;
        EXPECT_NE(r.err.find("out of memory"), std::string::npos) << megabytes << " MB: " << r.err;
        ++ran_out;
    }
    EXPECT_GT(ran_out, 0);
}
