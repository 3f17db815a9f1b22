// An RRE layer read as the program reads one: header and index from its file, then every
// frame's body on demand, the pixel lookup and the geographic conversions. The same bytes
// are also read from memory, as a layer embedded in another file is.

#include <cstdlib>
#include <numeric>

#include "fuzz/input_file.h"
#include "nimbra/layer/read_layer.h"
#include "platform/exceptions.h"
#include "platform/mem_file.h"

using tarvel_tech::nimbra::layer;
using tarvel_tech::nimbra::read_layer;

namespace {

// Every byte of every body is looked at, so that the sanitizer sees a body shorter than its size.
volatile unsigned checksum = 0;

void walk(read_layer& rre, std::size_t size) {
    const bool valid = rre.is_valid();
    std::int32_t frames = 0;
    for (auto it = rre.begin(); it != rre.end(); ++it, ++frames) {
        layer::frame* f = *it;
        if (!f || frames >= rre.get_frames().size()) std::abort();
        if (const std::uint8_t* body = f->fix(true)) {
            // A body comes whole from the file or not at all.
            if (static_cast<std::size_t>(f->size()) > size) std::abort();
            checksum = std::accumulate(body, body + f->size(), checksum);
        }
        f->fix(false);
        if (f->get_body()) std::abort();
    }
    if (frames != rre.get_frames().size()) std::abort();

    const auto& h = rre.get_header();
    const std::uint32_t probes[][2] = {{0, 0},
                                       {static_cast<std::uint32_t>(h.get_width_layer_image()) - 1,
                                        static_cast<std::uint32_t>(h.get_height_layer_image()) - 1},
                                       {static_cast<std::uint32_t>(h.get_size_latitude_frame()),
                                        static_cast<std::uint32_t>(h.get_size_longitude_frame())},
                                       {0xFFFFFFFFu, 0xFFFFFFFFu}};
    for (const auto& p : probes) {
        auto it = rre[p[0]][p[1]];
        if (it != rre.end() && !*it) std::abort();
        if (valid && p[0] < static_cast<std::uint32_t>(h.get_width_layer_image()) &&
            p[1] < static_cast<std::uint32_t>(h.get_height_layer_image()) && it == rre.end())
            std::abort();
    }
    platform::CPoint point{100, 200};
    double latitude = 0, longitude = 0;
    rre.direct(&point, &latitude, &longitude);
    rre.direct(&point);
    rre.inverse(latitude, longitude, &point);
    rre.inverse(&point);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::input_file file("layer.rre");
    try {
        read_layer rre;
        if (rre.load(file.write(data, size))) walk(rre, size);
    } catch (const platform::CException&) {
        // A file that ends inside the header or the index.
    }
    try {
        platform::CMemFile memory(data, size);
        read_layer embedded;
        if (embedded.load(&memory, 0)) walk(embedded, size);
    } catch (const platform::CException&) {
    }
    return 0;
}
