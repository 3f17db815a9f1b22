// Text exports loaded as maps: which layers they become, in which order, and what a broken
// export leaves.

#include <gtest/gtest.h>

#include "georef/transform.h"
#include "map/sf_map.h"
#include "tests/support/files.h"
#include "vector/layer_line.h"
#include "vector/layer_point.h"
#include "vector/layer_polygon.h"
#include "vector/register_layers.h"

using namespace model;

namespace {

std::string crlf(const std::string& lf) {
    std::string out;
    for (char c : lf) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

const std::string example =
    "$qzLinerExport\nLayerGroup\n{\nDescription = Roads\nLayer\n{\nObject\n{\nType = Line\nPoints\n{\n"
    "XYZ = 37.61, 55.75, 0\nXYZ = 37.62, 55.76, 0\n}\n}\n}\n}\n";

std::string object(const std::string& type, const std::string& points) {
    return "Object\n{\nType = " + type + "\nPoints\n{\n" + points + "}\n}\n";
}

// Everything the loaded map shows of its layers, so that two loads compare whole.
std::string describe(const CSFMap& map) {
    std::string out;
    for (std::uint32_t i = 0; i < map.GetLayerCount(); ++i) {
        CSFLayer& layer = *map.GetLayer(i);
        out += std::to_string(layer.m_nKind) + " " + layer.m_strName + " " + std::to_string(layer.m_nShapes) + ":";
        for (std::uint32_t s = 0; s < layer.m_nShapes; ++s) {
            const CSFShape* shape = layer.GetShape(s);
            if (const auto* line = dynamic_cast<const CSFLine*>(shape))
                for (const CSFPt& p : line->m_pPoints) out += " " + std::to_string(p.X) + "," + std::to_string(p.Y);
            if (const auto* point = dynamic_cast<const CSFPoint*>(shape))
                out += " " + std::to_string(point->m_pt.X) + "," + std::to_string(point->m_pt.Y);
        }
        out += "\n";
    }
    return out;
}

class KtfImport : public ::testing::Test {
protected:
    void SetUp() override { register_vector_layers(); }
    load_result load(const std::string& text, CSFMap& map) {
        test_support::write_bytes(dir.file("export.ktf"), std::vector<std::uint8_t>(text.begin(), text.end()));
        return map.Load(dir.file("export.ktf"), nullptr);
    }
    test_support::temp_dir dir;
};

}  // namespace

TEST_F(KtfImport, TheExampleIsOneLineLayerOfTwoPointsWhateverTheLineEnds) {
    CSFMap windows, unix;
    ASSERT_EQ(load(crlf(example), windows), map_loaded);
    ASSERT_EQ(load(example, unix), map_loaded);
    ASSERT_EQ(windows.GetLayerCount(), 1u);
    const auto* line = dynamic_cast<CSFLayerLine*>(windows.GetLayer(0));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->m_strName, "KTF layer");
    ASSERT_EQ(line->m_pShapes.size(), 1u);
    EXPECT_EQ(line->m_pShapes[0].m_pPoints, (std::vector<CSFPt>{{37.61, 55.75}, {37.62, 55.76}}));
    EXPECT_EQ(line->m_pTransform, static_cast<georef::CTr*>(windows.get_transform()));
    EXPECT_EQ(describe(unix), describe(windows));

    // The view is centred on the map, its rotation kept.
    EXPECT_EQ(windows.get_bounds(), (CSFRect{37.61, 55.75, 37.62, 55.76}));
    EXPECT_NEAR(windows.get_transform()->GetCentre().x, 37.615, 1e-12);
    EXPECT_NEAR(windows.get_transform()->GetCentre().y, 55.755, 1e-12);
}

TEST_F(KtfImport, EachExportLayerBecomesPolygonsLinesLabelsThenSymbols) {
    const std::string text = "$qzLinerExport\r\nLayerGroup\r\n{\r\nLayer\r\n{\r\n" +
                             crlf(object("Symbol", "XYZ = 1, 2, 0\nXYZ = 9, 9\n") +
                                  object("Line", "XYZ = 3, 4\nXYZ = 5, 6, 7\n") +
                                  object("Polygon", "XYZ = 0, 0\nXYZ = 2, 0\nXYZ = 2, 2\n") +
                                  object("Label", "XYZ = -1\n") +
                                  object("Symbol", "XYZ = 8, 8, 8\n")) +
                             "}\r\nLayer\r\n{\r\n" + crlf(object("Polygon", "XYZ = 10, 10\n")) + "}\r\n}\r\n";
    CSFMap map;
    ASSERT_EQ(load(text, map), map_loaded);
    // Missing coordinates of a points line are 0.0; a symbol is placed at its first point.
    EXPECT_EQ(describe(map),
              "5 KTF layer 1: 0.000000,0.000000 2.000000,0.000000 2.000000,2.000000\n"
              "3 KTF layer 1: 3.000000,4.000000 5.000000,6.000000\n"
              "1 KTF layer 1: -1.000000,0.000000\n"
              "1 KTF layer 2: 1.000000,2.000000 8.000000,8.000000\n"
              "5 KTF layer 1: 10.000000,10.000000\n");
    EXPECT_EQ(map.get_bounds(), (CSFRect{-1, 0, 10, 10}));

    CSFMap empty;
    EXPECT_EQ(load("$qzLinerExport\r\n", empty), map_loaded);
    EXPECT_EQ(empty.GetLayerCount(), 0u);
}

TEST_F(KtfImport, ABrokenExportAnswers2AndAddsNothing) {
    const std::string broken[] = {
        "",                                                  // not even the header
        "\x89PNG\r\n\x1a\n\0\0\0\rIHDR",                     // not text at all
        example.substr(0, example.size() - 4),               // the text ends inside the blocks
        "$qzLinerExport\nLayerGroup\n{\nLayer\n{\nColour = red\n}\n}\n",  // a key the layer does not know
        "$qzLinerExport\nLayerGroup\n{\nLayer\n{\n" + object("label", "XYZ = 1, 2, 3\n") + "}\n}\n",
        "$qzLinerExport\nLayerGroup\n{\nLayer\n{\n" + object("Line", "XYZ = 1, 2, 3\n") + "}\n" +
            "Layer\n{\n" + object("Line", "XY = 1, 2\n") + "}\n}\n",  // a good layer, then a bad one
    };
    for (const std::string& text : broken) {
        CSFMap map;
        EXPECT_EQ(load(text, map), file_unreadable) << text;
        EXPECT_EQ(map.GetLayerCount(), 0u) << text;
    }
    CSFMap map;
    EXPECT_EQ(map.Load(dir.file("missing.KTF"), nullptr), file_unreadable);
}
