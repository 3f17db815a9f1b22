#include <cstring>
#include <vector>

#include "nimbra/image/band_reader.h"
#include "nimbra/image/bmp_image.h"
#include "nimbra/image/bmp_layout.h"
#include "platform/file.h"

namespace tarvel_tech::nimbra {

struct bmp_band_reader::state {
    platform::CFile* file = nullptr;
    bmp_detail::bmp_layout layout;
    std::vector<std::uint8_t> source;  // 16- and 32-bit rows before their expansion
    std::unique_ptr<bmp_image> whole;  // run-length files
};

bmp_band_reader::bmp_band_reader() : state_(std::make_unique<state>()) {}
bmp_band_reader::~bmp_band_reader() = default;

bool bmp_band_reader::open(platform::CFile* file) {
    row_ = 0;
    *state_ = state{};
    if (!file) return fail("no file");
    const std::uint64_t start = file->GetPosition();
    bmp_detail::bmp_layout& layout = state_->layout;
    if (!bmp_detail::read_layout(file, layout)) return fail("not a bitmap that can be read");
    if (!bmp_detail::read_palette(file, layout, palette_)) return fail("the file ends inside the palette");
    if (layout.run_length()) {
        state_->whole = std::make_unique<bmp_image>();
        file->Seek(static_cast<std::int64_t>(start), platform::CFile::begin);
        if (!state_->whole->decode(file)) return fail("the run-length data cannot be decoded");
    }
    state_->file = file;
    header_ = layout.header();
    failed_ = false;
    error_.clear();
    return true;
}

bool bmp_band_reader::read_rows(image& band, int count) {
    const bmp_detail::bmp_layout& layout = state_->layout;
    const int height = header_.height;
    if (state_->whole) {
        const bmp_image& whole = *state_->whole;
        const std::size_t line = whole.get_exinfo().line_bytes;
        for (int i = 0; i < count; ++i) std::memcpy(band.row(count - 1 - i), whole.row(height - 1 - row_ - i), line);
        return true;
    }

    // The band's rows stand back to back in the file: from its bottom row up in a bottom-up
    // file, from its top row down in a top-down one. The file's last row may lack its
    // padding.
    const int first = layout.top_down ? row_ : height - row_ - count;
    const bool holds_last = first + count == height;
    const std::size_t stride = static_cast<std::size_t>(layout.file_stride);
    const std::size_t want = stride * static_cast<std::size_t>(count) -
                             (holds_last ? stride - static_cast<std::size_t>(layout.last_row) : 0);
    const std::uint64_t at = layout.pixel_pos + layout.file_stride * static_cast<std::uint64_t>(first);
    platform::CFile& file = *state_->file;
    if (file.Seek(static_cast<std::int64_t>(at), platform::CFile::begin) != at) return fail("the file is shorter than its pixel data");

    // Memory row of the band that the i-th row read from the file goes to.
    auto target = [&](int i) { return layout.top_down ? count - 1 - i : i; };
    const int bits = layout.bits();
    if (bits <= 8 || bits == 24) {
        // Same layout in the file and in the band: one read, turned over for a top-down file.
        if (file.Read(band.begin(), want) != want) return fail("the file is shorter than its pixel data");
        if (holds_last)
            std::memset(band.row(count - 1) + layout.last_row, 0, stride - static_cast<std::size_t>(layout.last_row));
        if (layout.top_down) band.flip();
        return true;
    }
    state_->source.resize(stride * static_cast<std::size_t>(count));
    if (file.Read(state_->source.data(), want) != want) return fail("the file is shorter than its pixel data");
    for (int i = 0; i < count; ++i) band.byte2rgb(bits, state_->source.data() + stride * i, target(i), layout.masks);
    return true;
}

}  // namespace tarvel_tech::nimbra
