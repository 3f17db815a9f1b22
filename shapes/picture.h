#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/device_context.h"

namespace platform {
class CFile;
}

namespace model {

// A 16-bit icon picture: red in bits 11-15, green 5-10, blue 0-4, rows bottom-up as the
// bitmap file keeps them. Loaded from 8-bit BMP files of the icon folder, drawn at a point's
// place, and stored in map documents as a block of pixels.
class CPicture {
public:
    explicit CPicture(platform::CDC* dc);
    // width x height pixels of one colour, reduced to 5-6-5.
    CPicture(platform::CDC* dc, platform::COLORREF color, std::uint32_t width, std::uint32_t height);
    // Adopts the pixels.
    CPicture(platform::CDC* dc, std::vector<std::uint16_t> pixels, std::uint32_t width, std::uint32_t height);
    virtual ~CPicture() = default;
    CPicture(const CPicture&) = delete;
    CPicture& operator=(const CPicture&) = delete;

    static std::uint16_t pack565(unsigned red, unsigned green, unsigned blue);

    // An 8-bit BMP file; false when it cannot be read or has another depth (no pixels then).
    bool load(const std::string& path);
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
    std::int32_t get_bit_count() const { return m_nBitCount; }
    std::uint32_t m_nNumber = 0;

private:
    std::array<std::uint8_t, 1024> m_palette{};
    std::vector<std::uint16_t> m_owned;
    std::uint16_t* m_pPixels = nullptr;
    bool m_bOwnsPixels = true;
    std::int32_t m_nBitCount = 0;
    platform::CDC* m_pDC;
    std::uint32_t m_nWidth = 0;
    std::uint32_t m_nHeight = 0;
};

}  // namespace model
