#include <algorithm>
#include <cstring>

#include "nimbra/image/__image.h"

namespace tarvel_tech::nimbra {

__image::palette::~palette() = default;

std::uint32_t __image::palette::count() const { return owner_->block ? owner_->info.biClrUsed : 0; }

std::uint8_t* __image::palette::entry(int index) const {
    return owner_->block + bitmap_info_size + static_cast<std::size_t>(index) * 4;
}

std::size_t __image::palette::get_size() const { return std::size_t{count()} * 4; }

RGBQUAD* __image::palette::begin() const {
    // The entries are the block's bytes; RGBQUAD has their layout and no alignment need.
    return count() ? reinterpret_cast<RGBQUAD*>(entry(0)) : nullptr;
}

RGBQUAD __image::palette::get_color(int index) const {
    const int i = index & 0xFF;
    if (static_cast<std::uint32_t>(i) >= count()) return RGBQUAD{};
    const std::uint8_t* e = entry(i);
    return RGBQUAD{e[0], e[1], e[2], e[3]};
}

bool __image::palette::get_rgb(int index, std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) const {
    if (!count()) return false;
    const RGBQUAD c = get_color(index);
    red = c.rgbRed;
    green = c.rgbGreen;
    blue = c.rgbBlue;
    return true;
}

int __image::palette::nearest_index(RGBQUAD colour) const {
    const std::uint32_t n = count();
    int best = 0;
    long best_distance = -1;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint8_t* e = entry(static_cast<int>(i));
        const long db = e[0] - colour.rgbBlue, dg = e[1] - colour.rgbGreen, dr = e[2] - colour.rgbRed;
        const long d = db * db + dg * dg + dr * dr;
        if (d == 0) return static_cast<int>(i);
        if (best_distance < 0 || d < best_distance) {
            best_distance = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

void __image::palette::replace(int n, const std::uint8_t* reds, const std::uint8_t* greens,
                               const std::uint8_t* blues) {
    if (!reds) return;
    if (!greens) greens = reds;
    if (!blues) blues = greens;
    const int m = std::min<long>(n, count());
    for (int i = 0; i < m; ++i) {
        std::uint8_t* e = entry(i);
        e[0] = blues[i];
        e[1] = greens[i];
        e[2] = reds[i];
    }
}

void __image::palette::replace(const RGBQUAD* entries, int n) {
    if (!entries) return;
    const int m = std::min<long>(n, count());
    for (int i = 0; i < m; ++i) replace_index(i, entries[i]);
}

void __image::palette::replace(const COLORREF* colours, int n) {
    if (!colours) return;
    const int m = std::min<long>(n, count());
    for (int i = 0; i < m; ++i) {
        std::uint8_t* e = entry(i);
        e[0] = platform::GetBValue(colours[i]);
        e[1] = platform::GetGValue(colours[i]);
        e[2] = platform::GetRValue(colours[i]);
    }
}

void __image::palette::replace_index(int index, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    replace_index(index, RGBQUAD{blue, green, red, 0});
}

void __image::palette::replace_index(int index, RGBQUAD c) {
    if (index < 0 || static_cast<std::uint32_t>(index) >= count()) return;
    std::uint8_t* e = entry(index);
    e[0] = c.rgbBlue;
    e[1] = c.rgbGreen;
    e[2] = c.rgbRed;
    e[3] = c.rgbReserved;
}

void __image::palette::replace_index(int index, COLORREF colour) {
    replace_index(index, RGBQUAD{platform::GetBValue(colour), platform::GetGValue(colour), platform::GetRValue(colour), 0});
}

void __image::palette::swap_index(int i, int j) {
    const std::uint32_t n = count();
    if (i < 0 || j < 0 || static_cast<std::uint32_t>(i) >= n || static_cast<std::uint32_t>(j) >= n || i == j)
        return;
    std::uint8_t saved[4];
    std::memcpy(saved, entry(i), 4);
    std::memcpy(entry(i), entry(j), 4);
    std::memcpy(entry(j), saved, 4);

    __image& img = *owner_;
    const int width = img.info.biWidth, height = img.info.biHeight;
    for (int y = 0; y < height; ++y) {
        if (img.depth() == 8) {
            std::uint8_t* r = img.row(y);
            for (int x = 0; x < width; ++x)
                if (r[x] == i)
                    r[x] = static_cast<std::uint8_t>(j);
                else if (r[x] == j)
                    r[x] = static_cast<std::uint8_t>(i);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const int index = img.get_index(x, y);
            if (index == i)
                img.set_index(x, y, j);
            else if (index == j)
                img.set_index(x, y, i);
        }
    }
}

bool __image::palette::is_valid() const {
    const std::uint32_t n = count();
    for (std::uint32_t i = 0; i < n; ++i)
        if (entry(static_cast<int>(i))[3] != 0) return true;
    return false;
}

void __image::palette::blend(COLORREF colour, int percent) {
    percent = std::clamp(percent, 0, 100);
    const std::uint8_t target[3] = {platform::GetBValue(colour), platform::GetGValue(colour), platform::GetRValue(colour)};
    const std::uint32_t n = count();
    for (std::uint32_t i = 0; i < n; ++i) {
        std::uint8_t* e = entry(static_cast<int>(i));
        for (int k = 0; k < 3; ++k)
            e[k] = static_cast<std::uint8_t>((target[k] * percent + e[k] * (100 - percent)) / 100);
    }
}

void __image::palette::make_gray() {
    const std::uint32_t n = count();
    if (!n) return;
    const std::uint32_t step = n > 1 ? 255 / (n - 1) : 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        const auto g = static_cast<std::uint8_t>(i * step);
        replace_index(static_cast<int>(i), g, g, g);
    }
}

bool __image::palette::is_gray_scale() const {
    const std::uint32_t n = count();
    if (!n) return false;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint8_t* e = entry(static_cast<int>(i));
        if (e[0] != i || e[1] != i || e[2] != i) return false;
    }
    return true;
}

}  // namespace tarvel_tech::nimbra
