#include "nimbra/paint/ce_paint.h"

namespace tarvel_tech::nimbra {

ce_paint::ce_paint(platform::CDC* target, const platform::CRect* rect, int fill_type)
    : paint(target, rect ? *rect : platform::CRect{}) {
    if (target && rect) ce_paint::create(fill_type);
}

ce_paint::~ce_paint() { ce_paint::flush(); }

bool ce_paint::create(int fill_type) { return make_surface(fill_type, false); }

bool ce_paint::flush() { return show_surface(); }

}  // namespace tarvel_tech::nimbra
