#include "vector/layer_polygon.h"

#include "map/progress_indicator.h"
#include "map/sf_map.h"
#include "platform/device_context.h"
#include "platform/file.h"
#include "platform/file_io.h"
#include "shapes/cell_grid.h"
#include "shapes/piece.h"
#include "shapes/polygon_clip.h"

namespace model {

using namespace polygon_clip;

CSFLayerPolygon::CSFLayerPolygon(CSFMap* map) : CSFLayerLine(kLayerPolygon, map) { m_bFilled = 1; }

CSFShape* CSFLayerPolygon::GetShape(std::uint32_t index) {
    return index < m_pPolygons.size() ? &m_pPolygons[index] : nullptr;
}

int CSFLayerPolygon::CountRecords(platform::CFile& file) {
    CSFLayerLine::CountRecords(file);
    m_pPolygons.assign(m_nShapes, CSFPolygon{});
    return 0;
}

read_shapes_result CSFLayerPolygon::ReadShapes(platform::CFile& file) {
    // Every record twice: as the outline line, then as the filled polygon.
    start_records(file);
    for (CSFLine& line : m_pShapes)
        if (read_record(file, line) != shapes_read) return shape_unreadable;
    file.Seek(100, platform::CFile::begin);
    for (CSFPolygon& polygon : m_pPolygons)
        if (read_record(file, polygon) != shapes_read) return shape_unreadable;
    return shapes_read;
}

void CSFLayerPolygon::DrawShapes(platform::CDC* dc) {
    fill_polygons(dc, false);
    stroke_lines(dc, false);
}

void CSFLayerPolygon::DrawCells(platform::CDC* dc) {
    if (m_pPolygonCells.empty()) return;
    fill_polygons(dc, true);
    stroke_lines(dc, true);
}

void CSFLayerPolygon::fill_polygons(platform::CDC* dc, bool by_cells) {
    georef::CTransform* transform = display_transform();
    if (!transform) return;
    platform::CBrush brush(m_crFill);
    platform::CBrush* old_brush = dc->SelectObject(&brush);
    if (by_cells) {
        for (const CSFFragment& cell : m_pPolygonCells) cell.DrawShapes(dc, transform);
    } else {
        for (CSFPolygon& polygon : m_pPolygons) polygon.Draw(dc, transform);
    }
    dc->SelectObject(old_brush);
}

regrid_result CSFLayerPolygon::AllocateGrid(std::uint32_t columns, std::uint32_t rows) {
    return make_grid(columns, rows, m_pPolygonCells);
}

regrid_result CSFLayerPolygon::Regrid(std::uint32_t columns, std::uint32_t rows) {
    CSFLayerLine::Regrid(columns, rows);
    m_nPolygonPieces = m_nPolygonParts = m_nPolygonPoints = 0;
    if (AllocateGrid(columns, rows) != regrid_done) return regrid_failed;

    const progress_scope progress = open_progress(m_pPolygons.size());
    const cell_grid grid(m_pPolygonCells, m_nGridCols, m_nGridRows);
    gpc_polygon subject, clip, result;
    std::vector<gpc_vertex> ring;
    std::vector<CSFPt> piece;
    for (std::size_t i = 0; i < m_pPolygons.size(); ++i) {
        show_progress(i);
        const CSFPolygon& polygon = m_pPolygons[i];
        for (std::uint32_t k = 0; k < polygon.m_pParts.size(); ++k) {
            const part_range part = part_of(polygon, k);
            const CSFPt* points = polygon.m_pPoints.data() + part.begin;
            const std::size_t count = part.end - part.begin;
            // A ring can only have pieces in the cells its box meets; the other cells would
            // give empty intersections.
            CSFRect box;
            cell_grid::span span;
            if (!widen_by_points(points, count, box, false) || !grid.find_span(box, span)) continue;
            ring.clear();
            for (std::size_t p = 0; p < count; ++p) ring.push_back({points[p].X, points[p].Y});
            gpc_add_contour(subject, ring.data(), ring.size(), 1);
            for (std::uint32_t row = span.first_row; row <= span.last_row; ++row) {
                for (std::uint32_t column = span.first_column; column <= span.last_column; ++column) {
                    const int cell = static_cast<int>(row * m_nGridCols + column);
                    const CSFRect& c = grid.cell_box(cell);
                    const gpc_vertex corners[4] = {{c.minX, c.minY}, {c.maxX, c.minY}, {c.maxX, c.maxY}, {c.minX, c.maxY}};
                    gpc_add_contour(clip, corners, 4, 1);
                    gpc_polygon_clip(GPC_INT, subject, clip, result);
                    for (const gpc_vertex_list& contour : result.contour) {
                        piece.clear();
                        for (const gpc_vertex& v : contour.vertex) piece.push_back({v.x, v.y});
                        if (!piece.empty())
                            m_pPolygonCells[static_cast<std::size_t>(cell)].AddShape(
                                make_piece<CSFPolygon>(polygon.m_nRecord, piece));
                        ++m_nPolygonPieces;
                        ++m_nPolygonParts;
                        m_nPolygonPoints += static_cast<std::uint32_t>(piece.size());
                    }
                    gpc_free_polygon(result);
                    gpc_free_polygon(clip);
                }
            }
            gpc_free_polygon(subject);
        }
    }
    return regrid_done;
}

void CSFLayerPolygon::WriteDocument(platform::CFile& file) {
    write_base_fields(file);
    write_cells(file, m_nPolygonParts, m_nPolygonPoints, m_pPolygonCells);
    WriteLinePayload(file);
}

read_result CSFLayerPolygon::ReadDocument(platform::CFile& file) {
    if (read_base_fields(file) != read_ok) return read_failed;
    m_pCells.clear();
    if (read_cells(file, m_pPolygonCells, [] { return std::unique_ptr<CSFShape>(new CSFPolygon); }) != read_ok) return read_failed;
    if (m_pMap && m_pMap->GetVersion() == 3) {
        // The outlines come as a line layer record of their own, tag and all; its fill
        // colour is not the polygon layer's.
        std::int32_t tag = 0;
        if (!platform::file_io::read_i32(file, tag)) return read_failed;
        const platform::COLORREF fill = m_crFill;
        const read_result result = CSFLayerLine::ReadDocument(file);
        m_crFill = fill;
        return result;
    }
    return ReadLinePayload(file);
}

void CSFLayerPolygon::SetFromKTFLayer(const ktf_layer_source& layer) {
    take_objects(m_pPolygons, layer, kLayerPolygon);
}

}  // namespace model
