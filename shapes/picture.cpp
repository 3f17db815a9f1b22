#include "shapes/picture.h"

#include <algorithm>

#include "platform/endian.h"
#include "platform/file.h"

namespace model {

using namespace platform::endian;

CPicture::CPicture(platform::CDC* dc) : m_pDC(dc) {}

CPicture::CPicture(platform::CDC* dc, platform::COLORREF color, std::uint32_t width, std::uint32_t height)
    : m_pDC(dc), m_nWidth(width), m_nHeight(height) {
    m_owned.assign(std::size_t{width} * height, pack565_top_bits(platform::GetRValue(color), platform::GetGValue(color),
                                                                 platform::GetBValue(color)));
    m_pPixels = m_owned.data();
}

CPicture::CPicture(platform::CDC* dc, std::vector<std::uint16_t> pixels, std::uint32_t width, std::uint32_t height)
    : m_owned(std::move(pixels)), m_pDC(dc), m_nWidth(width), m_nHeight(height) {
    m_owned.resize(std::size_t{width} * height);
    m_pPixels = m_owned.data();
}

std::uint16_t CPicture::pack565_top_bits(unsigned red, unsigned green, unsigned blue) {
    return static_cast<std::uint16_t>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
}

std::uint16_t CPicture::pack565_scaled(unsigned red, unsigned green, unsigned blue) {
    return static_cast<std::uint16_t>(((red * 31 / 255) << 11) | ((green * 63 / 255) << 5) | (blue * 31 / 255));
}

void CPicture::set_size(std::uint32_t width, std::uint32_t height) {
    m_nWidth = width;
    m_nHeight = height;
}

void CPicture::set_indexed(const std::vector<palette_entry>& palette, const std::uint8_t* rows, std::size_t stride,
                           std::uint32_t width, std::uint32_t height) {
    std::uint16_t colour_of[256] = {};
    for (std::size_t i = 0; i < std::min<std::size_t>(palette.size(), 256); ++i)
        colour_of[i] = pack565_scaled(palette[i].red, palette[i].green, palette[i].blue);
    m_owned.resize(std::size_t{width} * height);
    for (std::uint32_t r = 0; r < height; ++r) {
        const std::uint8_t* from = rows + r * stride;
        std::uint16_t* to = m_owned.data() + std::size_t{r} * width;
        for (std::uint32_t x = 0; x < width; ++x) to[x] = colour_of[from[x]];
    }
    m_pPixels = m_owned.data();
    m_bOwnsPixels = true;
    m_nBitCount = 8;
    m_nWidth = width;
    m_nHeight = height;
}

void CPicture::set_pixels(std::uint16_t* pixels) {
    m_owned.clear();
    m_pPixels = pixels;
    m_bOwnsPixels = false;
    if (pixels) std::reverse(pixels, pixels + std::size_t{m_nWidth} * m_nHeight);
}

void CPicture::write(platform::CFile& file) const {
    const std::size_t count = std::size_t{m_nWidth} * m_nHeight;
    std::vector<std::uint8_t> bytes(2 * count);
    for (std::size_t i = 0; i < count && m_pPixels; ++i) put_le16(&bytes[2 * i], m_pPixels[count - 1 - i]);
    file.Write(bytes.data(), bytes.size());
}

void CPicture::draw(platform::CDC* dc, int x, int y) const {
    if (!dc || !m_pPixels) return;
    dc->DrawBitmap565(x, y, static_cast<int>(m_nWidth), static_cast<int>(m_nHeight), m_pPixels);
}

}  // namespace model
