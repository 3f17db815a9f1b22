#include "nimbra/paint/paint.h"

#include "nimbra/image/bmp_image.h"
#include "nimbra/paint/paint_object.h"
#include "platform/image_dc.h"

namespace tarvel_tech::nimbra {

paint::paint(platform::CDC* target, const platform::CRect& rect) : target_(target), rect_(rect) {}

paint::~paint() { release_surface(); }

bool paint::draw(const paint_object* object) { return object ? object->draw(this) : false; }

std::uint8_t* paint::get_surface() {
    if (surface_dc_) surface_dc_->Flush();
    return surface_;
}

bmp_image* paint::get_bitmap() { return get_surface() ? bitmap_.get() : nullptr; }

bool paint::IsPrinting() const { return !off_screen_ && target_ && target_->IsPrinting(); }

bool paint::make_surface(int fill_type, bool at_target_place) {
    release_surface();
    if (!target_) return false;
    const platform::CRect device = target_->LPtoDP(rect_);
    const int width = device.Width(), height = device.Height();
    if (width <= 0 || height <= 0 || std::int64_t{width} * height > max_surface_pixels) return false;

    auto bitmap = std::make_unique<bmp_image>();
    if (!bitmap->create(width, height, 24, bmp_image::bmp_type)) return false;
    // A new surface is black, as fresh memory of a picture is; its rows are written when
    // someone asks for them.
    auto surface_dc = std::make_unique<platform::CBitsDC>(bitmap->begin(), width, height,
                                                          bitmap->get_exinfo().line_bytes, true);
    if (!surface_dc->HasDevice()) return false;

    bitmap_ = std::move(bitmap);
    surface_dc_ = std::move(surface_dc);
    surface_ = bitmap_->begin();
    off_screen_ = true;
    if (at_target_place) surface_dc_->SetWindowOrg(rect_.left, rect_.top);
    ShareDevice(surface_dc_.get());
    fill(fill_type);
    return true;
}

void paint::take_over_target(int fill_type) {
    release_surface();
    if (!target_) return;
    ShareDevice(target_);
    fill(fill_type);
}

void paint::fill(int fill_type) {
    const platform::CPoint at = surface_origin();
    if (fill_type == fill_target)
        BitBlt(at.x, at.y, rect_.Width(), rect_.Height(), target_, rect_.left, rect_.top);
    else if (fill_type == fill_background)
        FillSolidRect(platform::CRect{at.x, at.y, at.x + rect_.Width(), at.y + rect_.Height()}, target_->GetBkColor());
}

platform::CPoint paint::surface_origin() const {
    return off_screen_ ? DPtoLP(platform::CPoint{0, 0}) : platform::CPoint{rect_.left, rect_.top};
}

bool paint::show_surface() {
    if (!target_) return false;
    const platform::CPoint from = surface_origin();
    if (HasDevice()) target_->BitBlt(rect_.left, rect_.top, rect_.Width(), rect_.Height(), this, from.x, from.y);
    release_surface();
    return true;
}

void paint::release_surface() {
    ShareDevice(nullptr);
    surface_dc_.reset();
    bitmap_.reset();
    surface_ = nullptr;
    off_screen_ = false;
}

}  // namespace tarvel_tech::nimbra
