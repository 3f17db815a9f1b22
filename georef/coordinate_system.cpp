#include "georef/coordinate_system.h"

#include <cmath>

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

struct coordinate_system::proj_state {
    PJ_CONTEXT* ctx = proj_context_create();
    pj_ptr crs;
    pj_ptr to_wgs84;
    // PROJ's last complaint ("crs not found: EPSG:99999"), kept rather than printed: the
    // operator hears of it as the cause of a refusal.
    std::string last_error;

    proj_state() {
        proj_log_level(ctx, PJ_LOG_ERROR);
        proj_log_func(ctx, this, [](void* self, int, const char* message) {
            if (message) static_cast<proj_state*>(self)->last_error = message;
        });
    }
    std::string error(const std::string& fallback) const { return last_error.empty() ? fallback : last_error; }
    ~proj_state() {
        to_wgs84.reset();
        crs.reset();
        proj_context_destroy(ctx);
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
    proj_state& p = *system->m_pProj;
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
    system->m_strName = name ? name : "";
    system->m_strId = identify(p.ctx, p.crs.get());
    system->m_bGeographic = is_geographic_type(type);
    system->m_bWgs84 = system->m_bGeographic && horizontal == p.crs.get() &&
                       proj_is_equivalent_to_with_ctx(p.ctx, horizontal, wgs84.get(),
                                                      PJ_COMP_EQUIVALENT_EXCEPT_AXIS_ORDER_GEOGCRS);
    return system;
}

std::size_t coordinate_system::to_lonlat(double* x, double* y, std::size_t count, std::size_t stride) const {
    if (count == 0) return 0;
    const std::size_t step = stride * sizeof(double);
    proj_trans_generic(m_pProj->to_wgs84.get(), PJ_FWD, x, step, count, y, step, count, nullptr, 0, 0, nullptr, 0, 0);
    proj_errno_reset(m_pProj->to_wgs84.get());
    std::size_t failed = 0;
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(x[i * stride]) || !std::isfinite(y[i * stride])) ++failed;
    return failed;
}

}  // namespace georef
