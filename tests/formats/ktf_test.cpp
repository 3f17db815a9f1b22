#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>

#include "formats/ktf_file.h"
#include "platform/settings.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/settings_sandbox.h"

using namespace formats;

namespace {

std::string crlf(const std::string& lf) {
    std::string out;
    for (char c : lf) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

const std::string example =
    "$qzLinerExport\nLayerGroup\n{\nDescription = Roads\nLayer\n{\nObject\n{\nType = Line\nPoints\n{\n"
    "XYZ = 37.61, 55.75, 0\nXYZ = 37.62, 55.76, 0\n}\n}\n}\n}\n";

// Everything a parse yields, as text, so that two parses compare whole.
std::string describe(const CKTFFile& f) {
    std::string out = std::to_string(f.status) + "/" + std::to_string(f.errorLine) + " " + f.group.description +
                      "|" + f.group.datum + "|" + f.group.createdOn + "\n";
    for (const CKTFLayer& layer : f.group.layers) {
        out += std::string(" layer ") + layer.description + "\n";
        for (const CKTFObject& o : layer.objects) {
            char line[512];
            std::snprintf(line, sizeof line, "  %d %d %s %d %d %d %d %d %d %d %s %d %d %d %d %d %d:", o.type, o.tag,
                          o.label, o.oldId, o.lineColor, o.lineWidth, o.lineStyle, o.fillColor, o.fillStyle,
                          o.fillChar, o.fontName, o.fontStyle, o.fontColor, o.fontHeight, o.fontEscapement,
                          o.fontOrientation, o.fontUnits);
            out += line;
            for (const KTF_POINT& p : o.points) out += " " + std::to_string(p.x) + "," + std::to_string(p.y) + "," + std::to_string(p.z);
            out += "\n";
        }
    }
    return out;
}

// Builds a locale whose decimal separator is a comma, for this process only.
bool comma_locale(const std::string& dir) {
    const std::string localedef = test_support::find_program("localedef");
    if (localedef.empty()) return false;
    test_support::run_process(localedef, {"-i", "de_DE", "-f", "UTF-8", dir + "/de_DE.UTF-8"});
    ::setenv("LOCPATH", dir.c_str(), 1);
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

}  // namespace

TEST(KtfFile, TheExampleIsOneLineObjectWithTwoPointsWhateverTheLineEnds) {
    test_support::temp_dir dir;
    std::string described;
    for (const std::string& text : {crlf(example), example, example.substr(0, example.size() - 1)}) {
        const std::string path = dir.file("roads.ktf");
        test_support::write_bytes(path, {text.begin(), text.end()});
        const CKTFFile file(path);
        ASSERT_EQ(file.status, 0);
        ASSERT_EQ(file.group.GetLayerCount(), 1);
        EXPECT_STREQ(file.group.description, "Roads");
        const CKTFLayer* layer = file.group.GetLayer(0);
        EXPECT_EQ(layer->Select(CKTFObject::typeLine).GetObjectCount(), 1);
        EXPECT_EQ(layer->Select(CKTFObject::typePolygon).GetObjectCount(), 0);
        const CKTFObject* line = layer->GetObject(0);
        ASSERT_EQ(line->GetPointCount(), 2);
        double x = 0, y = 0, z = 0;
        EXPECT_EQ(line->GetPoint(1, x, y, z), 0);
        EXPECT_EQ(x, 37.62);
        EXPECT_EQ(y, 55.76);
        EXPECT_EQ(line->GetPoint(2, x, y, z), CKTFObject::noSuchPoint);
        EXPECT_EQ(layer->GetObject(1), nullptr);
        if (described.empty()) described = describe(file);
        EXPECT_EQ(describe(file), described);
    }
}

// Exports generated at random, written with either line end, blanks anywhere in a line and
// empty lines between, read back to what was written: values without their blanks, text cut
// to its field, integers to their width.
TEST(KtfFile, GeneratedExportsReadBackWhateverTheirLayout) {
    std::mt19937 random(4242);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto word = [&](std::size_t length) {
        std::string w;
        while (w.size() < length) w += static_cast<char>('a' + pick(26));
        return w;
    };
    for (int round = 0; round < 60; ++round) {
        const std::string end = pick(2) ? "\r\n" : "\n";
        std::string text = "$qzLinerExport" + end;
        // Structural lines (braces, block keys) have no value.
        const auto put = [&](const std::string& key, const std::optional<std::string>& value) {
            std::string line = key + (value ? " = " + *value : "");
            for (int blanks = pick(4); blanks > 0; --blanks)
                line.insert(static_cast<std::size_t>(pick(static_cast<int>(line.size()) + 1)), pick(2) ? " " : "\t");
            text += line + end + (pick(5) == 0 ? end : "");
        };
        const std::string description = word(static_cast<std::size_t>(pick(300)));
        put("LayerGroup", std::nullopt);
        put("{", std::nullopt);
        put("Description", description);
        const int layers = pick(4);
        std::vector<std::vector<std::pair<int, std::vector<double>>>> model(static_cast<std::size_t>(layers));
        std::vector<std::string> labels;
        for (auto& objects : model) {
            put("Layer", std::nullopt);
            put("{", std::nullopt);
            for (int k = pick(4); k > 0; --k) {
                const int type = pick(4);
                const std::string label = word(static_cast<std::size_t>(pick(150)));
                labels.push_back(label);
                put("Object", std::nullopt);
                put("{", std::nullopt);
                put("Type", std::vector<std::string>{"Polygon", "Label", "Line", "Symbol"}[static_cast<std::size_t>(type)]);
                put("Label", label);
                put("LineColor", std::to_string(70000 + type));  // beyond 16 bits
                put("FillColor", "-" + std::to_string(type));
                std::vector<double> xyz;
                put("Points", std::nullopt);
                put("{", std::nullopt);
                for (int p = pick(5); p > 0; --p) {
                    const double v[3] = {(pick(36000) - 18000) / 100.0, (pick(18000) - 9000) / 100.0, pick(10) * 0.5};
                    char line[96];
                    std::snprintf(line, sizeof line, "%.17g, %.17g, %.17g", v[0], v[1], v[2]);
                    put("XYZ", line);
                    xyz.insert(xyz.end(), v, v + 3);
                }
                put("}", std::nullopt);
                put("}", std::nullopt);
                objects.emplace_back(type, xyz);
            }
            put("}", std::nullopt);
        }
        put("}", std::nullopt);

        CKTFFile file;
        ASSERT_EQ(file.Parse(text), 0) << text;
        EXPECT_EQ(file.group.description, description.substr(0, 259));
        ASSERT_EQ(file.group.GetLayerCount(), layers);
        std::size_t label = 0;
        for (int i = 0; i < layers; ++i) {
            const auto& objects = model[static_cast<std::size_t>(i)];
            const CKTFLayer& layer = *file.group.GetLayer(i);
            ASSERT_EQ(layer.GetObjectCount(), static_cast<int>(objects.size()));
            // A selection holds the objects of its type in file order.
            for (std::int16_t type = 0; type < 4; ++type) {
                const CKTFLayer selected = layer.Select(type);
                std::vector<int> expected, got;
                for (std::size_t k = 0; k < objects.size(); ++k)
                    if (objects[k].first == type) expected.push_back(static_cast<int>(objects[k].second.size()));
                for (const CKTFObject& o : selected.objects) {
                    EXPECT_EQ(o.type, type);
                    got.push_back(o.GetPointCount() * 3);
                }
                EXPECT_EQ(got, expected);
            }
            for (std::size_t k = 0; k < objects.size(); ++k) {
                const CKTFObject& o = file.group.layers[static_cast<std::size_t>(i)].objects[k];
                EXPECT_EQ(o.type, objects[k].first);
                EXPECT_EQ(o.label, labels[label++].substr(0, 99));
                EXPECT_EQ(o.lineColor, static_cast<std::int16_t>(70000 + o.type - 65536));
                EXPECT_EQ(o.fillColor, -o.type);
                std::vector<double> xyz;
                for (const KTF_POINT& p : o.points) xyz.insert(xyz.end(), {p.x, p.y, p.z});
                EXPECT_EQ(xyz, objects[k].second);
            }
        }
    }
}

TEST(KtfFile, NumbersKeepTheirPointUnderADecimalCommaLocale) {
    test_support::temp_dir dir;
    if (!comma_locale(dir.path())) GTEST_SKIP() << "no locale with a decimal comma can be made here";
    CKTFFile file;
    file.Parse(example);
    std::setlocale(LC_ALL, "C");
    ::unsetenv("LOCPATH");
    ASSERT_EQ(file.status, 0);
    EXPECT_EQ(file.group.layers[0].objects[0].points[0].x, 37.61);
    EXPECT_EQ(file.group.layers[0].objects[0].points[0].y, 55.75);
}

// Text reaches the system's 8-bit character set: UTF-8 files are converted, 8-bit ones kept
// as they are; either is cut to its field after conversion.
TEST(KtfFile, TextIsKeptInTheSystemCharacterSet) {
    test_support::settings_sandbox settings;
    const auto label_of = [](const std::string& value) {
        CKTFFile file;
        file.Parse("$qzLinerExport\nLayerGroup\n{\nLayer\n{\nObject\n{\nLabel = " + value + "\nFontName = Times New Roman\n}\n}\n}\n");
        EXPECT_EQ(file.status, 0);
        EXPECT_STREQ(file.group.layers.at(0).objects.at(0).fontName, "TimesNewRoman");
        return std::string(file.group.layers.at(0).objects.at(0).label);
    };
    EXPECT_EQ(label_of("Caf\xC3\xA9 \xE2\x82\xAC"), "Caf\xE9\x80");
    EXPECT_EQ(label_of("Caf\xE9"), "Caf\xE9");
    EXPECT_EQ(label_of("\xD0\x96"), "?");
    std::string long_utf8;
    for (int i = 0; i < 150; ++i) long_utf8 += "\xC3\xA9";
    EXPECT_EQ(label_of(long_utf8), std::string(99, '\xE9'));
    platform::settings::set_code_page("CP1251");
    EXPECT_EQ(label_of("\xD0\x96\xD0\xB0"), "\xC6\xE0");
}
