#pragma once

#include <string>

// The program's settings, kept where the operating system keeps a user's application
// settings under organisation "Tarvel technology" and application "Orvella".
namespace platform::settings {

// The icon folder ("PathIcons"); empty when the settings hold none.
std::string path_icons();
void set_path_icons(const std::string& folder);

// The system's 8-bit code page ("CodePage") as a converter name; empty when the settings
// name none.
std::string code_page();
void set_code_page(const std::string& name);

}  // namespace platform::settings
