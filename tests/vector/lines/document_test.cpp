#include <gtest/gtest.h>

#include <random>

#include "platform/file.h"
#include "tests/support/files.h"
#include "tests/support/recording_dc.h"
#include "tests/support/recording_ui_service.h"
#include "tests/vector/lines/regrid_support.h"
#include "vector/layer_polygon.h"

using namespace model;

using namespace regrid_test;
using test_support::append_le32;
using test_support::append_le_double;

namespace {

// A layer of random rings, outlines and fills, cut into 10 x 10 cells.
std::unique_ptr<CSFLayerPolygon> cut_layer(unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> x(30.0, 31.0), y(59.5, 60.0), size(0.001, 0.3);
    auto layer = std::make_unique<CSFLayerPolygon>();
    for (int record = 1; record <= 40; ++record) {
        const CSFPt c{x(random), y(random)};
        const double r = size(random);
        const part ring{{c.X - r, c.Y}, {c.X, c.Y + r}, {c.X + r, c.Y - r / 3}, {c.X - r, c.Y}};
        layer->m_pShapes.push_back(make_shape<CSFLine>(record, {ring}));
        layer->m_pPolygons.push_back(make_shape<CSFPolygon>(record, {ring}));
    }
    layer->m_nShapes = 40;
    layer->m_rcBounds = {29.6, 59.1, 31.4, 60.4};
    layer->m_strName = "lakes";
    layer->m_crContour = 0x00102030;
    layer->m_crFill = 0x00405060;
    test_support::recording_ui ui;
    EXPECT_EQ(layer->Regrid(10, 10), 0);
    return layer;
}

void write_record(CSFLayer& layer, const std::string& path) {
    platform::CFile file;
    ASSERT_TRUE(file.Open(path, platform::CFile::modeCreate | platform::CFile::modeWrite));
    layer.WriteDocument(file);
}

// Reads a record after its tag into the layer; the file must hold exactly that record.
int read_record(CSFLayer& layer, const std::string& path, bool whole = true) {
    platform::CFile file;
    EXPECT_TRUE(file.Open(path, platform::CFile::modeRead));
    file.Seek(4, platform::CFile::begin);
    const int result = layer.ReadDocument(file);
    if (whole && result == 0) {
        EXPECT_EQ(file.GetPosition(), file.GetLength());
    }
    return result;
}

std::vector<std::string> drawn_cells(std::unique_ptr<CSFLayer> layer) {
    map_with_layer m(std::move(layer), 640, 480);
    test_support::recording_dc dc;
    m.layer->DrawCells(&dc);
    return dc.texts();
}

void expect_same_pieces(const std::vector<CSFFragment>& a, const std::vector<CSFFragment>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t c = 0; c < a.size(); ++c) {
        EXPECT_EQ(a[c].m_rcBox, b[c].m_rcBox);
        EXPECT_EQ(a[c].m_nCell, b[c].m_nCell);
    }
    const auto pa = pieces_of(a), pb = pieces_of(b);
    ASSERT_EQ(pa.size(), pb.size());
    for (std::size_t i = 0; i < pa.size(); ++i) {
        EXPECT_EQ(pa[i].cell, pb[i].cell);
        EXPECT_EQ(pa[i].record, pb[i].record);
        EXPECT_EQ(pa[i].points, pb[i].points);
    }
}

}  // namespace

TEST(LineDocument, RecordHoldsTheBaseFieldsThenThePiecesCellByCell) {
    test_support::recording_ui ui;
    CSFLayerLine layer;
    layer.m_pShapes = {make_shape<CSFLine>(9, {{{0.5, 0.25}, {1.5, 0.75}}})};
    layer.m_rcBounds = {0, 0, 1.9999, 0.9999};
    ASSERT_EQ(layer.Regrid(2, 1), 0);
    test_support::temp_dir dir;
    write_record(layer, dir.file("line.kxr"));

    std::vector<std::uint8_t> expected;
    append_le32(expected, 2);  // pieces
    append_le32(expected, 4);  // their points
    for (int cell = 0; cell < 2; ++cell) {
        for (double v : {cell * 1.0, 0.0, cell + 1.0, 1.0}) append_le_double(expected, v);
        append_le32(expected, std::uint32_t(cell));
        append_le32(expected, 1);  // one piece
        append_le32(expected, 9);  // its record, one part from 0, two points
        append_le32(expected, 1);
        append_le32(expected, 2);
        append_le32(expected, 0);
        for (double v : cell == 0 ? std::vector<double>{0.5, 0.25, 1.0, 0.5} : std::vector<double>{1.0, 0.5, 1.5, 0.75})
            append_le_double(expected, v);
    }
    const auto bytes = test_support::read_bytes(dir.file("line.kxr"));
    ASSERT_EQ(bytes.size(), 76 + expected.size());
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(bytes[64], 2);  // shape count: the pieces
    EXPECT_EQ(bytes[68], 2);  // columns
    EXPECT_EQ(bytes[72], 1);  // rows
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 76, bytes.end()), expected);
}

TEST(LineDocument, PiecesWrittenAndReadBackAreDrawnTheSameInTheSameCells) {
    test_support::temp_dir dir;
    auto original = cut_layer(3);
    auto lines = std::make_unique<CSFLayerLine>();
    lines->m_pShapes = original->m_pShapes;
    lines->m_rcBounds = original->m_rcBounds;
    test_support::recording_ui ui;
    ASSERT_EQ(lines->Regrid(10, 10), 0);
    write_record(*lines, dir.file("lines.kxr"));

    CSFMap map;
    map.m_nVersion = 5;
    auto read = std::make_unique<CSFLayerLine>(&map);
    ASSERT_EQ(read_record(*read, dir.file("lines.kxr")), 0);
    EXPECT_EQ(read->m_nShapes, lines->m_nPieceParts);
    EXPECT_TRUE(read->m_pShapes.empty());
    EXPECT_TRUE(read->m_pCells.empty());
    expect_same_pieces(lines->m_pLineCells, read->m_pLineCells);
    const auto expected = drawn_cells(std::move(lines));
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(drawn_cells(std::move(read)), expected);
}

TEST(PolygonDocument, BothGridsWrittenAndReadBackAreDrawnTheSame) {
    test_support::temp_dir dir;
    auto original = cut_layer(4);
    write_record(*original, dir.file("lakes.kxr"));

    CSFMap map;
    map.m_nVersion = 5;
    auto read = std::make_unique<CSFLayerPolygon>(&map);
    ASSERT_EQ(read_record(*read, dir.file("lakes.kxr")), 0);
    EXPECT_EQ(read->m_strName, "lakes");
    EXPECT_EQ(read->m_crFill, 0x00405060u);
    EXPECT_EQ(read->m_nGridCols, 10u);
    expect_same_pieces(original->m_pPolygonCells, read->m_pPolygonCells);
    expect_same_pieces(original->m_pLineCells, read->m_pLineCells);
    const auto expected = drawn_cells(std::move(original));
    EXPECT_EQ(drawn_cells(std::move(read)), expected);
}

// A version 3 document stores a polygon layer's outlines as a line layer record of its
// own, after the polygon cells; its base record has a byte more after the fill colour.
TEST(PolygonDocument, VersionThreeOutlinesAreReadFromTheFollowingLineRecordKeepingTheFill) {
    std::vector<std::uint8_t> bytes;
    auto base = [&](std::uint32_t tag, const char* name, std::uint32_t contour, std::uint32_t fill) {
        append_le32(bytes, tag);
        std::string field(name);
        field.resize(20, '\0');
        bytes.insert(bytes.end(), field.begin(), field.end());
        for (double v : {1.0, 2.0, 3.0, 4.0}) append_le_double(bytes, v);
        append_le32(bytes, contour);
        append_le32(bytes, fill);
        bytes.push_back(0xEE);  // the byte of version 3
        append_le32(bytes, 1);  // shapes
        append_le32(bytes, 1);  // one column
        append_le32(bytes, 1);  // one row
    };
    auto cell_with_piece = [&](std::int32_t record, double x) {
        append_le32(bytes, 1);
        append_le32(bytes, 3);
        for (double v : {1.0, 2.0, 3.0, 4.0}) append_le_double(bytes, v);
        append_le32(bytes, 0);
        append_le32(bytes, 1);
        append_le32(bytes, std::uint32_t(record));
        append_le32(bytes, 1);
        append_le32(bytes, 3);
        append_le32(bytes, 0);
        for (double v : {x, 2.0, x + 1, 2.0, x, 3.0}) append_le_double(bytes, v);
    };
    base(5, "parcels", 0x111111, 0x222222);
    cell_with_piece(7, 1.0);
    base(3, "parcels outline", 0x333333, 0x444444);
    cell_with_piece(8, 1.5);
    test_support::temp_dir dir;
    test_support::write_bytes(dir.file("v3.kxr"), bytes);

    CSFMap map;
    map.m_nVersion = 3;
    CSFLayerPolygon layer(&map);
    ASSERT_EQ(read_record(layer, dir.file("v3.kxr")), 0);
    EXPECT_EQ(layer.m_strName, "parcels outline");
    EXPECT_EQ(layer.m_crContour, 0x333333u);
    EXPECT_EQ(layer.m_crFill, 0x222222u);
    ASSERT_EQ(pieces_of(layer.m_pPolygonCells).size(), 1u);
    EXPECT_EQ(pieces_of(layer.m_pPolygonCells)[0].record, 7);
    ASSERT_EQ(pieces_of(layer.m_pLineCells).size(), 1u);
    EXPECT_EQ(pieces_of(layer.m_pLineCells)[0].points, (part{{1.5, 2.0}, {2.5, 2.0}, {1.5, 3.0}}));

    // The same bytes are no version 5 record: it ends too early for one.
    map.m_nVersion = 5;
    CSFLayerPolygon other(&map);
    EXPECT_EQ(read_record(other, dir.file("v3.kxr"), false), 1);
}

TEST(PolygonDocument, TruncatedRecordsAndImpossibleCountsAreRefused) {
    test_support::temp_dir dir;
    auto original = cut_layer(5);
    write_record(*original, dir.file("full.kxr"));
    const auto bytes = test_support::read_bytes(dir.file("full.kxr"));
    CSFMap map;
    map.m_nVersion = 5;
    for (std::size_t size = 4; size < bytes.size(); size += 1 + size / 64) {
        test_support::write_bytes(dir.file("cut.kxr"), std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + size));
        CSFLayerPolygon layer(&map);
        ASSERT_EQ(read_record(layer, dir.file("cut.kxr"), false), 1) << size;
    }

    // A cell claiming four billion pieces, a piece claiming two billion points.
    auto patched = [&](std::size_t offset, std::uint32_t value) {
        std::vector<std::uint8_t> b = bytes;
        for (int i = 0; i < 4; ++i) b[offset + std::size_t(i)] = std::uint8_t(value >> (8 * i));
        test_support::write_bytes(dir.file("patched.kxr"), b);
        CSFLayerPolygon layer(&map);
        return read_record(layer, dir.file("patched.kxr"), false);
    };
    const std::size_t first_cell = 76 + 8;
    EXPECT_EQ(patched(first_cell + 36, 0xFFFFFFFF), 1);
    std::size_t cell = first_cell;
    while (original->m_pPolygonCells[(cell - first_cell) / 40].m_aShapes.empty()) cell += 40;
    EXPECT_EQ(patched(cell + 40 + 8, 0x7FFFFFFF), 1);
    // A grid larger than the file could hold.
    EXPECT_EQ(patched(72, 0x10000), 1);
}
