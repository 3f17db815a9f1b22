#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/device_context.h"

namespace platform {
class CFile;
}

namespace model {

// A 16-bit icon picture: red in bits 11-15, green 5-10, blue 0-4, rows bottom-up as bitmap
// files keep them. Made from the 8-bit bitmap files of the icon folder (the icon layer
// decodes them), drawn at a point's place, and stored in map documents as a block of pixels.
class CPicture {
public:
    explicit CPicture(platform::CDC* dc);
    // width x height pixels of one colour, reduced to 5-6-5 by its top bits.
    CPicture(platform::CDC* dc, platform::COLORREF color, std::uint32_t width, std::uint32_t height);
    // Adopts the pixels.
    CPicture(platform::CDC* dc, std::vector<std::uint16_t> pixels, std::uint32_t width, std::uint32_t height);
    virtual ~CPicture() = default;
    CPicture(const CPicture&) = delete;
    CPicture& operator=(const CPicture&) = delete;

    // The two reductions to 5-6-5 the system makes, and both are meant: a colour reference
    // keeps the top 5, 6 and 5 bits of red, green and blue, while a palette entry of an icon
    // file is scaled (red * 31 / 255, rounded down). They part for some values: 128 gives 16
    // one way and 15 the other.
    static std::uint16_t pack565_top_bits(unsigned red, unsigned green, unsigned blue);
    static std::uint16_t pack565_scaled(unsigned red, unsigned green, unsigned blue);

    // One palette entry of an 8-bit picture.
    struct palette_entry {
        std::uint8_t red = 0;
        std::uint8_t green = 0;
        std::uint8_t blue = 0;
    };
    // The pixels of an 8-bit picture: width x height palette indices in rows of `stride`
    // bytes, bottom row first. Indices beyond the palette are black.
    void set_indexed(const std::vector<palette_entry>& palette, const std::uint8_t* rows, std::size_t stride,
                     std::uint32_t width, std::uint32_t height);
    // Borrows width x height pixels (they must outlive the picture) and reverses them in
    // place: the map document keeps them last pixel first.
    void set_pixels(std::uint16_t* pixels);
    // Width x height pixels, 2 bytes each, last pixel first.
    void write(platform::CFile& file) const;
    void draw(platform::CDC* dc, int x, int y) const;

    const std::uint16_t* get_pixels() const { return m_pPixels; }
    std::uint32_t get_width() const { return m_nWidth; }
    std::uint32_t get_height() const { return m_nHeight; }
    void set_size(std::uint32_t width, std::uint32_t height);
    // Bits per pixel of the file the picture was made from; 0 for other pictures.
    std::int32_t get_bit_count() const { return m_nBitCount; }
    std::uint32_t m_nNumber = 0;

private:
    std::vector<std::uint16_t> m_owned;
    std::uint16_t* m_pPixels = nullptr;
    bool m_bOwnsPixels = true;
    std::int32_t m_nBitCount = 0;
    platform::CDC* m_pDC;
    std::uint32_t m_nWidth = 0;
    std::uint32_t m_nHeight = 0;
};

}  // namespace model
