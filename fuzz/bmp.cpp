// A BMP picture decoded from memory, as pictures and icons are; what decodes must be written
// and read back with the same pixels and palette.

#include <cstdlib>
#include <cstring>

#include "nimbra/image/bmp_image.h"
#include "platform/exceptions.h"

using tarvel_tech::nimbra::bmp_image;

namespace {

// The same size, depth, palette and pixels; the bits that pad a row are no pixels.
bool same_pixels(const bmp_image& a, const bmp_image& b) {
    const auto& x = a.get_info();
    const auto& y = b.get_info();
    if (x.biWidth != y.biWidth || x.biHeight != y.biHeight || x.biBitCount != y.biBitCount ||
        x.biClrUsed != y.biClrUsed)
        return false;
    constexpr std::size_t header = 40;
    if (std::memcmp(*a + header, *b + header, std::size_t{x.biClrUsed} * 4) != 0) return false;
    const std::size_t row_bits = static_cast<std::size_t>(x.biWidth) * x.biBitCount;
    const std::size_t whole = row_bits / 8;
    // Pixels fill a byte from its high bits down.
    const auto last_mask = static_cast<std::uint8_t>(0xFF00 >> (row_bits % 8));
    for (int row = 0; row < x.biHeight; ++row) {
        const std::uint8_t* p = a.row(row);
        const std::uint8_t* q = b.row(row);
        if (std::memcmp(p, q, whole) != 0) return false;
        if (last_mask && ((p[whole] ^ q[whole]) & last_mask) != 0) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    bmp_image picture;
    try {
        if (!picture.decode(data, size) || !*picture) return 0;
    } catch (const platform::CException&) {
        return 0;
    }
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t length = 0;
    bmp_image again;
    if (!picture.encode(bytes, length) || !again.decode(bytes.get(), length) || !same_pixels(picture, again))
        std::abort();
    return 0;
}
