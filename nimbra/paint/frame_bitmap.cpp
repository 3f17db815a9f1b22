#include "nimbra/paint/frame_bitmap.h"

#include <algorithm>
#include <limits>

#include "nimbra/image/jpg_image.h"

namespace tarvel_tech::nimbra {

namespace {

std::int32_t clamp32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// The top-left pixel in the layer of the frame with this number.
platform::CPoint frame_place(const layer& owner, std::uint32_t index) {
    const layer::header& h = owner.get_header();
    const std::int64_t columns = std::max(h.get_count_latitude_frames(), 1);
    const std::int64_t row = index / columns;
    const std::int64_t column = index - row * columns;
    return {clamp32(column * h.get_size_latitude_frame()), clamp32(row * h.get_size_longitude_frame())};
}

platform::CRect intersection(const platform::CRect& a, const platform::CRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

}  // namespace

frame_bitmap::frame_bitmap() = default;

frame_bitmap::frame_bitmap(layer::frame_iterator frame, const platform::CPoint* destination,
                           const platform::CPoint* offset, const platform::CPoint* limit, int scale) {
    create(frame, destination, offset, limit, scale);
}

frame_bitmap::frame_bitmap(layer* source, const platform::CPoint& point, const platform::CPoint* destination,
                           const platform::CPoint* limit, int scale) {
    if (!source || point.x < 0 || point.y < 0) return;
    const layer::frame_iterator frame =
        (*source)[static_cast<std::uint32_t>(point.x)][static_cast<std::uint32_t>(point.y)];
    if (!*frame) return;
    const platform::CPoint corner = frame_place(*source, frame.index());
    const platform::CPoint offset{point.x - corner.x, point.y - corner.y};
    create(frame, destination, &offset, limit, scale);
}

frame_bitmap::~frame_bitmap() = default;

bool frame_bitmap::create(layer::frame_iterator frame, const platform::CPoint* destination,
                          const platform::CPoint* offset, const platform::CPoint* limit, int scale) {
    scale_ = scale > 0 ? scale : 1;
    picture_.reset();
    layer::frame* body_owner = *frame;
    if (!body_owner || !frame.get_layer()) return false;

    const std::uint8_t* body = body_owner->fix(true);
    if (!body) return false;
    auto picture = std::make_unique<jpg_image>();
    const bool decoded = picture->decode(body, static_cast<std::size_t>(body_owner->size()));
    body_owner->fix(false);
    if (!decoded) return false;

    picture_ = std::move(picture);
    index_ = frame.index();
    place_ = frame_place(*frame.get_layer(), index_);
    if (!update(destination, offset, limit, scale_)) {
        picture_.reset();
        return false;
    }
    return true;
}

bool frame_bitmap::update(const platform::CPoint* destination, const platform::CPoint* offset,
                          const platform::CPoint* limit, int scale) {
    if (!picture_) return false;
    const std::int64_t s = scale > 0 ? scale : 1;
    const platform::CPoint at = destination ? *destination : platform::CPoint{};
    const platform::CPoint from = offset ? *offset : platform::CPoint{};
    const std::int64_t width = picture_->get_info().biWidth;
    const std::int64_t height = picture_->get_info().biHeight;  // decoded pictures are bottom-up
    const std::int64_t start_x = std::max<std::int64_t>(from.x, 0), start_y = std::max<std::int64_t>(from.y, 0);
    if (start_x >= width || start_y >= height) return false;

    source_ = {clamp32(start_x), clamp32(start_y), clamp32(width), clamp32(height)};
    const std::int64_t skip_x = std::max<std::int64_t>(-std::int64_t{from.x}, 0);
    const std::int64_t skip_y = std::max<std::int64_t>(-std::int64_t{from.y}, 0);
    destination_ = {clamp32(at.x + skip_x / s), clamp32(at.y + skip_y / s), clamp32(at.x + (width - from.x) / s),
                    clamp32(at.y + (height - from.y) / s)};
    limit_ = limit ? *limit : platform::CPoint{};
    scale_ = static_cast<int>(s);
    return true;
}

bool frame_bitmap::is_valid(paint*) const { return picture_ != nullptr; }

bool frame_bitmap::draw(paint* target) const {
    if (!picture_ || !target || !target->HasDevice()) return false;
    platform::CRect clip = target->GetClipBox();
    if (limit_.x > clip.left && limit_.x < clip.right) clip.right = limit_.x;
    if (limit_.y > clip.top && limit_.y < clip.bottom) clip.bottom = limit_.y;
    clip = intersection(clip, destination_);
    if (clip.Width() <= 0 || clip.Height() <= 0) return true;  // nothing of it in sight

    // The part of the frame under the clipped destination, in proportion.
    const std::int64_t source_width = source_.Width(), source_height = source_.Height();
    const std::int64_t shown_width = destination_.Width(), shown_height = destination_.Height();
    const auto across = [&](std::int32_t x) {
        return clamp32(source_.left + (x - std::int64_t{destination_.left}) * source_width / shown_width);
    };
    const auto down = [&](std::int32_t y) {
        return clamp32(source_.top + (y - std::int64_t{destination_.top}) * source_height / shown_height);
    };
    const std::int32_t left = across(clip.left), right = std::max(across(clip.right), left + 1);
    const std::int32_t top = down(clip.top), bottom = std::max(down(clip.bottom), top + 1);

    // A bottom-up picture counts the source's top from its bottom row.
    const std::int32_t height = picture_->get_info().biHeight;
    const BITMAPINFOHEADER& info = picture_->get_info();
    const platform::dib_header_view header{**picture_, bitmap_info_size + std::size_t{info.biClrUsed} * 4};
    return target->StretchDIBits(clip, platform::CRect{left, height - bottom, right, height - top}, header,
                                 picture_->begin());
}

}  // namespace tarvel_tech::nimbra
