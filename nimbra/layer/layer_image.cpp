#include "nimbra/layer/layer_image.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "nimbra/image/jpeg_reader.h"
#include "nimbra/image/jpg_image.h"
#include "nimbra/layer/layer.h"
#include "nimbra/layer/read_layer.h"
#include "platform/mem_file.h"
#include "platform/window.h"

namespace tarvel_tech::nimbra {

std::unique_ptr<image> layer_image::clone() const { return std::make_unique<layer_image>(); }

bool layer_image::load(layer* source, platform::CWnd* window) { return decode(source, window); }

bool layer_image::decode(platform::CFile* file, platform::CWnd*) {
    read_layer source;
    if (!source.load(file, 0)) return false;
    return decode(&source, nullptr);
}

bool layer_image::encode(platform::CFile*, platform::CWnd*) { return false; }

bool layer_image::encode(std::unique_ptr<std::uint8_t[]>&, std::size_t&, platform::CWnd*) { return true; }

bool layer_image::fail(const layer& source, std::int32_t index, std::string reason) {
    failure_.index = index;
    const std::int32_t columns = source.get_header().get_count_latitude_frames();
    if (index >= 0 && columns > 0) {
        failure_.row = index / columns;
        failure_.column = index % columns;
    }
    failure_.reason = std::move(reason);
    return false;
}

bool layer_image::fail_outside(const layer& source, std::int32_t index) {
    const layer::frame& f = *source.get_frames().at(index);
    return fail(source, index,
                "its body (" + std::to_string(f.get_data_size()) + " bytes at offset " +
                    std::to_string(f.get_data_offset()) + ") lies outside the file");
}

bool layer_image::decode_frame(layer& source, std::int32_t index, int bits, jpg_image& out) {
    layer::frame& f = *source.get_frames().at(index);
    const std::uint8_t* body = f.fix(true);
    if (!body) {
        const std::vector<std::int32_t> outside = source.frames_outside_file();
        if (std::find(outside.begin(), outside.end(), index) != outside.end()) return fail_outside(source, index);
        return fail(source, index, "its body cannot be read");
    }
    const std::size_t size = static_cast<std::size_t>(f.size());
    const layer::header& h = source.get_header();
    const int width = h.get_size_latitude_frame(), height = h.get_size_longitude_frame();

    // Only the header first: a frame that cannot fit its cell is not decoded at all.
    std::string refused;
    {
        platform::CMemFile file(body, size);
        jpeg_detail::jpeg_reader reader(&file);
        if (!reader.read_header()) {
            refused = jpeg_detail::last_error_text();
        } else {
            const picture_header& ph = reader.header();
            if (ph.width != width || ph.height != height)
                refused = "it is " + std::to_string(ph.width) + " x " + std::to_string(ph.height) +
                          " pixels, the grid's frames are " + std::to_string(width) + " x " + std::to_string(height);
            else if (bits && ph.bit_count != bits)
                refused = "it has " + std::to_string(ph.bit_count) + "-bit pixels, the first frame " +
                          std::to_string(bits) + "-bit";
        }
    }
    const bool done = refused.empty() && out.decode(body, size);
    if (refused.empty() && !done) refused = jpg_image::get_last_error();
    f.fix(false);
    return done || fail(source, index, refused);
}

bool layer_image::decode(layer* source, platform::CWnd* window) {
    failure_ = {};
    if (!source) return false;
    if (!source->is_valid()) return fail(*source, -1, "not a valid RRE layer");
    if (source->begin() == source->end()) return fail(*source, -1, "the layer has no frames");
    const layer::header& h = source->get_header();
    const int columns = h.get_count_latitude_frames();
    const int rows = h.get_count_longitude_frames();
    const int frame_width = h.get_size_latitude_frame();
    const int frame_height = h.get_size_longitude_frame();

    jpg_image first;
    if (!decode_frame(*source, 0, 0, first)) return false;
    const BITMAPINFOHEADER& fi = first.get_info();
    const int bits = fi.biBitCount;
    // Before the picture is made: every frame costs its own bytes of the file, and frames
    // pointing at one body would make a small file stand for a picture many times its size.
    if (const std::vector<std::int32_t> outside = source->frames_outside_file(); !outside.empty())
        return fail_outside(*source, outside.front());
    if (!source->bodies_fit_file())
        return fail(*source, -1, "the frames' bodies claim more bytes than the file holds");
    if (!create(h.get_width_layer_image(), h.get_height_layer_image(), bits, jpg_type))
        return fail(*source, -1, "Insufficient memory");

    const tag_image_info& fx = first.get_exinfo();
    exinfo.xdpi = fx.xdpi;
    exinfo.ydpi = fx.ydpi;
    exinfo.quality = fx.quality;
    exinfo.background_color = fx.background_color;
    exinfo.background_index = fx.background_index;
    info.biBitCount = fi.biBitCount;
    info.biPlanes = fi.biPlanes;
    info.biCompression = fi.biCompression;
    info.biClrUsed = fi.biClrUsed;
    info.biClrImportant = fi.biClrImportant;
    info.biXPelsPerMeter = fi.biXPelsPerMeter;
    info.biYPelsPerMeter = fi.biYPelsPerMeter;
    if (fi.biClrUsed) std::memcpy(block + bitmap_info_size, *first + bitmap_info_size, std::size_t{fi.biClrUsed} * 4);
    store_header();

    const int count = rows * columns;
    const int step = static_cast<int>(std::ceil(count * 0.01));
    const std::size_t frame_bytes = static_cast<std::size_t>(frame_width) * (bits / 8);
    int last_progress = 0;
    int i = 0;
    for (auto it = source->begin(); it != source->end(); ++it, ++i) {
        // The first frame is decoded already.
        jpg_image later;
        if (i > 0 && !decode_frame(*source, i, bits, later)) return false;
        const jpg_image& piece = i == 0 ? first : later;

        const int r = i / columns;
        const int c = i - r * columns;
        // Frame row 0 is the top of the picture; rows are stored bottom-up.
        const int bottom = (rows - 1 - r) * frame_height;
        const std::size_t offset = static_cast<std::size_t>(c) * frame_bytes;
        for (int y = 0; y < frame_height; ++y) std::memcpy(row(bottom + y) + offset, piece.row(y), frame_bytes);

        if (window) {
            const int progress = i / step;
            if (progress != last_progress) {
                window->PostMessage(progress_message, 0, progress);
                last_progress = progress;
            }
        }
    }
    return true;
}

}  // namespace tarvel_tech::nimbra
