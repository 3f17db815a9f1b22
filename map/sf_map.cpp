#include "map/sf_map.h"

#include <algorithm>

#include "georef/transform.h"
#include "georef/tr_rss.h"
#include "map/sf_layer.h"

namespace model {

namespace {

constexpr double kPixelSize = 0.0003;

bool is_raster(const CSFLayer& layer) { return layer.m_nKind == kLayerImage || layer.m_nKind == kLayerRRE; }

}  // namespace

CSFMap::CSFMap()
    : m_pTransform(std::make_unique<georef::CTransform>()),
      m_pSnapTransform(std::make_unique<georef::CTrRSS>()) {}

CSFMap::~CSFMap() {
    // Layers go in index order, then the transforms they point to.
    for (auto& layer : m_aLayers) layer.reset();
}

std::uint32_t CSFMap::AddLayer(std::unique_ptr<CSFLayer> layer) {
    const std::uint32_t index = m_nLayerCount;
    layer->m_nIndex = index;
    layer->m_pMap = this;
    if (layer->m_nKind == kLayerIcons) m_nIconsLayer = static_cast<std::int32_t>(index);
    if (is_raster(*layer)) m_nRasterLayer = static_cast<std::int32_t>(index);
    if (layer->m_nKind == kLayerLine || layer->m_nKind == kLayerPolygon) m_rcBounds.Union(layer->m_rcBounds);
    m_aLayers.push_back(std::move(layer));
    ++m_nLayerCount;
    return index;
}

void CSFMap::renumber() {
    m_nIconsLayer = -1;
    m_nRasterLayer = -1;
    for (std::uint32_t i = 0; i < m_aLayers.size(); ++i) {
        CSFLayer& layer = *m_aLayers[i];
        layer.m_nIndex = i;
        if (layer.m_nKind == kLayerIcons) m_nIconsLayer = static_cast<std::int32_t>(i);
        if (layer.m_nKind == kLayerRRE) m_nRasterLayer = static_cast<std::int32_t>(i);
    }
}

remove_layer_result CSFMap::RemoveLayer(std::uint32_t index) {
    if (index >= m_nLayerCount || !m_aLayers[index]) return layer_missing;
    m_aLayers.erase(m_aLayers.begin() + index);
    --m_nLayerCount;
    renumber();
    return layer_removed;
}

void CSFMap::MoveLayer(std::uint32_t from, std::uint32_t to) {
    if (from >= m_nLayerCount) return;
    std::unique_ptr<CSFLayer> layer = std::move(m_aLayers[from]);
    m_aLayers.erase(m_aLayers.begin() + from);
    // A place beyond the end puts the layer last rather than leaving a gap.
    to = std::min<std::uint32_t>(to, static_cast<std::uint32_t>(m_aLayers.size()));
    m_aLayers.insert(m_aLayers.begin() + to, std::move(layer));
    renumber();
}

CSFLayer* CSFMap::GetLayer(std::uint32_t index) const {
    return index < m_nLayerCount ? m_aLayers[index].get() : nullptr;
}

CSFLayer* CSFMap::GetRasterLayer() const {
    return m_nRasterLayer < 0 ? nullptr : GetLayer(static_cast<std::uint32_t>(m_nRasterLayer));
}

CPicture* CSFMap::GetIcon(std::int32_t number) const {
    if (number < 0 || m_nIconsLayer < 0) return nullptr;
    const CSFLayer* icons = GetLayer(static_cast<std::uint32_t>(m_nIconsLayer));
    return icons ? icons->GetIcon(static_cast<std::uint32_t>(number)) : nullptr;
}

CSFLayer* CSFMap::NextVectorLayer(std::int32_t& position) const {
    auto is_vector = [](const CSFLayer& layer) {
        return layer.m_nKind != kLayerIcons && layer.m_nKind != kLayerRRE;
    };
    std::uint32_t i = position < 0 ? 0 : static_cast<std::uint32_t>(position);
    while (i < m_nLayerCount && !is_vector(*m_aLayers[i])) ++i;
    if (i >= m_nLayerCount) return nullptr;
    CSFLayer* found = m_aLayers[i].get();
    std::uint32_t next = i + 1;
    while (next < m_nLayerCount && !is_vector(*m_aLayers[next])) ++next;
    position = static_cast<std::int32_t>(next);
    return found;
}

void CSFMap::RecomputeBounds() {
    bool first = true;
    for (std::uint32_t i = 0; i < m_nLayerCount; ++i) {
        if (static_cast<std::int32_t>(i) == m_nIconsLayer) continue;
        const CSFRect& bounds = m_aLayers[i]->m_rcBounds;
        if (first)
            m_rcBounds = bounds;
        else
            m_rcBounds.Union(bounds);
        first = false;
    }
}

int CSFMap::ShowHintAt(platform::CPoint screen, platform::CPoint mouse, int cells) {
    if (m_nSelectedLayer < 0) return 0;
    CSFLayer* layer = GetLayer(static_cast<std::uint32_t>(m_nSelectedLayer));
    return layer ? layer->ShowHint(screen, mouse, cells) : 0;
}

void CSFMap::DrawLayers(platform::CDC* dc) {
    for (auto& layer : m_aLayers)
        if (layer->IsVisible()) layer->DrawShapes(dc);
}

void CSFMap::DrawLayersGrid(platform::CDC* dc) {
    for (auto& layer : m_aLayers)
        if (layer->IsVisible()) layer->DrawCells(dc);
    // An opened map takes its raster fit from the RRE layer it ends with, which kept its own.
    if (!m_aLayers.empty() && m_aLayers.back()->m_nKind == kLayerRRE)
        if (const georef::CTrRSS* snap = m_aLayers.back()->get_snap_copy()) *m_pSnapTransform = *snap;
}

void CSFMap::RegridLayers(std::uint32_t columns, std::uint32_t rows) {
    for (auto& layer : m_aLayers)
        if (layer->IsVisible()) layer->Regrid(columns, rows);
}

void CSFMap::SetViewport(int width, int height) {
    m_pTransform->SetScreen(width, height, kPixelSize);
    m_pTransform->Update();
}

void CSFMap::ZoomToExtent() {
    m_pTransform->FitBounds(m_rcBounds.minX, m_rcBounds.minY, m_rcBounds.maxX, m_rcBounds.maxY);
    m_pTransform->Update();
}

void CSFMap::ZoomIn() {
    m_pTransform->SetScale(m_pTransform->GetScale() * 2);
    m_pTransform->Update();
}

void CSFMap::ZoomOut() {
    m_pTransform->SetScale(m_pTransform->GetScale() / 2);
    m_pTransform->Update();
}

void CSFMap::Rotate(double radians) {
    const georef::CPt2 centre = m_pTransform->GetCentre();
    m_pTransform->SetCentre(centre.x, centre.y, m_pTransform->GetRotation() + radians);
    m_pTransform->Update();
}

CSFPt CSFMap::ScreenToGeo(platform::CPoint point) const {
    if (GetRasterLayer()) {
        if (!m_pSnapTransform->IsValid()) return {};
        const georef::CPt geo = m_pSnapTransform->Forward(georef::CPt(point.x, point.y));
        return {geo.x, geo.y};
    }
    const georef::CPt2 geo = m_pTransform->ScreenToGeo(point);
    return {geo.x, geo.y};
}

}  // namespace model
