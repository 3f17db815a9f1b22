#include "shapes/picture.h"

#include <algorithm>

#include "platform/endian.h"
#include "platform/file.h"
#include "platform/file_io.h"

using namespace platform::endian;

namespace model {

CPicture::CPicture(platform::CDC* dc) : m_pDC(dc) {}

CPicture::CPicture(platform::CDC* dc, platform::COLORREF color, std::uint32_t width, std::uint32_t height)
    : m_pDC(dc), m_nWidth(width), m_nHeight(height) {
    m_owned.assign(std::size_t{width} * height,
                   pack565(platform::GetRValue(color), platform::GetGValue(color), platform::GetBValue(color)));
    m_pPixels = m_owned.data();
}

CPicture::CPicture(platform::CDC* dc, std::vector<std::uint16_t> pixels, std::uint32_t width, std::uint32_t height)
    : m_owned(std::move(pixels)), m_pDC(dc), m_nWidth(width), m_nHeight(height) {
    m_owned.resize(std::size_t{width} * height);
    m_pPixels = m_owned.data();
}

// The top 5, 6 and 5 bits of red, green and blue.
std::uint16_t CPicture::pack565(unsigned red, unsigned green, unsigned blue) {
    return static_cast<std::uint16_t>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
}

void CPicture::set_size(std::uint32_t width, std::uint32_t height) {
    m_nWidth = width;
    m_nHeight = height;
}

bool CPicture::load(const std::string& path) {
    platform::CFile file;
    if (!file.Open(path, platform::CFile::modeRead | platform::CFile::shareDenyNone)) return false;
    std::uint8_t head[54];
    if (!platform::file_io::read_exact(file, head, sizeof head)) return false;
    if (head[0] != 'B' || head[1] != 'M') return false;
    const std::uint32_t pixel_offset = get_le32(head + 10);
    const std::uint32_t info_size = get_le32(head + 14);
    const std::int32_t width = get_le_i32(head + 18);
    const std::int32_t raw_height = get_le_i32(head + 22);
    m_nBitCount = get_le16(head + 28);
    const std::uint32_t compression = get_le32(head + 30);
    std::uint32_t colours = get_le32(head + 46);
    if (m_nBitCount != 8 || compression != 0 || info_size < 40) return false;
    if (width <= 0 || raw_height == 0 || raw_height < -65536 || raw_height > 65536 || width > 65536) return false;
    const std::uint32_t height = static_cast<std::uint32_t>(raw_height < 0 ? -raw_height : raw_height);

    // The palette follows the information header; a short one names its entries.
    if (colours == 0 || colours > 256) colours = 256;
    m_palette.fill(0);
    file.Seek(14 + std::int64_t{info_size}, platform::CFile::begin);
    if (!platform::file_io::read_exact(file, m_palette.data(), 4 * std::size_t{colours})) return false;

    // Rows are padded to whole 4-byte words and must all be in the file.
    const std::size_t stride = (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
    if (pixel_offset + std::uint64_t{stride} * height > file.GetLength()) return false;
    std::vector<std::uint8_t> indices(stride * height);
    file.Seek(pixel_offset, platform::CFile::begin);
    if (!platform::file_io::read_exact(file, indices.data(), indices.size())) return false;

    std::uint16_t colour_of[256];
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t* q = &m_palette[4 * static_cast<std::size_t>(i)];  // blue, green, red
        colour_of[i] = static_cast<std::uint16_t>(((q[2] * 31 / 255) << 11) | ((q[1] * 63 / 255) << 5) | (q[0] * 31 / 255));
    }
    m_owned.resize(static_cast<std::size_t>(width) * height);
    for (std::uint32_t r = 0; r < height; ++r) {
        // Pixels are kept bottom row first, as the usual bitmap file has them.
        const std::uint32_t file_row = raw_height > 0 ? r : height - 1 - r;
        const std::uint8_t* from = indices.data() + file_row * stride;
        std::uint16_t* to = m_owned.data() + std::size_t{r} * static_cast<std::size_t>(width);
        for (std::int32_t x = 0; x < width; ++x) to[x] = colour_of[from[x]];
    }
    m_pPixels = m_owned.data();
    m_bOwnsPixels = true;
    m_nWidth = static_cast<std::uint32_t>(width);
    m_nHeight = height;
    return true;
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
