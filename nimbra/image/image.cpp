#include "nimbra/image/image.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/file.h"
#include "platform/mem_file.h"

namespace tarvel_tech::nimbra {

void image::Serialize(platform::CArchive&) {}

bool image::decode(const std::uint8_t* bytes, std::size_t length, platform::CWnd* window) {
    platform::CMemFile file(bytes, length);
    return decode(&file, window);
}

bool image::load(platform::CFile* file, platform::CWnd* window) { return decode(file, window); }

bool image::load(const std::string& path, platform::CWnd* window) {
    platform::CFile file;
    if (!file.Open(path, platform::CFile::modeRead | platform::CFile::shareDenyNone)) return false;
    return decode(&file, window);
}

bool image::save(platform::CFile* file, platform::CWnd* window) { return encode(file, window); }

bool image::save(const std::string& path, platform::CWnd* window) {
    platform::CFile file;
    if (!file.Open(path, platform::CFile::modeCreate | platform::CFile::modeWrite)) return false;
    const bool done = encode(&file, window);
    file.Close();
    return done;
}

bool image::flip() {
    if (!block) return false;
    const std::size_t line = exinfo.line_bytes;
    std::vector<std::uint8_t> temp(line);
    for (int i = 0, j = info.biHeight - 1; i < j; ++i, --j) {
        std::uint8_t* a = row(i);
        std::uint8_t* b = row(j);
        std::memcpy(temp.data(), a, line);
        std::memcpy(a, b, line);
        std::memcpy(b, temp.data(), line);
    }
    return true;
}

std::unique_ptr<image> image::excise(int left, int top, int right, int bottom) const {
    if (!block) return nullptr;
    const int width = info.biWidth, height = info.biHeight;
    left = std::clamp(left, 0, width);
    right = std::clamp(right, 0, width);
    top = std::clamp(top, 0, height);
    bottom = std::clamp(bottom, 0, height);
    if (left == right || top == bottom) return nullptr;
    if (left > right) std::swap(left, right);
    const int first = height - std::max(top, bottom);
    const int last = height - std::min(top, bottom);

    std::unique_ptr<image> cut = clone();
    if (!cut || !cut->create(right - left, last - first, depth(), exinfo.image_type)) return nullptr;
    if (info.biClrUsed) std::memcpy(cut->block + bitmap_info_size, block + bitmap_info_size, info.biClrUsed * 4);
    cut->exinfo.background_index = exinfo.background_index;
    cut->exinfo.background_color = exinfo.background_color;

    const int rows = last - first;
    if (depth() == 1 || depth() == 4) {
        for (int i = 0; i < rows; ++i)
            for (int x = left; x < right; ++x) cut->set_index(x - left, i, get_index(x, first + i));
    } else {
        const std::size_t offset = static_cast<std::size_t>(left) * (depth() / 8);
        // The packed part of a row; the cut's padding stays as its create made it.
        const std::size_t count = static_cast<std::size_t>(right - left) * (depth() / 8);
        for (int i = 0; i < rows; ++i) std::memcpy(cut->row(i), row(first + i) + offset, count);
    }
    return cut;
}

}  // namespace tarvel_tech::nimbra
