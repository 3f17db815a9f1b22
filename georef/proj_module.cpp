// PROJ behind the coordinate systems, in a module of its own: PROJ and the libraries it needs
// (networking, TLS, SQLite, TIFF) are mapped only by a program that reads a definition.

#include "georef/proj_module.h"

#include <cmath>
#include <memory>

#include <proj.h>

namespace georef {

namespace {

// A PROJ object that goes with its owner.
struct pj_deleter {
    void operator()(PJ* pj) const { proj_destroy(pj); }
};
using pj_ptr = std::unique_ptr<PJ, pj_deleter>;

// Systems whose codes match a definition this well (out of 100) count as the same system.
constexpr int kSameSystemConfidence = 90;

bool is_geographic_type(PJ_TYPE type) {
    return type == PJ_TYPE_GEOGRAPHIC_2D_CRS || type == PJ_TYPE_GEOGRAPHIC_3D_CRS;
}

std::string code_of(const PJ* object) {
    const char* authority = proj_get_id_auth_name(object, 0);
    const char* code = proj_get_id_code(object, 0);
    return authority && code ? std::string(authority) + ":" + code : std::string();
}

// The code of the system the definition names, or of the known system it matches closely:
// a .prj file of the ESRI dialect names a system without its code.
std::string identify(PJ_CONTEXT* ctx, const PJ* crs) {
    if (std::string own = code_of(crs); !own.empty()) return own;
    int* confidence = nullptr;
    PJ_OBJ_LIST* matches = proj_identify(ctx, crs, "EPSG", nullptr, &confidence);
    std::string found;
    if (matches && proj_list_get_count(matches) > 0 && confidence && confidence[0] >= kSameSystemConfidence) {
        pj_ptr best(proj_list_get(ctx, matches, 0));
        if (best) found = code_of(best.get());
    }
    proj_int_list_destroy(confidence);
    proj_list_destroy(matches);
    return found;
}

}  // namespace

struct proj_system {
    PJ_CONTEXT* ctx = proj_context_create();
    pj_ptr crs;
    pj_ptr to_wgs84;
    // PROJ's last complaint ("crs not found: EPSG:99999"), kept rather than printed: the
    // operator hears of it as the cause of a refusal.
    std::string last_error;

    proj_system() {
        proj_log_level(ctx, PJ_LOG_ERROR);
        proj_log_func(ctx, this, [](void* self, int, const char* message) {
            if (message) static_cast<proj_system*>(self)->last_error = message;
        });
    }
    std::string error(const std::string& fallback) const { return last_error.empty() ? fallback : last_error; }
    ~proj_system() {
        to_wgs84.reset();
        crs.reset();
        proj_context_destroy(ctx);
    }
    proj_system(const proj_system&) = delete;
    proj_system& operator=(const proj_system&) = delete;
};

namespace {

proj_system* create(const std::string& text, proj_description& description, std::string* cause) {
    auto fail = [cause](const std::string& why) -> proj_system* {
        if (cause) *cause = why;
        return nullptr;
    };
    auto system = std::make_unique<proj_system>();
    proj_system& p = *system;
    if (!p.ctx) return fail("PROJ cannot start");
    p.crs.reset(proj_create(p.ctx, text.c_str()));
    if (!p.crs) return fail(p.error("PROJ does not know it"));
    if (!proj_is_crs(p.crs.get())) return fail("it names no coordinate system");

    // A system bound to WGS 84 by shift parameters is, as coordinates go, its base system;
    // of a system with heights only the horizontal part counts.
    pj_ptr base;
    if (proj_get_type(p.crs.get()) == PJ_TYPE_BOUND_CRS) base.reset(proj_get_source_crs(p.ctx, p.crs.get()));
    pj_ptr part;
    if (proj_get_type(base ? base.get() : p.crs.get()) == PJ_TYPE_COMPOUND_CRS)
        part.reset(proj_crs_get_sub_crs(p.ctx, base ? base.get() : p.crs.get(), 0));
    const PJ* horizontal = part ? part.get() : base ? base.get() : p.crs.get();
    const PJ_TYPE type = proj_get_type(horizontal);
    if (!is_geographic_type(type) && type != PJ_TYPE_PROJECTED_CRS)
        return fail("it names no system of longitude and latitude or of a map projection");

    const pj_ptr wgs84(proj_create(p.ctx, "EPSG:4326"));
    if (!wgs84) return fail(p.error("PROJ has no definition of WGS 84"));
    const pj_ptr operation(proj_create_crs_to_crs_from_pj(p.ctx, p.crs.get(), wgs84.get(), nullptr, nullptr));
    if (!operation) return fail(p.error("PROJ knows no way from it to WGS 84"));
    // Shapefiles and world files give easting (or longitude) first, whatever the system's
    // declared axis order, and so does the map.
    p.to_wgs84.reset(proj_normalize_for_visualization(p.ctx, operation.get()));
    if (!p.to_wgs84) return fail(p.error("PROJ knows no way from it to WGS 84"));

    const char* name = proj_get_name(horizontal);
    description.name = name ? name : "";
    description.identifier = identify(p.ctx, p.crs.get());
    description.geographic = is_geographic_type(type);
    description.wgs84_degrees = description.geographic && horizontal == p.crs.get() &&
                                proj_is_equivalent_to_with_ctx(p.ctx, horizontal, wgs84.get(),
                                                               PJ_COMP_EQUIVALENT_EXCEPT_AXIS_ORDER_GEOGCRS);
    return system.release();
}

std::size_t to_lonlat(const proj_system* system, double* x, double* y, std::size_t count, std::size_t stride) {
    if (count == 0) return 0;
    const std::size_t step = stride * sizeof(double);
    proj_trans_generic(system->to_wgs84.get(), PJ_FWD, x, step, count, y, step, count, nullptr, 0, 0, nullptr, 0, 0);
    proj_errno_reset(system->to_wgs84.get());
    std::size_t failed = 0;
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(x[i * stride]) || !std::isfinite(y[i * stride])) ++failed;
    return failed;
}

void destroy(proj_system* system) { delete system; }

}  // namespace

}  // namespace georef

extern "C" __attribute__((visibility("default"))) const void* plotwright_proj_entry_points() {
    static const georef::proj_entry_points points{georef::kProjEntryPointsVersion, georef::create, georef::to_lonlat,
                                                  georef::destroy};
    return &points;
}
