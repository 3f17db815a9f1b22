#include "cli/describe.h"
#include "nimbra/layer/read_layer.h"
#include "platform/exceptions.h"

namespace cli {

using tarvel_tech::nimbra::layer;
using tarvel_tech::nimbra::read_layer;

value describe_rre(const std::string& path, const arguments& args) {
    read_layer rre;
    try {
        if (!rre.load(path)) throw cannot("open", path, open_cause(path, "it cannot be read"));
    } catch (const platform::CException& e) {
        throw cannot("read", path, cause_of(e));
    }

    const layer::header& h = rre.get_header();
    value::array transform;
    for (double t : rre.get_transform()) transform.emplace_back(t);

    value::object report{
        {"layer_type", h.get_layer_type()},
        {"min_latitude", h.get_min_latitude()},
        {"max_latitude", h.get_max_latitude()},
        {"min_longitude", h.get_min_longitude()},
        {"max_longitude", h.get_max_longitude()},
        {"width_layer_image", h.get_width_layer_image()},
        {"height_layer_image", h.get_height_layer_image()},
        {"count_longitude_frames", h.get_count_longitude_frames()},
        {"count_latitude_frames", h.get_count_latitude_frames()},
        {"size_longitude_frame", h.get_size_longitude_frame()},
        {"size_latitude_frame", h.get_size_latitude_frame()},
        {"transform", std::move(transform)},
        {"frames", rre.get_frames().size()},
        {"valid", rre.is_valid()},
    };
    // Besides the format's validity: bodies the index places past the end of the file (a
    // file cut short) cannot be decoded.
    value::array outside;
    for (std::int32_t index : rre.frames_outside_file()) outside.emplace_back(index);
    report.emplace_back("frames_outside_file", std::move(outside));
    if (args.has("--frames")) {
        value::array index;
        for (auto it = rre.begin(); it != rre.end(); ++it)
            index.emplace_back(value::array{it->get_data_offset(), it->get_data_size()});
        report.emplace_back("frame_index", std::move(index));
    }
    return report;
}

}  // namespace cli
