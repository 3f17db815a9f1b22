#pragma once

#include <cstdint>
#include <vector>

#include "formats/ktf.h"
#include "formats/ktf_layer.h"

namespace formats {

// The group of layers a text export holds.
class CKTFLayerGroup : public CKTF {
public:
    CKTFLayerGroup() = default;
    std::int32_t Parse(std::string_view text) override;

    int GetLayerCount() const { return static_cast<int>(layers.size()); }
    // The layer at i, or none when i is not one of the group's.
    const CKTFLayer* GetLayer(int i) const;

    char description[260] = {};
    char datum[30] = {};
    char createdOn[25] = {};
    std::vector<CKTFLayer> layers;

protected:
    std::int32_t ParseLine(const std::string& line, line_context& context) override;
};

}  // namespace formats
