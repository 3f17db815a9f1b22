#include "formats/ktf_layer.h"

#include <cstring>
#include <string_view>

namespace formats {

std::int32_t CKTFLayer::Parse(std::string_view text) { return ParseLines(text); }

const CKTFObject* CKTFLayer::GetObject(int i) const {
    return i >= 0 && i < GetObjectCount() ? &objects[static_cast<std::size_t>(i)] : nullptr;
}

CKTFLayer CKTFLayer::Select(std::int16_t type) const {
    CKTFLayer selected;
    std::memcpy(selected.description, description, sizeof description);
    for (const CKTFObject& object : objects)
        if (object.type == type) selected.objects.push_back(object);
    return selected;
}

std::int32_t CKTFLayer::ParseLine(const std::string& line, line_context& context) {
    if (std::string_view(line).starts_with("Description")) {
        SetText(description, sizeof description, ValueOf(line));
        return 0;
    }
    if (line == "Object") {
        CKTFObject object;
        if (ParseNested(object, context) != 0) return status;
        objects.push_back(std::move(object));
        return 0;
    }
    return Fail(statusUnknownKey);
}

}  // namespace formats
