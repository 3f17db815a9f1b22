#include "vector/layer_polygon.h"

#include "platform/device_context.h"
#include "platform/file.h"

CSFLayerPolygon::CSFLayerPolygon(CSFMap* map) : CSFLayerLine(kLayerPolygon, map) { m_bFilled = 1; }

CSFShape* CSFLayerPolygon::GetShape(std::uint32_t index) { return &m_pPolygons[index]; }

int CSFLayerPolygon::CountRecords(platform::CFile& file) {
    CSFLayerLine::CountRecords(file);
    m_pPolygons.assign(m_nShapes, CSFPolygon{});
    return 0;
}

int CSFLayerPolygon::ReadShapes(platform::CFile& file) {
    // Every record twice: as the outline line, then as the filled polygon.
    StartRecords(file);
    for (CSFLine& line : m_pShapes)
        if (ReadRecord(file, line) != 0) return 2;
    file.Seek(100, platform::CFile::begin);
    for (CSFPolygon& polygon : m_pPolygons)
        if (ReadRecord(file, polygon) != 0) return 2;
    return 0;
}

void CSFLayerPolygon::DrawShapes(platform::CDC* dc) {
    FillPolygons(dc, false);
    StrokeLines(dc, false);
}

void CSFLayerPolygon::DrawCells(platform::CDC* dc) {
    if (m_pPolygonCells.empty()) return;
    FillPolygons(dc, true);
    StrokeLines(dc, true);
}

void CSFLayerPolygon::FillPolygons(platform::CDC* dc, bool by_cells) {
    georef::CTransform* transform = DisplayTransform();
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
