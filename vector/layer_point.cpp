#include "vector/layer_point.h"

#include <algorithm>
#include <cstdio>

#include "map/sf_map.h"
#include "platform/device_context.h"
#include "platform/file.h"
#include "platform/file_io.h"
#include "platform/ui_service.h"
#include "map/ktf_source.h"

using namespace platform::file_io;

namespace model {

namespace {

// A point record in the map document: record number and two doubles.
constexpr std::uint64_t point_record_size = 20;

}  // namespace

CSFLayerPoint::CSFLayerPoint(CSFMap* map) : CSFLayer(kLayerPoint, map) {}

CSFShape* CSFLayerPoint::GetShape(std::uint32_t index) { return &m_pShapes[index]; }

int CSFLayerPoint::CountRecords(platform::CFile& file) {
    CSFLayer::CountRecords(file);
    m_pShapes.assign(m_nShapes, CSFPoint{});
    return 0;
}

void CSFLayerPoint::DrawShapes(platform::CDC* dc) { draw(dc, false); }

void CSFLayerPoint::DrawCells(platform::CDC* dc) { draw(dc, true); }

void CSFLayerPoint::draw(platform::CDC* dc, bool by_cells) {
    georef::CTransform* transform = display_transform();
    if (!transform || (by_cells && m_pCells.empty())) return;
    CPicture* icon = m_pMap ? m_pMap->GetIcon(m_nIcon) : nullptr;
    platform::CPen pen(platform::PS_SOLID, 1, m_crContour);
    platform::CBrush brush(m_crFill);
    platform::CPen* old_pen = dc->SelectObject(&pen);
    // Circles of points without an icon are filled with the layer's fill colour.
    platform::CBrush* old_brush = dc->SelectObject(&brush);
    dc->SetBkMode(platform::TRANSPARENT);
    if (by_cells) {
        for (const CSFFragment& cell : m_pCells) cell.DrawPoints(dc, transform, icon, &m_aFieldLabel);
    } else {
        for (CSFPoint& point : m_pShapes) point.DrawPoint(dc, transform, icon, &m_aFieldLabel);
    }
    dc->SelectObject(old_brush);
    dc->SelectObject(old_pen);
}

regrid_result CSFLayerPoint::Regrid(std::uint32_t columns, std::uint32_t rows) {
    if (AllocateGrid(columns, rows) != regrid_done) return regrid_failed;
    for (const CSFPoint& point : m_pShapes) {
        const int cell = find_cell(point.m_pt);
        if (cell < 0) {
            char text[96];
            std::snprintf(text, sizeof text, "The point is out of map bounds. Layer index is - %d",
                          static_cast<int>(m_nIndex));
            platform::AfxMessageBox(text);
            return regrid_failed;
        }
        auto copy = std::make_unique<CSFPoint>();
        copy->m_pt = point.m_pt;
        copy->m_aAttributes = point.m_aAttributes;
        m_pCells[static_cast<std::size_t>(cell)].AddShape(std::move(copy));
    }
    m_nGridShapes = m_nShapes;
    return regrid_done;
}

void CSFLayerPoint::WriteDocument(platform::CFile& file) {
    write_base_fields(file);
    write_i32(file, m_nIcon);
    for (const CSFFragment& cell : m_pCells) cell.Write(file);
    WriteAttributes(file);
}

read_result CSFLayerPoint::ReadDocument(platform::CFile& file) {
    if (read_base_fields(file) != read_ok) return read_failed;
    if (!read_i32(file, m_nIcon)) return read_failed;
    for (CSFFragment& cell : m_pCells) {
        if (!cell.Read(file)) return read_failed;
        if (cell.m_nShapeCount > bytes_left(file) / point_record_size) return read_failed;
        const std::uint32_t count = cell.m_nShapeCount;
        for (std::uint32_t i = 0; i < count; ++i) {
            auto point = std::make_unique<CSFPoint>();
            if (point->Read(file) != read_ok) return read_failed;
            cell.AddShape(std::move(point));
        }
    }
    return ReadAttributes(file);
}

void CSFLayerPoint::SetFromKTFLayer(const ktf_layer_source& layer) {
    m_pShapes.clear();
    m_strName = kKTFLayerName;
    const int count = std::max(0, layer.get_object_count());
    m_nShapes = static_cast<std::uint32_t>(count);
    m_pShapes.resize(m_nShapes);
    CSFRect bounds;
    bool empty = true;
    for (int i = 0; i < count; ++i) {
        const point_source& object = layer.get_object(i);
        m_pShapes[static_cast<std::size_t>(i)].SetFromObject(object);
        const int points = object.GetPointCount();
        for (int k = 0; k < points; ++k) {
            double x = 0, y = 0;
            if (object.GetPoint(k, x, y) != 0) continue;
            // The first point starts the box even when the box so far happens to sum to zero.
            if (empty) {
                bounds = {x, y, x, y};
                empty = false;
            } else {
                bounds.Union({x, y, x, y});
            }
        }
    }
    m_rcBounds = bounds;
    m_header.m_dXmin = bounds.minX;
    m_header.m_dYmin = bounds.minY;
    m_header.m_dXmax = bounds.maxX;
    m_header.m_dYmax = bounds.maxY;
    m_header.m_nShapeType = kLayerPoint;
}

}  // namespace model
