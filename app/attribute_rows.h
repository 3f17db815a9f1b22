#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace model {
class CSFLayer;
class CSFMap;
}  // namespace model

namespace app {

// One row of the attribute dialog: a field of a layer's attribute table, with what the
// operator chose for it. index -1 stands for the layer's whole table.
struct tagAtrItem {
    model::CSFLayer* layer = nullptr;
    std::int32_t save = 0;  // listed in hints and stored with the map
    std::int32_t draw = 0;  // drawn as the points' label
    std::int32_t index = 0;
};

// What the attribute dialog shows and does, apart from its window: the rows of the fields
// of the map's layers, the rules of clicking the Save and Draw cells, and OK.
class CAttributeRows {
public:
    // The fields of every layer of the map that passes the filter (a layer's index, -1 for
    // all) and has attributes. Each field goes in at the position of its index in its layer,
    // so the fields of a later layer come before those of an earlier one. No map: no rows.
    void Fill(const model::CSFMap* map, std::int32_t filter);

    int GetCount() const { return static_cast<int>(m_aItems.size()); }
    const tagAtrItem& GetItem(int row) const { return m_aItems[static_cast<std::size_t>(row)]; }
    std::string GetName(int row) const;

    // Save toggles; a field no longer saved is no longer drawn either.
    void ClickSave(int row);
    // Draw goes to this row alone, or off when it had it; only for a saved field.
    void ClickDraw(int row);
    // The choices into the layers.
    void Apply() const;

private:
    std::vector<tagAtrItem> m_aItems;
};

}  // namespace app
