#pragma once

// Reads pixels of a packed device-independent bitmap for drawing. Internal to platform.

#include <QImage>
#include <QRect>
#include <cstdint>

#include "platform/device_context.h"

namespace platform {

class dib_reader {
public:
    // False for a header this drawing layer cannot show (compressed rows, bad sizes).
    bool open(dib_header_view header, const std::uint8_t* bits);
    int width() const { return width_; }
    int height() const { return height_; }
    bool bottom_up() const { return bottom_up_; }
    // The rectangle (top-down picture coordinates, inside the bitmap) as 32-bit RGB.
    QImage read(const QRect& rect) const;

private:
    std::uint32_t pixel(const std::uint8_t* row, int x) const;

    const std::uint8_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    bool bottom_up_ = true;
    int bit_count_ = 0;
    std::size_t stride_ = 0;
    std::uint32_t masks_[3] = {};
    int shifts_[3] = {};
    int widths_[3] = {};
    std::uint32_t palette_[256] = {};
    int palette_size_ = 0;
};

}  // namespace platform
