// The grid of cells laid over a layer, and the base record of a layer in the map document.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "platform/mem_file.h"

using namespace model;

TEST(Cells, BoxesAreWholeStepsReachingBeyondTheBounds) {
    CSFLayer layer(kLayerLine);
    layer.m_rcBounds = {37.0, 55.0, 38.0, 55.5};
    std::vector<CSFFragment> cells;
    layer.BuildCells(4, 2, cells);
    EXPECT_EQ(layer.m_nGridCols, 4u);
    EXPECT_EQ(layer.m_nGridRows, 2u);
    EXPECT_EQ(layer.m_nCellCount, 8u);
    ASSERT_EQ(cells.size(), 8u);
    // 1.0 / (4 x 0.0001) = 2500 steps, one more: 2501 x 0.0001.
    const double width = 2501 * 0.0001, height = 2501 * 0.0001;
    EXPECT_DOUBLE_EQ(cells[0].m_rcBox.minX, 37.0);
    EXPECT_DOUBLE_EQ(cells[0].m_rcBox.maxX, 37.0 + width);
    EXPECT_DOUBLE_EQ(cells[1].m_rcBox.minX, 37.0 + width);
    EXPECT_DOUBLE_EQ(cells[4].m_rcBox.minY, 55.0 + height);
    EXPECT_GT(cells[7].m_rcBox.maxX, 38.0);
    EXPECT_GT(cells[7].m_rcBox.maxY, 55.5);

    // Row by row from minimum Y, neighbours -1 at the edges.
    const CSFFragment& corner = cells[0];
    EXPECT_EQ(corner.m_nCell, 0);
    EXPECT_EQ(corner.m_nPrevColumn, -1);
    EXPECT_EQ(corner.m_nPrevRow, -1);
    EXPECT_EQ(corner.m_nNextColumn, 1);
    EXPECT_EQ(corner.m_nNextRow, 4);
    const CSFFragment& inner = cells[5];
    EXPECT_EQ(inner.m_nPrevColumn, 4);
    EXPECT_EQ(inner.m_nNextColumn, 6);
    EXPECT_EQ(inner.m_nPrevRow, 1);
    EXPECT_EQ(inner.m_nNextRow, -1);
    EXPECT_EQ(cells[7].m_nNextColumn, -1);

    // A layer of one point still gets cells of one step.
    CSFLayer dot(kLayerPoint);
    dot.m_rcBounds = {10, 20, 10, 20};
    dot.AllocateGrid(10, 10);
    ASSERT_EQ(dot.m_pCells.size(), 100u);
    EXPECT_DOUBLE_EQ(dot.m_pCells[99].m_rcBox.maxX, 10 + 10 * 0.0001);

    // Bounds no number describes still give a grid, and no undefined conversion.
    CSFLayer wild(kLayerLine);
    wild.m_rcBounds = {0, 0, std::numeric_limits<double>::infinity(), std::nan("")};
    wild.AllocateGrid(2, 2);
    EXPECT_EQ(wild.m_pCells.size(), 4u);
}

namespace {

std::vector<std::uint8_t> base_record(std::uint32_t version_extra_byte) {
    platform::CMemFile file;
    CSFLayer layer(kLayerLine);
    layer.m_strName = "roads-of-the-north-east";  // longer than the 20-byte field
    layer.m_rcBounds = {1, 2, 3, 4};
    layer.m_crContour = 0x112233;
    layer.m_crFill = 0x445566;
    layer.m_nGridShapes = 7;
    layer.m_nGridCols = 2;
    layer.m_nGridRows = 3;
    layer.WriteDocument(file);
    std::vector<std::uint8_t> bytes = file.Detach();
    if (version_extra_byte) bytes.insert(bytes.begin() + 4 + 20 + 32 + 8, 0xEE);
    // The six cell records that follow in a document.
    bytes.insert(bytes.end(), 6 * 40, 0);
    return bytes;
}

}  // namespace

TEST(LayerRecord, BaseFieldsRoundTripAndFollowTheDocumentVersion) {
    const auto bytes = base_record(0);
    ASSERT_EQ(bytes.size(), 4u + 20 + 32 + 4 * 5 + 6 * 40);
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(std::string(bytes.begin() + 4, bytes.begin() + 24), "roads-of-the-north-e");

    for (std::uint32_t version : {2u, 3u, 5u}) {
        CSFMap map;
        map.m_nVersion = version;
        auto record = base_record(version == 3);
        if (version < 3) record.erase(record.begin() + 4 + 20 + 32 + 4, record.begin() + 4 + 20 + 32 + 8);
        platform::CMemFile file(record.data() + 4, record.size() - 4);
        CSFLayer layer(kLayerLine, &map);
        ASSERT_EQ(layer.ReadDocument(file), 0) << version;
        EXPECT_EQ(file.GetPosition(), file.GetLength() - 6 * 40) << version;
        EXPECT_EQ(layer.m_strName, "roads-of-the-north-e");
        EXPECT_EQ(layer.m_rcBounds, (CSFRect{1, 2, 3, 4}));
        EXPECT_EQ(layer.m_crContour, 0x112233u);
        EXPECT_EQ(layer.m_crFill, version < 3 ? 0x008CB4D2u : 0x445566u) << version;
        EXPECT_EQ(layer.m_nShapes, 7u);
        EXPECT_EQ(layer.m_pCells.size(), 6u);
        EXPECT_EQ(layer.m_pCells[5].m_nPrevColumn, -1);
    }

    // A grid larger than the rest of the document is refused.
    auto record = base_record(0);
    record[record.size() - 240 - 8] = 0xFF;
    record[record.size() - 240 - 7] = 0xFF;
    CSFMap map;
    map.m_nVersion = 5;
    platform::CMemFile file(record.data() + 4, record.size() - 4);
    CSFLayer layer(kLayerLine, &map);
    EXPECT_EQ(layer.ReadDocument(file), 1);
    platform::CMemFile cut(record.data() + 4, 30);
    EXPECT_EQ(CSFLayer(kLayerLine, &map).ReadDocument(cut), 1);
}
