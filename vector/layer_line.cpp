#include "vector/layer_line.h"

#include "platform/device_context.h"

CSFLayerLine::CSFLayerLine(CSFMap* map) : CSFLayerLine(kLayerLine, map) {}

CSFLayerLine::CSFLayerLine(std::uint32_t kind, CSFMap* map) : CSFLayer(kind, map) {}

CSFShape* CSFLayerLine::GetShape(std::uint32_t index) { return &m_pShapes[index]; }

int CSFLayerLine::CountRecords(platform::CFile& file) {
    CSFLayer::CountRecords(file);
    m_pShapes.assign(m_nShapes, CSFLine{});
    return 0;
}

void CSFLayerLine::DrawShapes(platform::CDC* dc) { StrokeLines(dc, false); }

void CSFLayerLine::DrawCells(platform::CDC* dc) { StrokeLines(dc, true); }

void CSFLayerLine::StrokeLines(platform::CDC* dc, bool by_cells) {
    georef::CTransform* transform = DisplayTransform();
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
