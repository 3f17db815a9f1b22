#include "platform/stderr_ui_service.h"

#include <cstdio>

namespace platform {

int CStderrUIService::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
    // One line per message: the line breaks of a two-line text become one blank.
    std::string line = caption.empty() ? std::string() : caption + ": ";
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            line += ' ';
        } else {
            line += c;
        }
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return DefaultAnswer(type);
}

}  // namespace platform
