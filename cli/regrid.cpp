#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/map_input.h"
#include "map/sf_map.h"
#include "vector/layer_line.h"
#include "vector/layer_polygon.h"

namespace cli {
namespace {

constexpr std::uint32_t kMaxSide = 1000;

value points_of(const model::CSFLine& shape) {
    value::array points;
    points.reserve(shape.m_pPoints.size());
    for (const model::CSFPt& p : shape.m_pPoints) points.emplace_back(value::array{p.X, p.Y});
    return points;
}

// Piece by piece as they lie in the cells: a report of a million pieces is never held whole.
void write_pieces(report_writer& out, const std::vector<model::CSFFragment>& cells, const char* kind) {
    for (const model::CSFFragment& cell : cells) {
        for (const auto& shape : cell.m_aShapes) {
            const auto& piece = static_cast<const model::CSFLine&>(*shape);
            out.item(value::object{
                {"cell", cell.m_nCell},
                {"record", piece.m_nRecord},
                {"kind", kind},
                {"points", points_of(piece)},
            });
        }
    }
}

}  // namespace

int run_regrid(const arguments& args) {
    if (args.positional().size() != 1) throw usage_error("regrid takes exactly one FILE.shp");
    const std::string& path = args.positional()[0];
    const auto [columns, rows] = parse_dimensions(args.get("--grid", "10x10"), "--grid", "COLUMNSxROWS", kMaxSide);

    model::CSFMap map;
    model::CSFLayer* layer = add_layer(map, path);
    auto* lines = dynamic_cast<model::CSFLayerLine*>(layer);
    if (!lines) throw input_error(path + ": regrid cuts line and polygon layers only");
    auto* polygons = dynamic_cast<model::CSFLayerPolygon*>(layer);

    // As the map is saved: the layer cuts itself into the grid, and what it holds is reported.
    const model::regrid_result result = layer->Regrid(columns, rows);
    // The grids are refused only when their cells cannot be had.
    if (lines->m_pLineCells.empty() || (polygons && polygons->m_pPolygonCells.empty()))
        throw cannot("cut", path, "out of memory for a grid of " + std::to_string(columns) + " x " + std::to_string(rows) +
                                      " cells");
    // The polygon pass goes on after the outlines failed; the cut is then incomplete all the same.
    const bool outlines_failed = polygons && polygons->outline_result() != model::regrid_done;

    const bool pieces = args.has("--pieces");
    report_writer out(stdout, pieces || args.has("--json"));
    out.member("layer", layer_name(*layer));
    out.member("kind", polygons ? "polygon" : "line");
    out.member("shapes", layer->m_nShapes);
    out.member("columns", layer->m_nGridCols);
    out.member("rows", layer->m_nGridRows);
    out.member("result", static_cast<int>(result));
    if (polygons) out.member("outline_result", static_cast<int>(polygons->outline_result()));
    out.member("piece_parts", lines->m_nPieceParts);
    out.member("piece_points", lines->m_nPiecePoints);
    out.member("grid_shapes", layer->m_nGridShapes);
    if (polygons) {
        out.member("polygon_pieces", polygons->m_nPolygonPieces);
        out.member("polygon_parts", polygons->m_nPolygonParts);
        out.member("polygon_points", polygons->m_nPolygonPoints);
    }
    out.begin_array("cells");
    for (std::size_t k = 0; k < lines->m_pLineCells.size(); ++k) {
        const model::CSFFragment& cell = lines->m_pLineCells[k];
        value::object entry{{"cell", cell.m_nCell}, {"box", box_value(cell.m_rcBox)}, {"lines", cell.m_nShapeCount}};
        if (polygons && k < polygons->m_pPolygonCells.size())
            entry.emplace_back("polygons", polygons->m_pPolygonCells[k].m_nShapeCount);
        out.item(entry);
    }
    out.end_array();
    if (pieces) {
        out.begin_array("pieces");
        write_pieces(out, lines->m_pLineCells, "line");
        if (polygons) write_pieces(out, polygons->m_pPolygonCells, "polygon");
        out.end_array();
    }
    out.finish();
    return result == model::regrid_done && !outlines_failed ? exit_ok : exit_input;
}

}  // namespace cli
