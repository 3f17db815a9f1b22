#include "cli/map_files.h"

#include <charconv>
#include <cstdio>

#include "cli/command.h"
#include "formats/ktf_file.h"
#include "map/sf_map.h"
#include "platform/path.h"

namespace cli {

namespace {

// Why a text export cannot be read, with the line where its parser stopped.
std::string ktf_cause(const std::string& path) {
    const formats::CKTFFile file(path);
    const std::string line = " at line " + std::to_string(file.GetErrorFileLine());
    switch (file.status) {
        case formats::CKTF::statusCannotRead: return open_cause(path, "it cannot be read");
        case formats::CKTF::statusBadText: return "no \"$qzLinerExport\" header, or the text ends inside a block";
        case formats::CKTF::statusNoMemory: return "the file is too large";
        case formats::CKTF::statusUnknownKey: return "a key its block does not know" + line;
        case formats::CKTF::statusUnknownType: return "an object type other than Polygon, Label, Line, Symbol" + line;
        default: return "its layers cannot be made";
    }
}

}  // namespace

bool is_map_file(const std::string& path) {
    const std::string extension = platform::lower_extension(path);
    return extension == ".kxr" || extension == ".ktf";
}

void load_map(model::CSFMap& map, const std::string& path, platform::CDC* dc) {
    const model::load_result result = map.Load(path, dc);
    const bool text_export = platform::lower_extension(path) == ".ktf";
    switch (result) {
        case model::map_loaded: return;
        case model::not_kxr: throw input_error("The flie is not kxr format. (" + path + ")");
        case model::format_unknown: throw input_error("File format is incorrect. (" + path + ")");
        case model::file_unreadable:
            throw input_error("Can't load the map. (" + path + ": " +
                              (text_export ? ktf_cause(path) : open_cause(path, "it cannot be read")) + ")");
        case model::document_unreadable: break;
    }
    throw input_error("Can't load the map. (" + path + ": a layer record cannot be read; " +
                      std::to_string(map.GetLayerCount()) + " layers kept)");
}

std::string colour_text(platform::COLORREF colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", platform::GetRValue(colour), platform::GetGValue(colour),
                  platform::GetBValue(colour));
    return text;
}

bool parse_colour(const std::string& text, platform::COLORREF& colour) {
    if (text.size() != 7 || text[0] != '#') return false;
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data() + 1, end, value, 16);
    if (error != std::errc() || stop != end) return false;
    colour = platform::RGB(value >> 16, value >> 8, value);
    return true;
}

}  // namespace cli
