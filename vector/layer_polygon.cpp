#include "vector/layer_polygon.h"

#include "map/progress_indicator.h"
#include "map/sf_map.h"
#include "platform/device_context.h"
#include "platform/file.h"
#include "platform/file_io.h"
#include "shapes/cell_grid.h"
#include "shapes/piece.h"
#include "shapes/polygon_cutter.h"

namespace model {

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
    m_nOutlineResult = CSFLayerLine::Regrid(columns, rows);
    m_nPolygonPieces = m_nPolygonParts = m_nPolygonPoints = 0;
    if (AllocateGrid(columns, rows) != regrid_done) return regrid_failed;

    const progress_scope progress = open_progress(m_pPolygons.size());
    const cell_grid grid(m_pPolygonCells, m_nGridCols, m_nGridRows);
    std::int32_t record = 0;
    polygon_cutter cutter(grid, [&](int cell, const std::vector<CSFPt>& piece) {
        m_pPolygonCells[static_cast<std::size_t>(cell)].AddShape(make_piece<CSFPolygon>(record, piece));
        ++m_nPolygonPieces;
        ++m_nPolygonParts;
        m_nPolygonPoints += static_cast<std::uint32_t>(piece.size());
    });
    std::vector<polygon_cutter::ring> rings;
    for (std::size_t i = 0; i < m_pPolygons.size(); ++i) {
        show_progress(i);
        const CSFPolygon& polygon = m_pPolygons[i];
        record = polygon.m_nRecord;
        rings.clear();
        for (std::uint32_t k = 0; k < polygon.m_pParts.size(); ++k) {
            const part_range part = part_of(polygon, k);
            rings.push_back({polygon.m_pPoints.data() + part.begin, part.end - part.begin});
        }
        cutter.cut_polygon(rings);
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
    if (read_cells(file, m_pPolygonCells, [] { return std::unique_ptr<CSFShape>(new CSFPolygon); }, m_nPolygonParts,
                   m_nPolygonPoints) != read_ok)
        return read_failed;
    m_nPolygonPieces = m_nPolygonParts;
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
