#include "vector/layer_icons.h"

#include "nimbra/image/bmp_image.h"
#include "platform/endian.h"
#include "platform/file.h"
#include "platform/file_io.h"
#include "platform/path.h"

using namespace platform::file_io;

namespace model {

bool load_icon(CPicture& picture, const std::string& path) {
    tarvel_tech::nimbra::bmp_image bitmap;
    if (!bitmap.load(path)) return false;
    const tarvel_tech::nimbra::BITMAPINFOHEADER& info = bitmap.get_info();
    if (info.biBitCount != 8 || info.biWidth <= 0 || info.biHeight <= 0) return false;
    const auto& colours = bitmap.get_palette();
    std::vector<CPicture::palette_entry> palette(colours.get_size() / 4);  // 4 bytes an entry
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const tarvel_tech::nimbra::RGBQUAD entry = colours.get_color(static_cast<int>(i));
        palette[i] = {entry.rgbRed, entry.rgbGreen, entry.rgbBlue};
    }
    // The codec keeps the rows bottom-up, as the picture does.
    picture.set_indexed(palette, bitmap.row(0), bitmap.get_exinfo().line_bytes,
                        static_cast<std::uint32_t>(info.biWidth), static_cast<std::uint32_t>(info.biHeight));
    return true;
}

CSFLayerIcons::CSFLayerIcons(CSFMap* map) : CSFLayer(kLayerIcons, map) {}

CSFLayerIcons::~CSFLayerIcons() = default;

void CSFLayerIcons::AddIcon(std::unique_ptr<CPicture> picture) {
    picture->m_nNumber = m_nIcons;
    m_aIcons.push_back(std::move(picture));
    m_nIcons = static_cast<std::uint32_t>(m_aIcons.size());
}

CPicture* CSFLayerIcons::GetIcon(std::uint32_t number) const {
    return number < m_aIcons.size() ? m_aIcons[number].get() : nullptr;
}

bool CSFLayerIcons::LoadIcons(const std::string& folder, platform::CDC* dc) {
    std::string base = folder;
    if (!base.empty() && base.back() != '/' && base.back() != '\\') base += '/';
    const std::uint32_t before = m_nIcons;
    // Directory order differs from system to system; names sort the same everywhere, so
    // icon numbers stay the same from one run to the next.
    for (const std::string& name : platform::list_files(folder)) {
        if (platform::lower_extension(name) != ".bmp") continue;
        auto picture = std::make_unique<CPicture>(dc);
        // A file that is no 8-bit bitmap has no pixels to show; it takes no icon number, so
        // that a point layer's first icon is always a picture.
        if (!load_icon(*picture, base + name)) continue;
        AddIcon(std::move(picture));
    }
    return m_nIcons == before;
}

void CSFLayerIcons::WriteDocument(platform::CFile& file) {
    write_u32(file, kLayerIcons);
    write_u32(file, m_nIcons);
    for (const auto& icon : m_aIcons) {
        write_u32(file, icon->m_nNumber);
        write_u32(file, icon->get_width());
        write_u32(file, icon->get_height());
    }
    for (const auto& icon : m_aIcons) icon->write(file);
}

read_result CSFLayerIcons::ReadIcons(platform::CFile& file, platform::CDC* dc) {
    std::uint32_t count = 0;
    if (!read_u32(file, count)) return read_failed;
    if (count > bytes_left(file) / 12) return read_failed;
    std::vector<std::unique_ptr<CPicture>> icons;
    std::uint64_t pixels = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t number = 0, width = 0, height = 0;
        if (!read_u32(file, number) || !read_u32(file, width) || !read_u32(file, height)) return read_failed;
        auto icon = std::make_unique<CPicture>(dc);
        icon->m_nNumber = number;
        icon->set_size(width, height);
        pixels += std::uint64_t{width} * height;
        // The pixels of every icon follow the sizes: sizes they cannot fill are not sizes.
        if (pixels > bytes_left(file) / 2) return read_failed;
        icons.push_back(std::move(icon));
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(2 * pixels));
    if (!read_exact(file, bytes.data(), bytes.size())) return read_failed;
    m_pPixels.resize(static_cast<std::size_t>(pixels));
    for (std::size_t i = 0; i < m_pPixels.size(); ++i) m_pPixels[i] = platform::endian::get_le16(&bytes[2 * i]);

    m_aIcons = std::move(icons);
    m_nIcons = count;
    std::uint16_t* slice = m_pPixels.data();
    for (auto& icon : m_aIcons) {
        icon->set_pixels(slice);
        slice += std::size_t{icon->get_width()} * icon->get_height();
    }
    return read_ok;
}

}  // namespace model
