#include "nimbra/paint/frame_bitmap_list.h"

#include <algorithm>
#include <limits>

#include "nimbra/paint/frame_bitmap.h"

namespace tarvel_tech::nimbra {

namespace {

platform::CRect view_of(const platform::CSize& size) { return {0, 0, size.cx, size.cy}; }

std::int32_t clamp32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

frame_bitmap_list::frame_bitmap_list(layer* source, const platform::CPoint* position, const platform::CRect& view,
                                     int scale) {
    create(source, position, view, scale);
}

frame_bitmap_list::frame_bitmap_list(layer* source, const platform::CPoint* position, const platform::CSize& view,
                                     int scale) {
    create(source, position, view_of(view), scale);
}

bool frame_bitmap_list::create(layer* source, const platform::CPoint* position, const platform::CSize& view,
                               int scale) {
    return create(source, position, view_of(view), scale);
}

bool frame_bitmap_list::create(layer* source, const platform::CPoint* position, const platform::CRect& view,
                               int scale) {
    clear();
    layer_ = source;
    position_ = position ? *position : platform::CPoint{};
    rect_ = view;
    scale_ = scale > 0 ? scale : 1;
    if (!layer_) return false;
    std::vector<frame_bitmap*> none;
    return arrange(none);
}

bool frame_bitmap_list::update(layer* source, const platform::CPoint* position, const platform::CRect* view,
                               int scale) {
    if (source && source != layer_) {
        const platform::CPoint at = position ? *position : position_;
        const platform::CRect area = view ? *view : rect_;
        return create(source, &at, area, scale > 0 ? scale : scale_);
    }
    if (!layer_) return false;
    if (position) position_ = *position;
    if (view) rect_ = *view;
    if (scale > 0) scale_ = scale;

    // Take everything out; frame bitmaps may come back at their new places.
    std::vector<paint_object*> held;
    for (std::size_t i = 0; i < size(); ++i) held.push_back(at(i));
    remove(0, size());
    std::sort(held.begin(), held.end());
    held.erase(std::unique(held.begin(), held.end()), held.end());
    std::vector<frame_bitmap*> reusable;
    for (paint_object* object : held) {
        if (auto* bitmap = dynamic_cast<frame_bitmap*>(object))
            reusable.push_back(bitmap);
        else
            delete object;
    }
    const bool arranged = arrange(reusable);
    for (frame_bitmap* left_over : reusable) delete left_over;
    return arranged;
}

bool frame_bitmap_list::arrange(std::vector<frame_bitmap*>& reusable) {
    const layer::header& h = layer_->get_header();
    const std::int64_t frame_width = h.get_size_latitude_frame(), frame_height = h.get_size_longitude_frame();
    const std::int64_t columns = h.get_count_latitude_frames(), rows = h.get_count_longitude_frames();
    if (frame_width <= 0 || frame_height <= 0 || columns <= 0 || rows <= 0) return false;
    const std::int64_t width = std::min<std::int64_t>(h.get_width_layer_image(), columns * frame_width);
    const std::int64_t height = std::min<std::int64_t>(h.get_height_layer_image(), rows * frame_height);

    // The layer pixels under the view, cut to the layer.
    const std::int64_t s = scale_;
    const std::int64_t x0 = std::max<std::int64_t>(position_.x, 0);
    const std::int64_t y0 = std::max<std::int64_t>(position_.y, 0);
    const std::int64_t x1 = std::min<std::int64_t>(position_.x + std::int64_t{rect_.Width()} * s, width);
    const std::int64_t y1 = std::min<std::int64_t>(position_.y + std::int64_t{rect_.Height()} * s, height);
    if (x0 >= x1 || y0 >= y1) return true;  // nothing of the layer in view

    const std::int64_t first_column = x0 / frame_width, last_column = (x1 - 1) / frame_width;
    const std::int64_t first_row = y0 / frame_height, last_row = (y1 - 1) / frame_height;
    const platform::CPoint corner{rect_.left, rect_.top};
    // Drawing ends at the view's edge or at the layer's, whichever comes first.
    const platform::CPoint limit{
        clamp32(std::min<std::int64_t>(rect_.right, rect_.left + (width - position_.x) / s)),
        clamp32(std::min<std::int64_t>(rect_.bottom, rect_.top + (height - position_.y) / s))};

    bool all = true;
    layer::frame_iterator row_start = (*layer_)[static_cast<std::uint32_t>(first_column * frame_width)]
                                               [static_cast<std::uint32_t>(first_row * frame_height)];
    for (std::int64_t r = first_row; r <= last_row; ++r, row_start.bottom()) {
        layer::frame_iterator frame = row_start;
        for (std::int64_t c = first_column; c <= last_column; ++c, frame.right()) {
            if (!*frame) {
                all = false;
                continue;
            }
            const platform::CPoint offset{clamp32(position_.x - c * frame_width),
                                          clamp32(position_.y - r * frame_height)};
            frame_bitmap* bitmap = nullptr;
            const auto same = std::find_if(reusable.begin(), reusable.end(),
                                           [&](const frame_bitmap* b) { return b->get_index() == frame.index(); });
            if (same != reusable.end() && (*same)->update(&corner, &offset, &limit, scale_)) {
                bitmap = *same;
                reusable.erase(same);
            } else {
                bitmap = new frame_bitmap(frame, &corner, &offset, &limit, scale_);
            }
            if (!push_back(bitmap)) {
                delete bitmap;
                all = false;
            }
        }
    }
    return all;
}

}  // namespace tarvel_tech::nimbra
