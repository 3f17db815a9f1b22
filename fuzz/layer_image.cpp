// An RRE layer decoded into one picture, as opening a map document gives its raster layer
// a picture.

#include <cstdlib>

#include "fuzz/input_file.h"
#include "nimbra/layer/layer_image.h"
#include "nimbra/layer/read_layer.h"
#include "platform/exceptions.h"

using tarvel_tech::nimbra::layer_image;
using tarvel_tech::nimbra::read_layer;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::input_file file("layer.rre");
    try {
        read_layer rre;
        if (!rre.load(file.write(data, size))) return 0;
        layer_image picture;
        if (!picture.load(&rre)) return 0;
        const auto& h = rre.get_header();
        const auto& info = picture.get_info();
        if (info.biWidth != h.get_width_layer_image() || info.biHeight != h.get_height_layer_image()) std::abort();
        // No body of a read layer stays in memory after a decode.
        for (auto it = rre.begin(); it != rre.end(); ++it)
            if (it->get_body()) std::abort();
    } catch (const platform::CException&) {
        // A file that ends inside the header or the index.
    }
    return 0;
}
