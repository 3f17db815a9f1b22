// The pictures GDAL reads, through a module loaded on first use: a program that never opens
// such a picture never pays for GDAL and the hundred libraries it brings.

#include "raster/gdal_picture.h"


#include <algorithm>
#include <cctype>
#include <filesystem>
#include <mutex>
#include <vector>

#include "nimbra/image/image.h"
#include "platform/shared_module.h"
#include "platform/ui_service.h"
#include "raster/gdal_module.h"

namespace model {

namespace {

namespace fs = std::filesystem;

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

struct loaded_module {
    const gdal_entry_points* points = nullptr;
    std::string cause;
};

// Loaded once and kept: GDAL registers its drivers for the life of the program.
loaded_module& gdal() {
    static loaded_module module;
    static std::once_flag once;
    std::call_once(once, [] { module.points = load_gdal_module(
            platform::module_path(PLOTWRIGHT_GDAL_MODULE_INSTALLED, PLOTWRIGHT_GDAL_MODULE_BUILD), &module.cause); });
    return module;
}

std::string not_loaded(const loaded_module& module) { return "GDAL cannot be loaded: " + module.cause; }

// Callers that take no cause still hear once why no picture of GDAL's can be read.
void warn_once(loaded_module& module) {
    static std::once_flag once;
    std::call_once(once, [&module] { platform::AfxMessageBox(not_loaded(module) + ".", platform::MB_ICONWARNING); });
}

}  // namespace

const gdal_entry_points* load_gdal_module(const std::string& path, std::string* cause) {
    const auto accept = [](const void* entry_points) {
        const auto* points = static_cast<const gdal_entry_points*>(entry_points);
        return points->version == kGdalEntryPointsVersion && points->read_pixels && points->read_size &&
               points->read_place;
    };
    return static_cast<const gdal_entry_points*>(platform::load_module(path, kGdalEntryPointsSymbol, accept, cause));
}

bool has_georeferencing_side_file(const std::string& path) {
    // World files under the extension GDAL derives from the picture's (first and last letter
    // and 'w', then the whole extension and 'w'), and .wld; JPEG also takes a MapInfo .tab;
    // any picture its .aux.xml.
    const fs::path picture(path);
    const std::string extension = lower(picture.extension().string());
    std::vector<std::string> sides = {"wld", "tab"};
    if (extension.size() >= 3) {  // the dot and at least two letters
        const std::string letters = extension.substr(1);
        sides.push_back(std::string{letters.front(), letters.back(), 'w'});
        sides.push_back(letters + "w");
    }
    std::vector<std::string> names = {lower(picture.filename().string() + ".aux.xml")};
    for (const std::string& side : sides) names.push_back(lower(fs::path(picture.filename()).replace_extension(side).string()));

    // GDAL matches the names of the folder's files in any case.
    std::error_code ec;
    fs::directory_iterator entry(picture.has_parent_path() ? picture.parent_path() : fs::path("."), ec);
    if (ec) return true;  // GDAL may still see what cannot be listed
    for (; entry != fs::directory_iterator(); entry.increment(ec)) {
        if (ec) return true;
        if (std::find(names.begin(), names.end(), lower(entry->path().filename().string())) != names.end()) return true;
    }
    return false;
}

bool is_gdal_picture(const std::string& name) {
    const std::string ext = lower(fs::path(name).extension().string());
    return ext == ".png" || ext == ".tif" || ext == ".tiff";
}

bool read_gdal_picture_size(const std::string& path, int& width, int& height) {
    loaded_module& module = gdal();
    if (!module.points) {
        warn_once(module);
        return false;
    }
    return module.points->read_size(path, width, height);
}

std::unique_ptr<tarvel_tech::nimbra::image> read_gdal_picture(const std::string& path, std::string* cause) {
    loaded_module& module = gdal();
    if (!module.points) {
        if (cause)
            *cause = not_loaded(module);
        else
            warn_once(module);
        return nullptr;
    }
    return module.points->read_pixels(path, cause);
}

bool read_picture_place(const std::string& path, picture_place& place) {
    // A JPEG or BMP says where it lies only through a file beside it; without one GDAL has
    // nothing to add and stays unloaded.
    if (!is_gdal_picture(path) && !has_georeferencing_side_file(path)) return false;
    loaded_module& module = gdal();
    if (!module.points) {
        warn_once(module);
        return false;
    }
    return module.points->read_place(path, place);
}

}  // namespace model
