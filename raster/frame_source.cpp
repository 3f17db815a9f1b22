#include "raster/frame_source.h"

#include <memory>

#include "nimbra/image/jpg_image.h"
#include "platform/exceptions.h"
#include "platform/mem_file.h"

namespace model {

using tarvel_tech::nimbra::image;
using tarvel_tech::nimbra::jpg_image;

namespace {

// Frames grow their memory file in steps of this many bytes.
constexpr std::size_t kBodyStep = 1024;

// The frame as 24-bit pixels, for a palette JPEG cannot hold as it stands.
bool spread_to_colour(const image& frame, jpg_image& out) {
    const int width = frame.get_info().biWidth, height = frame.get_info().biHeight;
    if (!out.create(width, height, 24, image::jpg_type)) return false;
    out.get_exinfo().xdpi = frame.get_exinfo().xdpi;
    out.get_exinfo().ydpi = frame.get_exinfo().ydpi;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out.set_color(x, y, frame.get_color(x, y));
    return true;
}

}  // namespace

frame_source::~frame_source() = default;

bool encode_frame(const image& picture, int left, int top, int width, int height, int quality,
                  std::vector<std::uint8_t>& body, std::string& error) {
    std::unique_ptr<image> cut = picture.excise(left, top, left + width, top + height);
    if (!cut || cut->get_info().biWidth != width || cut->get_info().biHeight != height) {
        error = "the frame lies outside the picture or no memory is left for it";
        return false;
    }
    jpg_image frame;
    const auto& palette = cut->get_palette();
    if (palette.is_indexed() && !palette.is_gray_scale()) {
        if (!spread_to_colour(*cut, frame)) {
            error = "no memory is left for the frame";
            return false;
        }
    } else {
        frame.take_over(*cut);
    }
    return encode_frame(frame, quality, body, error);
}

bool encode_frame(jpg_image& frame, int quality, std::vector<std::uint8_t>& body, std::string& error) {
    frame.get_exinfo().quality = static_cast<std::uint8_t>(quality);
    platform::CMemFile file(kBodyStep);
    if (!frame.encode(&file)) {
        error = std::string("the frame cannot be encoded: ") + jpg_image::get_last_error();
        return false;
    }
    body = file.Detach();
    return true;
}

picture_frames::picture_frames(const image& picture, int quality) : picture_(picture), quality_(quality) {}

int picture_frames::get_width() const { return *picture_ ? picture_.get_info().biWidth : 0; }

int picture_frames::get_height() const { return *picture_ ? picture_.get_info().biHeight : 0; }

bool picture_frames::start(const frame_grid& grid) {
    grid_ = grid;
    next_ = 0;
    error_.clear();
    return true;
}

bool picture_frames::next_frame(std::vector<std::uint8_t>& body) {
    if (next_ >= grid_.frame_count()) {
        error_ = "every frame has been given";
        return false;
    }
    const int row = static_cast<int>(next_ / grid_.columns);
    const int column = static_cast<int>(next_ % grid_.columns);
    ++next_;
    return encode_frame(picture_, column * grid_.frame_width, row * grid_.frame_height, grid_.frame_width,
                        grid_.frame_height, quality_, body, error_);
}

}  // namespace model
