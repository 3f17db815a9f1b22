#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/map_input.h"
#include "map/sf_map.h"
#include "platform/code_page.h"
#include "vector/layer_line.h"
#include "vector/layer_polygon.h"

namespace cli {
namespace {

constexpr std::uint32_t kMaxSide = 1000;

value points_of(const model::CSFLine& shape) {
    value::array points;
    for (const model::CSFPt& p : shape.m_pPoints) points.emplace_back(value::array{p.X, p.Y});
    return points;
}

void add_pieces(value::array& pieces, const std::vector<model::CSFFragment>& cells, const char* kind) {
    for (const model::CSFFragment& cell : cells) {
        for (const auto& shape : cell.m_aShapes) {
            const auto& piece = static_cast<const model::CSFLine&>(*shape);
            pieces.emplace_back(value::object{
                {"cell", cell.m_nCell},
                {"record", piece.m_nRecord},
                {"kind", kind},
                {"points", points_of(piece)},
            });
        }
    }
}

}  // namespace

int run_regrid(const std::vector<std::string>& raw) {
    arguments args(raw, {{"--grid", true}, {"--json", false}, {"--pieces", false}});
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

    value::object report{
        // Layer names are kept in the system's 8-bit character set; they are shown as UTF-8.
        {"layer", platform::utf16_to_utf8(platform::to_utf16(layer->m_strName, platform::system_code_page()))},
        {"kind", polygons ? "polygon" : "line"},
        {"shapes", layer->m_nShapes},
        {"columns", layer->m_nGridCols},
        {"rows", layer->m_nGridRows},
        {"result", static_cast<int>(result)},
        {"piece_parts", lines->m_nPieceParts},
        {"piece_points", lines->m_nPiecePoints},
        {"grid_shapes", layer->m_nGridShapes},
    };
    if (polygons) {
        report.emplace_back("polygon_pieces", polygons->m_nPolygonPieces);
        report.emplace_back("polygon_parts", polygons->m_nPolygonParts);
        report.emplace_back("polygon_points", polygons->m_nPolygonPoints);
    }
    value::array cells;
    for (std::size_t k = 0; k < lines->m_pLineCells.size(); ++k) {
        const model::CSFFragment& cell = lines->m_pLineCells[k];
        value::object entry{{"cell", cell.m_nCell}, {"box", box_value(cell.m_rcBox)}, {"lines", cell.m_nShapeCount}};
        if (polygons && k < polygons->m_pPolygonCells.size())
            entry.emplace_back("polygons", polygons->m_pPolygonCells[k].m_nShapeCount);
        cells.emplace_back(std::move(entry));
    }
    report.emplace_back("cells", std::move(cells));

    const bool pieces = args.has("--pieces");
    if (pieces) {
        value::array list;
        add_pieces(list, lines->m_pLineCells, "line");
        if (polygons) add_pieces(list, polygons->m_pPolygonCells, "polygon");
        report.emplace_back("pieces", std::move(list));
    }
    print_report(report, pieces || args.has("--json"));
    return result == model::regrid_done ? exit_ok : exit_input;
}

}  // namespace cli
