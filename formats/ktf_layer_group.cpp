#include "formats/ktf_layer_group.h"

#include <string_view>

namespace formats {

std::int32_t CKTFLayerGroup::Parse(std::string_view text) { return ParseLines(text); }

const CKTFLayer* CKTFLayerGroup::GetLayer(int i) const {
    return i >= 0 && i < GetLayerCount() ? &layers[static_cast<std::size_t>(i)] : nullptr;
}

std::int32_t CKTFLayerGroup::ParseLine(const std::string& line, line_context& context) {
    const std::string_view key(line);
    if (key.starts_with("Description")) {
        SetText(description, sizeof description, ValueOf(line));
    } else if (key.starts_with("Datum")) {
        SetText(datum, sizeof datum, ValueOf(line));
    } else if (key.starts_with("CreatedOn")) {
        SetText(createdOn, sizeof createdOn, ValueOf(line));
    } else if (line == "Layer") {
        CKTFLayer layer;
        if (ParseNested(layer, context) != 0) return status;
        layers.push_back(std::move(layer));
    } else {
        return Fail(statusUnknownKey);
    }
    return 0;
}

}  // namespace formats
