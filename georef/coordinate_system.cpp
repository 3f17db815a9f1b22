// Coordinate systems through PROJ, in a module loaded when the first definition is read: a
// program that reads none (most runs of the command line) never maps PROJ and what it brings.

#include "georef/coordinate_system.h"

#include <cmath>
#include <mutex>

#include "georef/proj_module.h"
#include "platform/shared_module.h"

namespace georef {

namespace {

struct loaded_module {
    const proj_entry_points* points = nullptr;
    std::string cause;
};

// Loaded once and kept, whether it could be loaded or not.
const loaded_module& proj() {
    static loaded_module module;
    static std::once_flag once;
    std::call_once(once, [] {
        module.points = load_proj_module(
            platform::module_path(PLOTWRIGHT_PROJ_MODULE_INSTALLED, PLOTWRIGHT_PROJ_MODULE_BUILD), &module.cause);
    });
    return module;
}

// The definitions of plain longitude and latitude on WGS 84 that nearly every .prj of such a
// file holds (as GDAL and the ESRI programs write it), answered as PROJ answers them without
// loading PROJ: such a file needs no transformation.
constexpr const char* kPlainWgs84Wkt[] = {
    R"(GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,298.257223563]],)"
    R"(PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])",
    R"(GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,298.257223563]],)"
    R"(PRIMEM["Greenwich",0.0],UNIT["Degree",0.017453292519943295]])",
};

bool is_plain_wgs84(const std::string& text) {
    // WKT may end in white space (a .prj often ends in a line break); a code may not: PROJ
    // takes what follows the code's digits as part of it.
    if (text == "EPSG:4326") return true;
    const std::size_t end = text.find_last_not_of(" \t\r\n") + 1;
    for (const char* known : kPlainWgs84Wkt)
        if (text.compare(0, end, known) == 0) return true;
    return false;
}

}  // namespace

const proj_entry_points* load_proj_module(const std::string& path, std::string* cause) {
    const auto accept = [](const void* entry_points) {
        const auto* points = static_cast<const proj_entry_points*>(entry_points);
        return points->version == kProjEntryPointsVersion && points->create && points->to_lonlat && points->destroy;
    };
    return static_cast<const proj_entry_points*>(platform::load_module(path, kProjEntryPointsSymbol, accept, cause));
}

struct coordinate_system::proj_state {
    const proj_entry_points* points = nullptr;
    proj_system* system = nullptr;

    ~proj_state() {
        if (system) points->destroy(system);
    }
};

coordinate_system::coordinate_system() : m_pProj(std::make_unique<proj_state>()) {}

coordinate_system::~coordinate_system() = default;

std::unique_ptr<coordinate_system> coordinate_system::from_definition(const std::string& text, std::string* cause) {
    auto fail = [cause](const std::string& why) -> std::unique_ptr<coordinate_system> {
        if (cause) *cause = why;
        return nullptr;
    };
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) return fail("the definition is empty");

    std::unique_ptr<coordinate_system> system(new coordinate_system());
    if (is_plain_wgs84(text)) {
        system->m_strName = "WGS 84";
        system->m_strId = "EPSG:4326";
        system->m_bGeographic = system->m_bWgs84 = true;
        return system;
    }
    const loaded_module& module = proj();
    if (!module.points) return fail("PROJ cannot be loaded: " + module.cause);
    proj_description description;
    system->m_pProj->points = module.points;
    system->m_pProj->system = module.points->create(text, description, cause);
    if (!system->m_pProj->system) return nullptr;
    system->m_strName = std::move(description.name);
    system->m_strId = std::move(description.identifier);
    system->m_bGeographic = description.geographic;
    system->m_bWgs84 = description.wgs84_degrees;
    return system;
}

std::size_t coordinate_system::to_lonlat(double* x, double* y, std::size_t count, std::size_t stride) const {
    if (m_pProj->system) return m_pProj->points->to_lonlat(m_pProj->system, x, y, count, stride);
    // Plain WGS 84 read without PROJ: the points stand as they are.
    std::size_t failed = 0;
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(x[i * stride]) || !std::isfinite(y[i * stride])) ++failed;
    return failed;
}

}  // namespace georef
