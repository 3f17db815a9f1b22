#include "nimbra/layer/layer_image.h"

#include <cmath>
#include <cstring>

#include "nimbra/image/jpg_image.h"
#include "nimbra/layer/layer.h"
#include "nimbra/layer/read_layer.h"
#include "platform/window.h"

namespace tarvel_tech::nimbra {
namespace {

// Decodes a frame's body, bringing it into memory first and letting it go afterwards.
bool decode_frame(layer::frame& f, jpg_image& out) {
    const std::uint8_t* body = f.fix(true);
    if (!body) return false;
    const bool done = out.decode(body, static_cast<std::size_t>(f.size()));
    f.fix(false);
    return done;
}

}  // namespace

std::unique_ptr<image> layer_image::clone() const { return std::make_unique<layer_image>(); }

bool layer_image::load(layer* source, platform::CWnd* window) { return decode(source, window); }

bool layer_image::decode(platform::CFile* file, platform::CWnd*) {
    read_layer source;
    if (!source.load(file, 0)) return false;
    return decode(&source, nullptr);
}

bool layer_image::encode(platform::CFile*, platform::CWnd*) { return false; }

bool layer_image::encode(std::unique_ptr<std::uint8_t[]>&, std::size_t&, platform::CWnd*) { return true; }

bool layer_image::decode(layer* source, platform::CWnd* window) {
    if (!source || !source->is_valid()) return false;
    if (source->begin() == source->end()) return false;
    const layer::header& h = source->get_header();
    const int columns = h.get_count_latitude_frames();
    const int rows = h.get_count_longitude_frames();
    const int frame_width = h.get_size_latitude_frame();
    const int frame_height = h.get_size_longitude_frame();

    jpg_image first;
    if (!decode_frame(**source->begin(), first)) return false;
    const BITMAPINFOHEADER& fi = first.get_info();
    // Every frame is copied row by row into its cell: one of another size would write
    // outside it.
    if (fi.biWidth != frame_width || fi.biHeight != frame_height) return false;
    const int bits = fi.biBitCount;
    // Every frame costs its own bytes of the file: frames pointing at one body would make
    // a small file stand for a picture many times its size.
    if (!source->bodies_fit_file()) return false;
    if (!create(h.get_width_layer_image(), h.get_height_layer_image(), bits, jpg_type)) return false;

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
        jpg_image piece;
        if (!decode_frame(**it, piece)) return false;
        const BITMAPINFOHEADER& pi = piece.get_info();
        if (pi.biWidth != frame_width || pi.biHeight != frame_height || pi.biBitCount != bits) return false;

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
