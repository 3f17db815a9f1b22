#include "raster/picture_file.h"

#include <cctype>

namespace model {
namespace {

std::string upper_tail(const std::string& name, std::size_t count) {
    std::string tail = name.size() >= count ? name.substr(name.size() - count) : std::string();
    for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return tail;
}

}  // namespace

picture_kind picture_kind_of(const std::string& name) {
    const std::string kind = upper_tail(name, 3);
    if (kind == "JPG" || upper_tail(name, 4) == "JPEG") return picture_kind::jpeg;
    if (kind == "BMP") return picture_kind::bitmap;
    return picture_kind::none;
}

picture_file picture_file::look_at(const std::string& path, picture_kind kind) {
    picture_file file;
    if (!path.empty() && platform::get_file_status(path, file.status)) {
        file.path = path;
        file.kind = kind;
    }
    return file;
}

bool picture_file::unchanged() const {
    if (empty()) return false;
    platform::file_status now;
    return platform::get_file_status(path, now) && now == status;
}

}  // namespace model
