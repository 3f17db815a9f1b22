#include "nimbra/image/bmp_rle.h"

#include <algorithm>

namespace tarvel_tech::nimbra::bmp_detail {
namespace {

class rle_target {
public:
    rle_target(int bits, int width, int height, std::uint8_t* pixels, std::size_t line_bytes)
        : bits_(bits), width_(width), height_(height), pixels_(pixels), line_bytes_(line_bytes) {}

    void put(int index) {
        if (pixels_ && x < width_ && y < height_) {
            std::uint8_t* row = pixels_ + static_cast<std::size_t>(y) * line_bytes_;
            if (bits_ == 8) {
                row[x] = static_cast<std::uint8_t>(index);
            } else {
                std::uint8_t& b = row[x >> 1];
                b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (index & 0x0F))
                            : static_cast<std::uint8_t>((b & 0x0F) | (index << 4));
            }
        }
        // Runs past the right edge are dropped, never wrapped into the next row.
        if (x < width_) ++x;
    }
    bool rows_done() const { return y >= height_; }

    int x = 0;
    int y = 0;

private:
    int bits_;
    int width_;
    int height_;
    std::uint8_t* pixels_;
    std::size_t line_bytes_;
};

}  // namespace

bool decode_rle(const std::uint8_t* data, std::size_t size, int bits, int width, int height,
                std::uint8_t* pixels, std::size_t line_bytes) {
    rle_target out(bits, width, height, pixels, line_bytes);
    std::size_t at = 0;
    while (!out.rows_done()) {
        if (size - at < 2) return false;
        const int count = data[at];
        const int value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                out.put(bits == 8 ? value : (i & 1) ? value & 0x0F : value >> 4);
            continue;
        }
        switch (value) {
            case 0:  // end of line
                out.x = 0;
                ++out.y;
                break;
            case 1:  // end of bitmap
                return true;
            case 2:  // delta
                if (size - at < 2) return false;
                out.x += data[at];
                out.y += data[at + 1];
                at += 2;
                if (out.x > width) out.x = width;
                break;
            default: {  // absolute run of `value` pixels, padded to 16 bits
                const std::size_t bytes = bits == 8 ? value : (value + 1) / 2;
                const std::size_t padded = bytes + (bytes & 1);
                if (size - at < bytes) return false;
                for (int i = 0; i < value; ++i) {
                    const std::uint8_t b = data[at + (bits == 8 ? i : i / 2)];
                    out.put(bits == 8 ? b : (i & 1) ? b & 0x0F : b >> 4);
                }
                at += std::min(padded, size - at);
                break;
            }
        }
    }
    return true;
}

}  // namespace tarvel_tech::nimbra::bmp_detail
