#include "vector/layer_line.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>
#include <new>

#include "map/progress_indicator.h"
#include "platform/device_context.h"
#include "platform/file.h"
#include "platform/file_io.h"
#include "platform/ui_service.h"
#include "shapes/cell_grid.h"
#include "shapes/line_cutter.h"
#include "shapes/piece.h"
#include "shapes/sf_polygon.h"
#include "map/ktf_source.h"

using namespace platform::file_io;

namespace model {

namespace {

// Far more cells than any map needs; a larger grid is refused rather than attempted.
constexpr std::uint64_t kMaxCells = std::uint64_t{1} << 20;
// The smallest line or polygon record of the map document: record number and two counts.
constexpr std::uint64_t kMinShapeRecord = 12;

int clamp_to_int(std::size_t value) { return static_cast<int>(std::min<std::size_t>(value, INT_MAX)); }

}  // namespace

CSFLayerLine::CSFLayerLine(CSFMap* map) : CSFLayerLine(kLayerLine, map) {}

CSFLayerLine::CSFLayerLine(std::uint32_t kind, CSFMap* map) : CSFLayer(kind, map) {}

CSFShape* CSFLayerLine::GetShape(std::uint32_t index) {
    return index < m_pShapes.size() ? &m_pShapes[index] : nullptr;
}

int CSFLayerLine::CountRecords(platform::CFile& file) {
    CSFLayer::CountRecords(file);
    m_pShapes.assign(m_nShapes, CSFLine{});
    return 0;
}

void CSFLayerLine::DrawShapes(platform::CDC* dc) { stroke_lines(dc, false); }

void CSFLayerLine::DrawCells(platform::CDC* dc) { stroke_lines(dc, true); }

void CSFLayerLine::stroke_lines(platform::CDC* dc, bool by_cells) {
    georef::CTransform* transform = display_transform();
    if (!transform || (by_cells && m_pLineCells.empty())) return;
    platform::CPen pen(platform::PS_SOLID, 1, m_crContour);
    platform::CPen* old_pen = dc->SelectObject(&pen);
    if (by_cells) {
        for (const CSFFragment& cell : m_pLineCells) cell.DrawShapes(dc, transform);
    } else {
        for (CSFLine& line : m_pShapes) line.Draw(dc, transform);
    }
    dc->SelectObject(old_pen);
}

regrid_result CSFLayerLine::make_grid(std::uint32_t columns, std::uint32_t rows, std::vector<CSFFragment>& cells) {
    cells.clear();
    if (columns == 0 || rows == 0 || std::uint64_t{columns} * rows > kMaxCells) return regrid_failed;
    try {
        BuildCells(columns, rows, cells);
    } catch (const std::bad_alloc&) {
        cells.clear();
        return regrid_failed;
    }
    return regrid_done;
}

regrid_result CSFLayerLine::AllocateGrid(std::uint32_t columns, std::uint32_t rows) {
    return make_grid(columns, rows, m_pLineCells);
}

regrid_result CSFLayerLine::FillGrid(std::uint32_t columns, std::uint32_t rows) { return AllocateGrid(columns, rows); }

CSFLayerLine::progress_scope CSFLayerLine::open_progress(std::size_t count) {
    m_pProgress = std::make_unique<CProgressIndicator>();
    m_pProgress->SetRange(0, clamp_to_int(count) - 1);
    m_pProgress->Create();
    return progress_scope(*this);
}

CSFLayerLine::progress_scope::~progress_scope() {
    if (!m_layer.m_pProgress) return;
    m_layer.m_pProgress->Destroy();
    m_layer.m_pProgress.reset();
}

void CSFLayerLine::show_progress(std::size_t index) {
    if (m_pProgress) m_pProgress->SetPos(clamp_to_int(index));
}

regrid_result CSFLayerLine::Regrid(std::uint32_t columns, std::uint32_t rows) {
    m_nPieceParts = m_nPiecePoints = m_nGridShapes = 0;
    // The line cells, also when a polygon layer cuts its outlines here.
    if (CSFLayerLine::AllocateGrid(columns, rows) != regrid_done) return regrid_failed;

    const progress_scope progress = open_progress(m_pShapes.size());

    const cell_grid grid(m_pLineCells, m_nGridCols, m_nGridRows);
    std::int32_t record = 0;
    line_cutter cutter(grid, [&](int cell, const std::vector<CSFPt>& piece) {
        const std::uint32_t points = static_cast<std::uint32_t>(piece.size());
        m_pLineCells[static_cast<std::size_t>(cell)].AddShape(make_piece<CSFLine>(record, piece));
        ++m_nPieceParts;
        ++m_nGridShapes;
        m_nPiecePoints += points;
    });
    for (std::size_t i = 0; i < m_pShapes.size(); ++i) {
        show_progress(i);
        const CSFLine& line = m_pShapes[i];
        record = line.m_nRecord;
        for (std::uint32_t k = 0; k < line.m_pParts.size(); ++k) {
            const part_range part = part_of(line, k);
            if (cutter.cut_part(line.m_pPoints.data() + part.begin, part.end - part.begin)) continue;
            char text[96];
            std::snprintf(text, sizeof text, "The point is out of map bounds. Layer index is - %d",
                          static_cast<int>(m_nIndex));
            platform::AfxMessageBox(text);
            return regrid_failed;
        }
    }
    return regrid_done;
}

read_result CSFLayerLine::read_cells(platform::CFile& file, std::vector<CSFFragment>& cells, piece_factory make,
                                     std::uint32_t& parts, std::uint32_t& points) {
    cells.clear();
    cells.resize(m_nCellCount);
    // Reading needs neither count; they are kept so that the layer is written as it was read.
    if (!read_u32(file, parts) || !read_u32(file, points)) return read_failed;
    for (CSFFragment& cell : cells) {
        if (!cell.Read(file)) return read_failed;
        const std::uint32_t count = cell.m_nShapeCount;
        if (count > bytes_left(file) / kMinShapeRecord) return read_failed;
        for (std::uint32_t i = 0; i < count; ++i) {
            std::unique_ptr<CSFShape> shape = make();
            if (shape->Read(file) != read_ok) return read_failed;
            cell.AddShape(std::move(shape));
        }
    }
    return read_ok;
}

void CSFLayerLine::write_cells(platform::CFile& file, std::uint32_t parts, std::uint32_t points,
                               const std::vector<CSFFragment>& cells) const {
    write_u32(file, parts);
    write_u32(file, points);
    // As many cells as the base fields announce, or the document could not be read back.
    const CSFFragment empty;
    for (std::uint32_t i = 0; i < m_nCellCount; ++i) (i < cells.size() ? cells[i] : empty).Write(file);
}

read_result CSFLayerLine::ReadLinePayload(platform::CFile& file) {
    return read_cells(file, m_pLineCells, [] { return std::unique_ptr<CSFShape>(new CSFLine); }, m_nPieceParts,
                      m_nPiecePoints);
}

void CSFLayerLine::WriteLinePayload(platform::CFile& file) {
    write_cells(file, m_nPieceParts, m_nPiecePoints, m_pLineCells);
}

read_result CSFLayerLine::ReadDocument(platform::CFile& file) {
    if (read_base_fields(file) != read_ok) return read_failed;
    m_pCells.clear();
    return ReadLinePayload(file);
}

void CSFLayerLine::WriteDocument(platform::CFile& file) {
    write_base_fields(file);
    WriteLinePayload(file);
}

template <class Shape>
void CSFLayerLine::take_objects(std::vector<Shape>& shapes, const ktf_layer_source& layer, std::int32_t shape_type) {
    shapes.clear();
    m_strName = kKTFLayerName;
    m_nShapes = static_cast<std::uint32_t>(std::max(0, layer.get_object_count()));
    shapes.resize(m_nShapes);
    CSFRect bounds;
    bool started = false;
    for (std::uint32_t i = 0; i < m_nShapes; ++i) {
        Shape& shape = shapes[i];
        shape.SetFromObject(layer.get_object(static_cast<int>(i)));
        started = widen_by_points(shape.m_pPoints.data(), shape.m_pPoints.size(), bounds, started);
    }
    m_rcBounds = bounds;
    m_header.m_dXmin = bounds.minX;
    m_header.m_dYmin = bounds.minY;
    m_header.m_dXmax = bounds.maxX;
    m_header.m_dYmax = bounds.maxY;
    m_header.m_nShapeType = shape_type;
}

template void CSFLayerLine::take_objects(std::vector<CSFLine>&, const ktf_layer_source&, std::int32_t);
template void CSFLayerLine::take_objects(std::vector<CSFPolygon>&, const ktf_layer_source&, std::int32_t);

void CSFLayerLine::SetFromKTFLayer(const ktf_layer_source& layer) { take_objects(m_pShapes, layer, kLayerLine); }

}  // namespace model
