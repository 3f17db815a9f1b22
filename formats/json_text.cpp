#include "formats/json_text.h"

namespace formats {

void append_json_string(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (const auto u = static_cast<unsigned char>(c); u < 0x20) {
                    static const char hex[] = "0123456789abcdef";
                    out += "\\u00";
                    out += hex[u >> 4];
                    out += hex[u & 15];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

}  // namespace formats
