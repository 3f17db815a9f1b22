#pragma once

// Modules loaded on first use: a part of the program whose libraries are costly to map at
// start-up lives in a module of its own, which hands over its entry points through one
// exported function.

#include <functional>
#include <string>

namespace platform {

// Where a module lies: at installed (relative to the running program's folder) when a file is
// there, as an install puts it; else at built, where the build made it.
std::string module_path(const std::string& installed, const std::string& built);

// Loads the module at the path (each call anew, its symbols kept to itself), calls its
// exported function symbol (extern "C" const void* symbol()) and returns the entry points it answers when accept takes them.
// None, cause saying why (the loader's own words), when the module cannot be loaded, has no
// such function or answers entry points accept refuses (a module of another build). A
// module whose entry points are returned stays loaded for the life of the program.
const void* load_module(const std::string& path, const char* symbol,
                        const std::function<bool(const void* entry_points)>& accept, std::string* cause);

}  // namespace platform
