#pragma once

#include "tests/support/files.h"

namespace test_support {

// Points the program's settings, for this process and the programs it starts, at a fresh
// directory, so that tests neither read nor change the user's own settings.
class settings_sandbox {
public:
    settings_sandbox();
    const std::string& path() const { return dir_.path(); }

private:
    temp_dir dir_;
};

}  // namespace test_support
