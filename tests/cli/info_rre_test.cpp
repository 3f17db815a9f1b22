#include <gtest/gtest.h>

#include <QJsonArray>

#include "nimbra/layer/write_layer.h"
#include "tests/cli/cli_support.h"
#include "tests/support/files.h"

using cli_test::run_cli;
using cli_test::run_json;
using tarvel_tech::nimbra::write_layer;

namespace {

// A 2 x 1 layer whose values are all different, so a field read from the wrong place shows.
std::string write_sample(const test_support::temp_dir& dir) {
    write_layer w;
    auto& h = w.get_header();
    h.set_min_latitude(-12.5);
    h.set_max_latitude(60.25);
    h.set_min_longitude(-179.75);
    h.set_max_longitude(179.5);
    h.set_frame_grid(2, 1, 64, 48);
    auto t = w.get_transform();
    for (int i = 0; i < 12; ++i) t[i] = 0.1 * (i + 1) + (i == 4 ? 1e-17 : 0.0);
    w.put_frame("abcdefg", 7);
    w.put_frame("hij", 3);
    const std::string path = dir.file("sample.rre");
    EXPECT_TRUE(w.save(path));
    return path;
}

}  // namespace

TEST(CliInfoRre, ReportsEveryHeaderFieldExactly) {
    test_support::temp_dir dir;
    const std::string path = write_sample(dir);
    const QJsonObject o = run_json({"info", path, "--json", "--frames"});
    EXPECT_EQ(o["layer_type"].toInt(), 2001);
    EXPECT_EQ(o["min_latitude"].toDouble(), -12.5);
    EXPECT_EQ(o["max_latitude"].toDouble(), 60.25);
    EXPECT_EQ(o["min_longitude"].toDouble(), -179.75);
    EXPECT_EQ(o["max_longitude"].toDouble(), 179.5);
    EXPECT_EQ(o["width_layer_image"].toInt(), 128);
    EXPECT_EQ(o["height_layer_image"].toInt(), 48);
    EXPECT_EQ(o["count_longitude_frames"].toInt(), 1);
    EXPECT_EQ(o["count_latitude_frames"].toInt(), 2);
    EXPECT_EQ(o["size_longitude_frame"].toInt(), 48);
    EXPECT_EQ(o["size_latitude_frame"].toInt(), 64);
    const QJsonArray t = o["transform"].toArray();
    ASSERT_EQ(t.size(), 12);
    // Doubles are printed so that they read back bit for bit.
    for (int i = 0; i < 12; ++i) EXPECT_EQ(t[i].toDouble(), 0.1 * (i + 1) + (i == 4 ? 1e-17 : 0.0)) << i;
    EXPECT_EQ(o["frames"].toInt(), 2);
    EXPECT_TRUE(o["valid"].toBool());
    const QJsonArray index = o["frame_index"].toArray();
    ASSERT_EQ(index.size(), 2);
    EXPECT_EQ(index[0].toArray()[0].toInt(), 276 + 16);
    EXPECT_EQ(index[0].toArray()[1].toInt(), 7);
    EXPECT_EQ(index[1].toArray()[0].toInt(), 276 + 16 + 7);
    EXPECT_EQ(index[1].toArray()[1].toInt(), 3);
}

TEST(CliInfoRre, TextOutputAndNoIndexWithoutFrames) {
    test_support::temp_dir dir;
    const std::string path = write_sample(dir);
    const auto text = run_cli({"info", path});
    EXPECT_EQ(text.exit_code, 0);
    EXPECT_NE(text.out.find("layer_type: 2001\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("valid: true\n"), std::string::npos);
    EXPECT_EQ(text.out.find("frame_index"), std::string::npos);
    EXPECT_FALSE(run_json({"info", path, "--json"}).contains("frame_index"));
}

TEST(CliInfoRre, BodiesPastTheEndAreListedBesideTheValidity) {
    test_support::temp_dir dir;
    const std::string path = write_sample(dir);
    EXPECT_TRUE(run_json({"info", path, "--json"})["frames_outside_file"].toArray().isEmpty());

    // Cut one byte into the second body: the header still says valid.
    auto bytes = test_support::read_bytes(path);
    bytes.resize(276 + 16 + 7 + 1);
    test_support::write_bytes(dir.file("cut.rre"), bytes);
    const QJsonObject o = run_json({"info", dir.file("cut.rre"), "--json"});
    EXPECT_TRUE(o["valid"].toBool());
    EXPECT_EQ(o["frames_outside_file"].toArray(), QJsonArray{1});
    const auto text = run_cli({"info", dir.file("cut.rre")});
    EXPECT_NE(text.out.find("frames_outside_file: [1]\n"), std::string::npos) << text.out;
}

TEST(CliInfoRre, UnreadableFilesExitWithCode2AndOneLine) {
    test_support::temp_dir dir;
    auto missing = run_cli({"info", dir.file("missing.rre")});
    EXPECT_EQ(missing.exit_code, 2);
    EXPECT_TRUE(missing.out.empty());
    ASSERT_FALSE(missing.err.empty());
    EXPECT_EQ(missing.err.find('\n'), missing.err.size() - 1) << missing.err;

    test_support::write_bytes(dir.file("short.rre"), std::vector<std::uint8_t>(100, 1));
    auto truncated = run_cli({"info", dir.file("short.rre"), "--json"});
    EXPECT_EQ(truncated.exit_code, 2);
    EXPECT_NE(truncated.err.find("end of file"), std::string::npos) << truncated.err;
}

TEST(CliInfoRre, UsageErrorsExitWithCode1) {
    EXPECT_EQ(run_cli({}).exit_code, 1);
    EXPECT_EQ(run_cli({"frobnicate"}).exit_code, 1);
    EXPECT_EQ(run_cli({"info"}).exit_code, 1);
    EXPECT_EQ(run_cli({"info", "a.rre", "--bogus"}).exit_code, 1);
    EXPECT_EQ(run_cli({"info", "a.xyz"}).exit_code, 1);
    auto help = run_cli({"info", "--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_NE(help.out.find("usage"), std::string::npos);
}
