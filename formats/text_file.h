#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace formats {

// The whole text of a small side file (control points, world file). False, with the
// cause, when it cannot be read or is longer than limit bytes.
bool read_text_file(const std::string& path, std::size_t limit, std::string& text, std::string& error);

// Writes text to a temporary file in the target's folder and renames it over the target
// once it is complete and on disk: a failure leaves no partial file and the old one as it
// was. False, with the cause, on failure.
bool write_text_file(const std::string& path, std::string_view text, std::string& error);

}  // namespace formats
