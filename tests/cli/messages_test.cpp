// What a user meets when something is wrong: the exit code, and a message that says what the
// system could not do and why.
#include <gtest/gtest.h>
#include <shapefil.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <limits>
#include <sstream>

#include "tests/cli/cli_support.h"
#include "tests/raster/pictures.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tools/shapefile_writer.h"

using cli_test::run_cli;

TEST(CliMessages, FailuresSayWhatAndWhy) {
    test_support::temp_dir dir;
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    ASSERT_TRUE(tools::write_shapefile(dir.file("roads.shp"), SHPT_ARC, {{{{0, 0}, {1, 1}}}}));
    // A county and a record whose points are none of them numbers.
    ASSERT_TRUE(tools::write_shapefile(dir.file("broken.shp"), SHPT_POLYGON,
                                       {{{{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}}}, {{{nan, nan}, {inf, nan}, {nan, -inf}, {nan, nan}}}}));
    {
        SHPHandle z = SHPCreate(dir.file("heights.shp").c_str(), SHPT_ARCZ);
        const double x[] = {0, 1}, y[] = {0, 1}, h[] = {5, 6};
        SHPObject* line = SHPCreateSimpleObject(SHPT_ARCZ, 2, x, y, h);
        SHPWriteObject(z, -1, line);
        SHPDestroyObject(line);
        SHPClose(z);
    }
    std::filesystem::create_directory(dir.file("folder.shp"));
    const std::string roads = dir.file("roads.shp"), missing = dir.file("missing.shp");
    const std::string kxr = dir.file("roads.kxr");
    ASSERT_EQ(run_cli({"compose", roads, "-o", kxr}).exit_code, 0);
    tarvel_tech::nimbra::jpg_image scan = raster_test::ramp_picture(64, 48);
    const std::string picture = raster_test::save_jpeg(scan, dir.file("scan.jpg"));
    const std::vector<std::string> footholds{"--gcp", "0,0,10,50", "--gcp", "63,0,11,50", "--gcp", "0,47,10,49"};
    auto with_footholds = [&](std::vector<std::string> args) {
        args.insert(args.end(), footholds.begin(), footholds.end());
        return args;
    };

    struct expectation {
        std::vector<std::string> args;
        int exit_code;
        std::string message;
    };
    const std::vector<expectation> table{
        {{"info", missing}, 2, "cannot open " + missing + ": No such file or directory"},
        {{"info", dir.file("folder.shp")}, 2, "cannot describe " + dir.file("folder.shp") + ": Is a directory"},
        {{"info", dir.file("heights.shp")}, 2, "Unsupported type (shape type 13, PolyLineZ; Point, PolyLine and Polygon are read)"},
        {{"info", roads, "--records"}, 1, "option --records does not apply to .shp files"},
        {{"info", roads, "--frames"}, 1, "option --frames does not apply to .shp files"},
        {{"info", dir.file("notes.txt")}, 1, "info reads .shp, .dbf, .rre, .bmp, .jpg, .points, .kxr and .ktf files, not .txt files"},
        {{"info", roads, "--colour"}, 1, "this command takes no option --colour"},
        {{"render", roads, "-o", dir.file("x.png"), "--icons", "/nonexistent"}, 2,
         "cannot read the icon folder /nonexistent: No such file or directory"},
        {{"render", roads, "-o", dir.file("no/such/folder/x.png")}, 2,
         "cannot write " + dir.file("no/such/folder/x.png") + ": No such file or directory"},
        {{"render", roads, "-o", dir.file("x.gif")}, 1, "the output's extension says its kind (.png, .jpg, .bmp)"},
        {{"render", dir.file("broken.shp"), "-o", dir.file("broken.png")}, 2,
         "cannot draw layer 'broken': 1 of its 2 records (the first is record 2) have no point whose coordinates are numbers"},
        {{"regrid", roads, "--code-page", "NOPE"}, 1, "--code-page NOPE: no such code page"},
        {{"snap", "--gcp", "0,0,1,1", "--code-page", "CP1251"}, 1, "this command takes no option --code-page"},
        {{"decode-rre", dir.file("missing.rre"), "-o", dir.file("x.bmp")}, 2,
         "cannot open " + dir.file("missing.rre") + ": No such file or directory"},
        {{"convert-image", dir.file("missing.bmp"), "-o", dir.file("x.jpg")}, 2,
         "cannot open " + dir.file("missing.bmp") + ": No such file or directory"},
        // Maps, control points and the raster commands.
        {{"info", dir.file("missing.kxr")}, 2, "Can't load the map. (" + dir.file("missing.kxr") + ": No such file or directory)"},
        {{"info", dir.file("missing.points")}, 2, "cannot open " + dir.file("missing.points") + ": No such file or directory"},
        {{"info", kxr, "--frames"}, 1, "option --frames does not apply to .kxr files"},
        {{"render", kxr, "-o", dir.file("x.png"), "--label", "NAME"}, 1, "option --label does not apply to map documents"},
        {{"render", kxr, "-o", dir.file("no/such/folder/x.png")}, 2,
         "cannot write " + dir.file("no/such/folder/x.png") + ": No such file or directory"},
        {{"compose", roads, "-o", "/dev/full"}, 2, "cannot save /dev/full: No space left on device"},
        {{"compose", roads, "-o", kxr, "--icons", "/nonexistent"}, 2,
         "cannot read the icon folder /nonexistent: No such file or directory"},
        {{"geojson", kxr, "-o", "/dev/full"}, 2, "cannot write /dev/full: No space left on device"},
        {{"geojson", roads, "-o", dir.file("x.geojson"), "--json"}, 1, "this command takes no option --json"},
        {{"geojson", picture, "-o", dir.file("x.geojson")}, 1, "geojson writes the layers of shapefiles"},
        {with_footholds({"snap", "--world-file", "/dev/full"}), 2, "cannot write /dev/full: No space left on device"},
        {with_footholds({"snap", "--points-out", dir.file("no/x.points")}), 2,
         "cannot write " + dir.file("no/x.points") + ": No such file or directory"},
        {with_footholds({"export-rre", picture, "-o", "/dev/full"}), 2, "cannot write /dev/full: No space left on device"},
        {with_footholds({"export-rre", picture, "-o", dir.file("x.rre"), "--code-page", "CP1251"}), 1,
         "this command takes no option --code-page"},
        {{"decode-rre", dir.file("missing.rre"), "-o", dir.file("x.bmp"), "--world-file", dir.file("x.bpw")}, 2,
         "cannot open " + dir.file("missing.rre")},
    };
    for (const expectation& e : table) {
        const auto r = run_cli(e.args);
        std::string line;
        for (const auto& a : e.args) line += a + " ";
        EXPECT_EQ(r.exit_code, e.exit_code) << line << "\n" << r.err;
        EXPECT_NE(r.err.find(e.message), std::string::npos) << line << "\n" << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("broken.png")));

    // A report that cannot reach its reader is no success either.
    const auto lost = test_support::run_process("/bin/sh", {"-c", "exec '" PLOTWRIGHT_CLI "' info '" + roads + "' > /dev/full"});
    EXPECT_EQ(lost.exit_code, 2);
    EXPECT_NE(lost.err.find("cannot write the report to standard output: No space left on device"), std::string::npos) << lost.err;

    // The sample tool says so too.
    for (const char* what : {"icons", "shapefiles"}) {
        const auto sample = test_support::run_process(PLOTWRIGHT_SAMPLE, {what, dir.file("no/folder")});
        EXPECT_EQ(sample.exit_code, 2) << what;
        EXPECT_NE(sample.err.find("plotwright-sample: cannot write " + dir.file("no/folder/")), std::string::npos) << sample.err;
        EXPECT_NE(sample.err.find("No such file or directory"), std::string::npos) << sample.err;
    }

    // The outlines of the broken record cannot be cut (its box, and so the grid, is no number
    // either): the polygon pass still runs, and the failure is reported beside its result.
    const auto cut = run_cli({"regrid", dir.file("broken.shp"), "--json"});
    EXPECT_EQ(cut.exit_code, 2);
    EXPECT_NE(cut.err.find("The point is out of map bounds. Layer index is - 0"), std::string::npos) << cut.err;
    const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(cut.out)).object();
    EXPECT_EQ(report["result"].toInt(), 0);
    EXPECT_EQ(report["outline_result"].toInt(), 1);
    EXPECT_EQ(report["polygon_pieces"].toInt(), 0);
}

// --version, and a help for every command that names each option with what it takes and, for
// those taking a value, its default or that it is required.
TEST(CliMessages, VersionAndHelpWithDefaults) {
    const auto version = run_cli({"--version"});
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_EQ(version.out.rfind("plotwright-cli ", 0), 0u) << version.out;

    for (const char* command :
         {"info", "render", "snap", "decode-rre", "convert-image", "regrid", "compose", "geojson", "export-rre"}) {
        const auto help = run_cli({command, "--help"});
        EXPECT_EQ(help.exit_code, 0) << command;
        std::istringstream lines(help.out);
        int options = 0;
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("  -", 0) != 0) continue;
            ++options;
            std::istringstream words(line);
            std::string name, value;
            words >> name >> value;
            const bool takes_value = value.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ|") != std::string::npos;
            if (takes_value && name != "--gcp") {
                EXPECT_TRUE(line.find("(default") != std::string::npos || line.find("(required)") != std::string::npos)
                    << command << ": " << line;
            }
        }
        EXPECT_GE(options, 2) << command;
    }
}
