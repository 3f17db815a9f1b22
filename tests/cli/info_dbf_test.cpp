#include <gtest/gtest.h>
#include <shapefil.h>

#include <QJsonArray>
#include <chrono>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "tests/cli/cli_support.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/settings_sandbox.h"

using cli_test::run_cli;
using cli_test::run_json;

namespace {

// What ogrinfo prints for each feature: field name -> (type, text).
using ogr_feature = std::map<std::string, std::pair<std::string, std::string>>;

std::vector<ogr_feature> run_ogrinfo(const std::string& path) {
    const std::string ogrinfo = test_support::find_program("ogrinfo");
    EXPECT_FALSE(ogrinfo.empty()) << "ogrinfo (gdal-bin) is needed";
    auto r = test_support::run_process(ogrinfo, {"-al", "-q", path});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    std::vector<ogr_feature> features;
    const std::regex field_line(R"(^  (\S+) \(([A-Za-z0-9]+)\) = (.*)$)");
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line)) {
        std::smatch m;
        if (line.rfind("OGRFeature(", 0) == 0)
            features.emplace_back();
        else if (!features.empty() && std::regex_match(line, m, field_line))
            features.back()[m[1]] = {m[2], m[3]};
    }
    return features;
}

double days_since_1899_12_30(int y, unsigned m, unsigned d) {
    using namespace std::chrono;
    return (sys_days{year{y} / month{m} / day{d}} - sys_days{year{1899} / December / day{30}}).count();
}

// Compares every value of `info --records` with what ogrinfo prints for the same table.
void expect_same_values_as_ogrinfo(const std::string& path) {
    const QJsonObject info = run_json({"info", path, "--json", "--records"});
    const std::vector<ogr_feature> features = run_ogrinfo(path);
    const QJsonArray fields = info["fields"].toArray();
    const QJsonArray records = info["records"].toArray();
    ASSERT_EQ(info["record_count"].toInt(), static_cast<int>(features.size()));
    ASSERT_EQ(records.size(), static_cast<qsizetype>(features.size()));
    int compared = 0;
    for (qsizetype r = 0; r < records.size(); ++r) {
        const QJsonArray values = records[r].toArray();
        ASSERT_EQ(values.size(), fields.size());
        for (qsizetype f = 0; f < fields.size(); ++f) {
            const std::string name = fields[f]["name"].toString().toStdString();
            const QJsonValue ours = values[f];
            const auto found = features[r].find(name);
            SCOPED_TRACE("record " + std::to_string(r + 1) + ", field " + name);
            // ogrinfo leaves out fields without a value; logical ones it shows as text.
            std::string type, text = "(null)";
            if (found != features[r].end()) std::tie(type, text) = found->second;
            const std::string kind_type = fields[f]["type"].toString().toStdString();
            if (kind_type == "L" && text == "?") text = "(null)";
            if (text == "(null)") {
                EXPECT_TRUE(ours.isNull()) << ours.toVariant().toString().toStdString();
            } else if (kind_type == "L") {
                ASSERT_TRUE(ours.isBool());
                EXPECT_EQ(ours.toBool(), std::string("TtYy").find(text[0]) != std::string::npos);
            } else if (type == "String") {
                EXPECT_EQ(ours.toString().toStdString(), text);
            } else if (type == "Integer" || type == "Integer64" || type == "Real") {
                ASSERT_TRUE(ours.isDouble());
                EXPECT_DOUBLE_EQ(ours.toDouble(), std::stod(text));
            } else if (type == "Date") {
                int y = 0;
                unsigned m = 0, d = 0;
                ASSERT_EQ(std::sscanf(text.c_str(), "%d/%u/%u", &y, &m, &d), 3) << text;
                EXPECT_EQ(ours.toDouble(), days_since_1899_12_30(y, m, d));
            } else {
                ADD_FAILURE() << "no comparison for " << type;
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 0);
}

class CliInfoDbf : public ::testing::Test {
protected:
    test_support::settings_sandbox settings;
    test_support::temp_dir dir;
};

}  // namespace

TEST_F(CliInfoDbf, ValuesOfATableWrittenByShapelibAreThoseOgrinfoReads) {
    const std::string path = dir.file("shapelib.dbf");
    DBFHandle h = DBFCreateEx(path.c_str(), "UTF-8");
    ASSERT_TRUE(h);
    DBFAddNativeFieldType(h, "NAME", 'C', 30, 0);
    DBFAddNativeFieldType(h, "COUNT", 'N', 9, 0);
    DBFAddNativeFieldType(h, "AREA", 'N', 19, 6);
    DBFAddNativeFieldType(h, "RATIO", 'F', 14, 5);
    DBFAddNativeFieldType(h, "BORN", 'D', 8, 0);
    DBFAddNativeFieldType(h, "ALIVE", 'L', 1, 0);
    const char* names[] = {"Zürich", "Привет, мир", "", "plain"};
    const double counts[] = {12, -3, 0, 123456789};
    const double areas[] = {1.5, -2250.125, 0, 1e9};
    const double ratios[] = {0.0625, -1.5, 0, 3.14159};
    const char* dates[] = {"20200115", "18991230", "", "19000101"};
    const char* flags[] = {"T", "f", "?", "Y"};
    for (int r = 0; r < 4; ++r) {
        DBFWriteStringAttribute(h, r, 0, names[r]);
        if (r == 2) {
            for (int f = 1; f < 4; ++f) DBFWriteNULLAttribute(h, r, f);
        } else {
            DBFWriteDoubleAttribute(h, r, 1, counts[r]);
            DBFWriteDoubleAttribute(h, r, 2, areas[r]);
            DBFWriteDoubleAttribute(h, r, 3, ratios[r]);
        }
        std::string date = dates[r], flag = flags[r];
        DBFWriteAttributeDirectly(h, r, 4, date.data());
        DBFWriteAttributeDirectly(h, r, 5, flag.data());
    }
    DBFClose(h);

    expect_same_values_as_ogrinfo(path);
    const QJsonObject info = run_json({"info", path, "--json"});
    EXPECT_EQ(info["code_page"].toString(), "UTF-8");
    EXPECT_FALSE(info.contains("records"));
    const QJsonArray fields = info["fields"].toArray();
    ASSERT_EQ(fields.size(), 6);
    const int kinds[] = {2, 1, 1, 1, 3, 4};
    for (int f = 0; f < 6; ++f) EXPECT_EQ(fields[f]["kind"].toInt(), kinds[f]);
    EXPECT_EQ(fields[5]["name"].toString(), "ALIVE");
}

TEST_F(CliInfoDbf, ValuesOfATableWrittenByOgr2ogrAreThoseOgrinfoReads) {
    std::ofstream(dir.file("in.csv")) << "name,count,area,day\n"
                                         "\"Привет, мир\",12,1.5,2020/01/15\n"
                                         ",,,\n"
                                         "Жужа,-3,-2.25e3,1899/12/30\n";
    std::ofstream(dir.file("in.csvt")) << "String,Integer,Real,Date\n";
    for (const char* encoding : {"UTF-8", "CP1251"}) {
        const std::string out = dir.file(std::string("ogr-") + encoding + ".dbf");
        auto r = test_support::run_process(test_support::find_program("ogr2ogr"),
                                           {"-f", "ESRI Shapefile", out, dir.file("in.csv"), "-lco",
                                            std::string("ENCODING=") + encoding});
        ASSERT_EQ(r.exit_code, 0) << r.err;
        SCOPED_TRACE(encoding);
        expect_same_values_as_ogrinfo(out);
    }
}

TEST_F(CliInfoDbf, TextReportListsFieldsAndRecords) {
    const std::string path = dir.file("small.dbf");
    DBFHandle h = DBFCreateEx(path.c_str(), "LDID/201");
    ASSERT_TRUE(h);
    DBFAddNativeFieldType(h, "NAME", 'C', 10, 0);
    DBFAddNativeFieldType(h, "N", 'N', 5, 0);
    DBFWriteStringAttribute(h, 0, 0, "\xC6\xF3\xE6\xE0");
    DBFWriteDoubleAttribute(h, 0, 1, 7);
    DBFClose(h);
    auto r = run_cli({"info", path, "--records"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.out.find("code_page: CP1251"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("record_count: 1"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("[Жужа, 7]"), std::string::npos) << r.out;
}

TEST_F(CliInfoDbf, ATableThatCannotBeReadIsReportedAsTheProgramDoes) {
    const std::string path = dir.file("broken.dbf");
    test_support::write_bytes(path, {0x03, 0, 0, 0, 5, 0, 0, 0, 0xFF, 0xFF});
    auto r = run_cli({"info", path});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_NE(r.err.find("Couldn't connect to " + path), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
}

TEST_F(CliInfoDbf, ARecordCountTheFileDoesNotBearOutIsShown) {
    const std::string path = dir.file("cut.dbf");
    DBFHandle h = DBFCreateEx(path.c_str(), "LDID/87");
    ASSERT_TRUE(h);
    DBFAddNativeFieldType(h, "N", 'N', 5, 0);
    for (int r = 0; r < 4; ++r) DBFWriteDoubleAttribute(h, r, 0, r);
    DBFClose(h);
    std::vector<std::uint8_t> bytes = test_support::read_bytes(path);
    bytes.resize(bytes.size() - 8);  // the end-of-file mark, the last record and a byte more
    test_support::write_bytes(path, bytes);
    const QJsonObject info = run_json({"info", path, "--json", "--records"});
    EXPECT_EQ(info["record_count"].toInt(), 2);
    EXPECT_EQ(info["header_record_count"].toInt(), 4);
    EXPECT_EQ(info["records"].toArray().size(), 2);
}
