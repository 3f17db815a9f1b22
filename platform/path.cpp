#include "platform/path.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace platform {
namespace {

std::string::size_type last_separator(const std::string& path) {
    return path.find_last_of("/\\");
}

}  // namespace

std::string file_name_part(const std::string& path) {
    auto cut = last_separator(path);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string directory_part(const std::string& path) {
    auto cut = last_separator(path);
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string lower_extension(const std::string& path) {
    std::string name = file_name_part(path);
    auto dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    std::string ext = name.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

std::string absolute_path(const std::string& path) {
    std::error_code ec;
    auto abs = std::filesystem::absolute(path, ec);
    return ec ? path : abs.lexically_normal().string();
}

std::vector<std::string> list_files(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    // Entries that cannot be examined are passed over, not reported.
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code type_ec;
        if (it->is_regular_file(type_ec)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool get_file_status(const std::string& path, file_status& status) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    status.size = static_cast<std::uint64_t>(st.st_size);
    status.modified = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

}  // namespace platform
