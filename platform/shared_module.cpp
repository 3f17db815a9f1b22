#include "platform/shared_module.h"

#include <dlfcn.h>

#include <filesystem>

namespace platform {

std::string module_path(const std::string& installed, const std::string& built) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const fs::path beside = program.parent_path() / installed;
        if (fs::exists(beside, ec)) return beside.string();
    }
    return built;
}

const void* load_module(const std::string& path, const char* symbol,
                        const std::function<bool(const void* entry_points)>& accept, std::string* cause) {
    const auto fail = [cause](const std::string& why) -> const void* {
        if (cause) *cause = why;
        return nullptr;
    };
    dlerror();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = dlerror();
        return fail(error ? error : path + ": cannot be opened");
    }
    using entry_function = const void* (*)();
    const auto entry = reinterpret_cast<entry_function>(dlsym(handle, symbol));
    if (!entry) {
        // Copied before dlclose, which frees the loader's message.
        const char* error = dlerror();
        const std::string why = error ? error : path + ": no " + symbol;
        dlclose(handle);
        return fail(why);
    }
    const void* points = entry();
    if (!points || !accept(points)) {
        dlclose(handle);
        return fail(path + ": a module of another build (entry points of another version)");
    }
    return points;
}

}  // namespace platform
