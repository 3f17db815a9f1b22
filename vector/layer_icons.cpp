#include "vector/layer_icons.h"

CSFLayerIcons::CSFLayerIcons(CSFMap* map) : CSFLayer(kLayerIcons, map) {}

CSFLayerIcons::~CSFLayerIcons() = default;

void CSFLayerIcons::AddIcon(std::unique_ptr<CPicture> picture) {
    picture->m_nNumber = m_nIcons;
    m_aIcons.push_back(std::move(picture));
    m_nIcons = static_cast<std::uint32_t>(m_aIcons.size());
}

CPicture* CSFLayerIcons::GetIcon(std::uint32_t number) const {
    return number < m_aIcons.size() ? m_aIcons[number].get() : nullptr;
}
