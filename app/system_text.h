#pragma once

#include <QString>
#include <string>

#include "platform/code_page.h"

namespace app {

// Text the model keeps in the system's 8-bit character set (layer and field names).
inline QString system_text(const std::string& text) {
    return QString::fromStdU16String(platform::to_utf16(text, platform::system_code_page()));
}

}  // namespace app
