#include "vector/layer_point.h"

#include "map/sf_map.h"
#include "platform/device_context.h"

CSFLayerPoint::CSFLayerPoint(CSFMap* map) : CSFLayer(kLayerPoint, map) {}

CSFShape* CSFLayerPoint::GetShape(std::uint32_t index) { return &m_pShapes[index]; }

int CSFLayerPoint::CountRecords(platform::CFile& file) {
    CSFLayer::CountRecords(file);
    m_pShapes.assign(m_nShapes, CSFPoint{});
    return 0;
}

void CSFLayerPoint::DrawShapes(platform::CDC* dc) { Draw(dc, false); }

void CSFLayerPoint::DrawCells(platform::CDC* dc) { Draw(dc, true); }

void CSFLayerPoint::Draw(platform::CDC* dc, bool by_cells) {
    georef::CTransform* transform = DisplayTransform();
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
