#pragma once

#include <string>

namespace app {

// The program's start-up: the one setting it reads, the icon folder ("PathIcons"). Settings
// that cannot be read are set to their defaults and stored, after a message that says so.
class CPlotwrightApp {
public:
    static constexpr const char* kNoSettings = "Error Read Params.\nWill be set by defualt.";
    static constexpr const char* kNoPathIcons = "Not Read Params.\n Will be set by defualt.";

    // programFolder: the folder of the program's executable.
    void InitInstance(const std::string& programFolder);
    const std::string& GetPathIcons() const { return m_strPathIcons; }

    // The folder "Icons" beside the program; for a program installed without one there, the
    // icons installed with it (share/plotwright/Icons beside bin/).
    static std::string default_icon_folder(const std::string& programFolder);

private:
    std::string m_strPathIcons;
};

}  // namespace app
