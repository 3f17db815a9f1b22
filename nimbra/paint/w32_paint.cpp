#include "nimbra/paint/w32_paint.h"

namespace tarvel_tech::nimbra {

namespace {

platform::CRect area(platform::CDC* target, const platform::CRect* rect) {
    if (rect) return *rect;
    return target ? target->GetClipBox() : platform::CRect{};
}

}  // namespace

w32_paint::w32_paint(platform::CDC* target, const platform::CRect* rect, int fill_type)
    : paint(target, area(target, rect)) {
    if (target) w32_paint::create(fill_type);
}

w32_paint::~w32_paint() { w32_paint::flush(); }

bool w32_paint::create(int fill_type) {
    if (!get_target()) return false;
    if (get_target()->IsPrinting()) {
        take_over_target(fill_type);
        return true;
    }
    return make_surface(fill_type, true);
}

bool w32_paint::flush() { return show_surface(); }

}  // namespace tarvel_tech::nimbra
