#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Marker surgery on JPEG files made by peer tools, for tests of damaged files.
namespace image_test {

// The offset of the first byte after the first scan header (SOS): where the entropy-coded
// data begins. 0 when the markers do not lead there.
inline std::size_t jpeg_scan_data_start(const std::vector<std::uint8_t>& b) {
    std::size_t at = 2;
    while (at + 4 <= b.size() && b[at] == 0xFF) {
        const std::size_t length = static_cast<std::size_t>(b[at + 2]) << 8 | b[at + 3];
        if (b[at + 1] == 0xDA) return at + 2 + length;
        at += 2 + length;
    }
    return 0;
}

// Rewrites the size the frame header (SOF) declares.
inline bool set_jpeg_frame_size(std::vector<std::uint8_t>& b, int width, int height) {
    std::size_t at = 2;
    while (at + 9 <= b.size() && b[at] == 0xFF) {
        const std::uint8_t marker = b[at + 1];
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            b[at + 5] = static_cast<std::uint8_t>(height >> 8);
            b[at + 6] = static_cast<std::uint8_t>(height);
            b[at + 7] = static_cast<std::uint8_t>(width >> 8);
            b[at + 8] = static_cast<std::uint8_t>(width);
            return true;
        }
        at += 2 + (static_cast<std::size_t>(b[at + 2]) << 8 | b[at + 3]);
    }
    return false;
}

}  // namespace image_test
