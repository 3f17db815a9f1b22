#include "app/attribute_rows.h"

#include <algorithm>

#include "map/sf_layer.h"
#include "map/sf_map.h"

namespace app {

namespace {

bool flag(const std::vector<std::uint8_t>& flags, std::size_t i) { return i < flags.size() && flags[i] != 0; }

void set_flag(std::vector<std::uint8_t>& flags, std::size_t i, bool on, std::size_t count) {
    if (flags.size() < count) flags.resize(count, 0);
    if (i < flags.size()) flags[i] = on ? 1 : 0;
}

}  // namespace

void CAttributeRows::Fill(const model::CSFMap* map, std::int32_t filter) {
    m_aItems.clear();
    if (!map) return;
    for (std::uint32_t l = 0; l < map->GetLayerCount(); ++l) {
        model::CSFLayer* layer = map->GetLayer(l);
        if (!layer || (filter >= 0 && static_cast<std::uint32_t>(filter) != l) || !layer->m_bAttributes) continue;
        for (std::size_t i = 0; i < layer->m_aFieldNames.size(); ++i) {
            const tagAtrItem item{layer, flag(layer->m_aFieldShown, i), flag(layer->m_aFieldLabel, i),
                                  static_cast<std::int32_t>(i)};
            const std::size_t at = std::min(i, m_aItems.size());
            m_aItems.insert(m_aItems.begin() + static_cast<std::ptrdiff_t>(at), item);
        }
    }
}

std::string CAttributeRows::GetName(int row) const {
    const tagAtrItem& item = GetItem(row);
    if (item.index < 0) return item.layer->m_strName;
    const auto i = static_cast<std::size_t>(item.index);
    return i < item.layer->m_aFieldNames.size() ? item.layer->m_aFieldNames[i] : std::string();
}

void CAttributeRows::ClickSave(int row) {
    tagAtrItem& item = m_aItems[static_cast<std::size_t>(row)];
    item.save = !item.save;
    if (!item.save) item.draw = 0;
}

void CAttributeRows::ClickDraw(int row) {
    if (!m_aItems[static_cast<std::size_t>(row)].save) return;
    int had = -1;
    for (std::size_t r = 0; r < m_aItems.size(); ++r) {
        if (m_aItems[r].draw) had = static_cast<int>(r);
        m_aItems[r].draw = 0;
    }
    if (had != row) m_aItems[static_cast<std::size_t>(row)].draw = 1;
}

void CAttributeRows::Apply() const {
    for (const tagAtrItem& item : m_aItems) {
        model::CSFLayer& layer = *item.layer;
        if (item.index < 0) {
            layer.m_bAttributes = item.save;
            continue;
        }
        const auto i = static_cast<std::size_t>(item.index);
        const std::size_t count = layer.m_aFieldNames.size();
        set_flag(layer.m_aFieldShown, i, item.save != 0, count);
        set_flag(layer.m_aFieldLabel, i, item.draw != 0, count);
    }
}

}  // namespace app
