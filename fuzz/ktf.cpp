// A text export parsed from memory, and its layers split by object type as the map takes them.

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "formats/ktf_file.h"

namespace {

template <std::size_t N>
void check_terminated(const char (&field)[N]) {
    if (!std::memchr(field, 0, N)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    formats::CKTFFile file;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::int32_t status = file.Parse(text);
    if (status < formats::CKTF::statusParsed || status > formats::CKTF::statusUnknownType) std::abort();
    // The line of an error lies in the text, or just past its end.
    std::int32_t lines = 1;
    for (char c : text.substr(0, text.find('\0'))) lines += c == '\n';
    if (file.GetErrorFileLine() < 0 || file.GetErrorFileLine() > lines + 1) std::abort();

    const formats::CKTFLayerGroup& group = file.group;
    check_terminated(group.description);
    check_terminated(group.datum);
    check_terminated(group.createdOn);
    for (int i = 0; i < group.GetLayerCount(); ++i) {
        const formats::CKTFLayer* layer = group.GetLayer(i);
        check_terminated(layer->description);
        int selected = 0;
        for (std::int16_t type = 0; type <= 3; ++type) {
            const formats::CKTFLayer kind = layer->Select(type);
            selected += kind.GetObjectCount();
            for (int k = 0; k < kind.GetObjectCount(); ++k) {
                const formats::CKTFObject& object = *kind.GetObject(k);
                if (object.type != type) std::abort();
                check_terminated(object.label);
                check_terminated(object.fontName);
                double x, y, z;
                for (int p = 0; p < object.GetPointCount(); ++p)
                    if (object.GetPoint(p, x, y, z) != 0) std::abort();
                if (object.GetPoint(object.GetPointCount(), x, y, z) != formats::CKTFObject::noSuchPoint) std::abort();
            }
        }
        if (selected != layer->GetObjectCount()) std::abort();
    }
    return 0;
}
