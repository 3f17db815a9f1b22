#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>

#include "tests/support/recording_ui_service.h"
#include "tests/vector/lines/regrid_support.h"
#include "vector/layer_line.h"
#include "vector/layer_polygon.h"

using namespace model;

using namespace regrid_test;

namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

// A line layer over the box, cut into columns x rows cells.
struct cut_lines {
    test_support::recording_ui ui;
    CSFLayerLine layer;
    int result = -1;

    cut_lines(const std::vector<CSFLine>& lines, CSFRect bounds, std::uint32_t columns = 2, std::uint32_t rows = 2) {
        layer.m_pShapes = lines;
        layer.m_nShapes = static_cast<std::uint32_t>(lines.size());
        layer.m_rcBounds = bounds;
        result = layer.Regrid(columns, rows);
    }
    const CSFRect& box(int cell) const { return layer.m_pLineCells[static_cast<std::size_t>(cell)].m_rcBox; }
    std::vector<piece> pieces() const { return pieces_of(layer.m_pLineCells); }
};

CSFLine line(int record, const part& points) { return make_shape<CSFLine>(record, {points}); }

// The 2 x 2 grid over this box has cells exactly 1 wide and high: from 0 over 1 to 2.
const CSFRect square{0, 0, 1.9999, 1.9999};

}  // namespace

TEST(LineRegrid, LineInsideOneCellIsOnePieceWithAllItsPoints) {
    cut_lines cut({line(7, {{0.2, 0.2}, {0.5, 0.8}, {0.9, 0.1}})}, square);
    EXPECT_EQ(cut.result, 0);
    const auto pieces = cut.pieces();
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].cell, 0);
    EXPECT_EQ(pieces[0].record, 7);
    EXPECT_EQ(pieces[0].points, (part{{0.2, 0.2}, {0.5, 0.8}, {0.9, 0.1}}));
    EXPECT_EQ(cut.layer.m_nPieceParts, 1u);
    EXPECT_EQ(cut.layer.m_nPiecePoints, 3u);
    EXPECT_EQ(cut.layer.m_nGridShapes, 1u);
}

TEST(LineRegrid, CrossingOneBorderGivesTwoPiecesMeetingAtTheCrossing) {
    cut_lines cut({line(1, {{0.5, 0.25}, {1.5, 0.75}})}, square);
    const auto pieces = cut.pieces();
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].cell, 0);
    EXPECT_EQ(pieces[0].points, (part{{0.5, 0.25}, {1.0, 0.5}}));
    EXPECT_EQ(pieces[1].cell, 1);
    EXPECT_EQ(pieces[1].points, (part{{1.0, 0.5}, {1.5, 0.75}}));
    EXPECT_EQ(cut.layer.m_nPieceParts, 2u);
    EXPECT_EQ(cut.layer.m_nPiecePoints, 4u);
    EXPECT_EQ(cut.layer.m_nGridShapes, 2u);
}

TEST(LineRegrid, PointsWithinTheToleranceAreMovedOntoTheBoundary) {
    // 5e-6 beyond the border still belongs to the cell the line is in; 2e-5 does not.
    cut_lines near({line(1, {{0.5, 0.5}, {1.0 + 5e-6, 0.5}})}, square);
    ASSERT_EQ(near.pieces().size(), 1u);
    EXPECT_EQ(near.pieces()[0].points.back(), (CSFPt{1.0, 0.5}));

    cut_lines beyond({line(1, {{0.5, 0.5}, {1.0 + 2e-5, 0.5}})}, square);
    const auto pieces = beyond.pieces();
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[1].points, (part{{1.0, 0.5}, {1.0 + 2e-5, 0.5}}));

    // A first point just outside a cell is taken in as well.
    cut_lines first({line(1, {{1.0 - 4e-6, 0.5}, {1.5, 0.5}})}, square);
    EXPECT_EQ(first.pieces()[0].points.front(), (CSFPt{1.0 - 4e-6, 0.5}));
    EXPECT_EQ(first.pieces()[0].cell, 0);
}

TEST(LineRegrid, VertexOnABorderEndsThePieceWhenTheLineGoesOnIntoTheNextCell) {
    // Without ending the piece at the vertex, one piece would reach from cell 0 into cell 1.
    cut_lines cut({line(1, {{0.5, 0.5}, {1.0, 0.5}, {1.5, 0.7}, {1.0, 0.9}, {0.5, 0.9}})}, square);
    const auto pieces = cut.pieces();
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].points, (part{{0.5, 0.5}, {1.0, 0.5}}));
    EXPECT_EQ(pieces[1].points, (part{{1.0, 0.9}, {0.5, 0.9}}));
    EXPECT_EQ(pieces[2].points, (part{{1.0, 0.5}, {1.5, 0.7}, {1.0, 0.9}}));
    for (const piece& p : pieces)
        for (const CSFPt& pt : p.points) EXPECT_TRUE(inside(cut.box(p.cell), pt));
}

TEST(LineRegrid, SegmentThroughACornerGoesOnToTheDiagonalCellAndKeepsItsEnd) {
    cut_lines cut({line(1, {{0.75, 0.75}, {1.25, 1.25}, {1.5, 1.75}})}, square);
    const auto pieces = cut.pieces();
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].cell, 0);
    EXPECT_EQ(pieces[0].points, (part{{0.75, 0.75}, {1.0, 1.0}}));
    EXPECT_EQ(pieces[1].cell, 3);
    EXPECT_EQ(pieces[1].points, (part{{1.0, 1.0}, {1.25, 1.25}, {1.5, 1.75}}));

    // The other diagonal, from the top left to the bottom right.
    cut_lines other({line(1, {{0.5, 1.5}, {1.5, 0.5}})}, square);
    const auto crossed = other.pieces();
    ASSERT_EQ(crossed.size(), 2u);
    EXPECT_EQ(crossed[0].cell, 1);
    EXPECT_EQ(crossed[1].cell, 2);
    EXPECT_EQ(crossed[1].points, (part{{0.5, 1.5}, {1.0, 1.0}}));
}

TEST(LineRegrid, LineAlongACellBorderIsCutAtTheCorners) {
    cut_lines cut({line(1, {{0.2, 1.0}, {1.8, 1.0}})}, square);
    const auto pieces = cut.pieces();
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].points, (part{{0.2, 1.0}, {1.0, 1.0}}));
    EXPECT_EQ(pieces[1].points, (part{{1.0, 1.0}, {1.8, 1.0}}));
    EXPECT_DOUBLE_EQ(length(pieces[0].points) + length(pieces[1].points), 1.6);
}

TEST(LineRegrid, RepeatedPointsAndOnePointPartsAreKept) {
    const CSFLine shape = make_shape<CSFLine>(4, {{{0.5, 0.5}, {0.5, 0.5}, {1.5, 0.5}, {1.5, 0.5}}, {{0.3, 1.3}}});
    cut_lines cut({shape}, square);
    const auto pieces = cut.pieces();
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].points, (part{{0.5, 0.5}, {0.5, 0.5}, {1.0, 0.5}}));
    EXPECT_EQ(pieces[1].points, (part{{1.0, 0.5}, {1.5, 0.5}, {1.5, 0.5}}));
    EXPECT_EQ(pieces[2].cell, 2);
    EXPECT_EQ(pieces[2].points, (part{{0.3, 1.3}}));
    EXPECT_EQ(cut.layer.m_nPiecePoints, 7u);
}

TEST(LineRegrid, PointsThatAreNotNumbersLeaveAGapAndTheLineGoesOnAfterThem) {
    cut_lines cut({line(2, {{0.5, 0.5}, {0.8, 0.5}, {not_a_number, 0.5}, {1.5, 1.5}, {1.5, 0.5}})}, square);
    EXPECT_EQ(cut.result, 0);
    EXPECT_TRUE(cut.ui.messages().empty());
    const auto pieces = cut.pieces();
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].points, (part{{0.5, 0.5}, {0.8, 0.5}}));
    EXPECT_EQ(pieces[1].points, (part{{1.5, 1.0}, {1.5, 0.5}}));
    EXPECT_EQ(pieces[2].points, (part{{1.5, 1.5}, {1.5, 1.0}}));
}

TEST(LineRegrid, StretchesOutsideTheGridAreLeftOutAndTheLineIsTakenUpWhereItComesBack) {
    // A layer whose bounds do not take in every point (as a wrong header box gives).
    cut_lines cut({line(3, {{1.5, 0.5}, {6.0, 0.5}, {6.0, 1.5}, {1.5, 1.5}})}, square);
    EXPECT_EQ(cut.result, 0);
    const double edge = cut.box(1).maxX;
    const auto pieces = cut.pieces();
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].points, (part{{1.5, 0.5}, {edge, 0.5}}));
    EXPECT_EQ(pieces[1].cell, 3);
    EXPECT_EQ(pieces[1].points, (part{{edge, 1.5}, {1.5, 1.5}}));
}

TEST(LineRegrid, FirstPointOutsideEveryCellStopsWithTheMessageAndKeepsWhatWasCut) {
    test_support::recording_ui ui;
    CSFLayerLine layer;
    layer.m_nIndex = 3;
    layer.m_pShapes = {line(1, {{0.5, 0.5}, {1.5, 0.5}}), line(2, {{9.0, 9.0}, {0.5, 0.5}}),
                       line(3, {{0.5, 0.5}, {0.6, 0.6}})};
    layer.m_rcBounds = square;
    EXPECT_EQ(layer.Regrid(2, 2), 1);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "The point is out of map bounds. Layer index is - 3");
    EXPECT_EQ(layer.m_nPieceParts, 2u);
    EXPECT_EQ(pieces_of(layer.m_pLineCells).size(), 2u);
    ASSERT_EQ(ui.progress_windows().size(), 1u);
    EXPECT_TRUE(ui.progress_windows()[0].closed);
    EXPECT_EQ(layer.m_pProgress, nullptr);

    // A first point that is not a number lies in no cell either.
    layer.m_pShapes = {line(1, {{not_a_number, not_a_number}, {0.5, 0.5}})};
    EXPECT_EQ(layer.Regrid(2, 2), 1);
}

TEST(LineRegrid, ProgressWindowRunsOverTheLinesAndCloses) {
    test_support::recording_ui ui;
    CSFLayerLine layer;
    layer.m_pShapes = {line(1, {{0.5, 0.5}}), line(2, {{0.5, 0.5}}), line(3, {{0.5, 0.5}})};
    layer.m_rcBounds = square;
    ASSERT_EQ(layer.Regrid(2, 2), 0);
    ASSERT_EQ(ui.progress_windows().size(), 1u);
    const auto& window = ui.progress_windows()[0];
    EXPECT_EQ(window.caption, "Layer saving");
    EXPECT_EQ(window.lower, 0);
    EXPECT_EQ(window.upper, 2);
    EXPECT_EQ(window.positions, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(window.closed);
}

TEST(LineRegrid, CuttingAgainStartsFromAnEmptyGridAndGridsThatCannotBeMadeFail) {
    cut_lines cut({line(1, {{0.5, 0.25}, {1.5, 0.75}})}, square);
    ASSERT_EQ(cut.layer.Regrid(2, 2), 0);
    EXPECT_EQ(cut.layer.m_nPieceParts, 2u);
    EXPECT_EQ(cut.pieces().size(), 2u);

    EXPECT_EQ(cut.layer.Regrid(0, 10), 1);
    EXPECT_EQ(cut.layer.Regrid(100000, 100000), 1);
    EXPECT_EQ(cut.layer.FillGrid(3, 4), 0);
    EXPECT_EQ(cut.layer.m_pLineCells.size(), 12u);
    EXPECT_TRUE(cut.pieces().empty());
}

TEST(LineRegrid, PolygonLayerCutsItsOutlinesIntoItsLineCells) {
    test_support::recording_ui ui;
    CSFLayerPolygon layer;
    const part ring{{0.5, 0.5}, {0.5, 1.5}, {1.5, 1.5}, {1.5, 0.5}, {0.5, 0.5}};
    layer.m_pShapes = {make_shape<CSFLine>(1, {ring})};
    layer.m_pPolygons = {make_shape<CSFPolygon>(1, {ring})};
    layer.m_rcBounds = square;
    ASSERT_EQ(layer.Regrid(2, 2), 0);
    EXPECT_EQ(layer.m_pLineCells.size(), 4u);
    EXPECT_EQ(layer.m_pPolygonCells.size(), 4u);
    EXPECT_EQ(layer.m_nPieceParts, 5u);  // the ring starts and ends in cell 0
    EXPECT_EQ(layer.m_nGridShapes, 5u);
    EXPECT_EQ(layer.m_nPolygonPieces, 4u);
}

// Random lines wandering over the grid, some of their points put exactly on cell borders,
// some repeated: every piece lies in its cell, the pieces of a line are as long as the line,
// and every point of the line is in one of its pieces.
TEST(LineRegrid, RandomLinesAreCutIntoPiecesThatCoverThemInsideTheirCells) {
    std::mt19937 random(20240611);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const CSFRect bounds{-71.3, 40.2, -68.1, 42.7};
    std::vector<CSFLine> lines;
    CSFLayerLine probe;
    probe.m_rcBounds = bounds;
    std::vector<CSFFragment> cells;
    probe.BuildCells(10, 10, cells);
    for (int record = 1; record <= 300; ++record) {
        part points;
        CSFPt p{bounds.minX + unit(random) * 3.2, bounds.minY + unit(random) * 2.5};
        const int count = 2 + static_cast<int>(unit(random) * 40);
        for (int i = 0; i < count; ++i) {
            const double choice = unit(random);
            if (choice < 0.1) p.X = cells[static_cast<std::size_t>(random() % 10)].m_rcBox.minX;
            else if (choice < 0.2) p.Y = cells[static_cast<std::size_t>(random() % 10) * 10].m_rcBox.minY;
            points.push_back(p);
            if (choice > 0.95) points.push_back(p);
            p.X = std::clamp(p.X + (unit(random) - 0.5) * 1.2, bounds.minX, bounds.maxX);
            p.Y = std::clamp(p.Y + (unit(random) - 0.5) * 1.2, bounds.minY, bounds.maxY);
        }
        lines.push_back(line(record, points));
    }
    cut_lines cut(lines, bounds, 10, 10);
    ASSERT_EQ(cut.result, 0);
    std::uint32_t parts = 0, points = 0;
    std::map<int, std::vector<piece>> by_record;
    for (piece& p : cut.pieces()) {
        ++parts;
        points += static_cast<std::uint32_t>(p.points.size());
        for (const CSFPt& pt : p.points) ASSERT_TRUE(inside(cut.box(p.cell), pt)) << p.record;
        by_record[p.record].push_back(std::move(p));
    }
    EXPECT_EQ(cut.layer.m_nPieceParts, parts);
    EXPECT_EQ(cut.layer.m_nPiecePoints, points);
    for (const CSFLine& source : lines) {
        const auto& pieces = by_record[source.m_nRecord];
        double total = 0.0;
        for (const piece& p : pieces) total += length(p.points);
        // Points within 1e-5 of a border are moved onto it, which may change the length a little.
        EXPECT_NEAR(total, length(source.m_pPoints), 1e-9 + 3e-5 * source.m_pPoints.size()) << source.m_nRecord;
        for (const CSFPt& v : source.m_pPoints) {
            bool found = false;
            for (const piece& p : pieces)
                for (const CSFPt& q : p.points) found = found || std::hypot(q.X - v.X, q.Y - v.Y) <= 1.5e-5;
            ASSERT_TRUE(found) << source.m_nRecord;
        }
    }
}
