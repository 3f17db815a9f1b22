#include "raster/rre_export.h"

#include <vector>

#include "georef/tr_rss.h"
#include "map/sf_map.h"
#include "nimbra/layer/write_layer.h"
#include "platform/exceptions.h"
#include "platform/file_io.h"
#include "platform/replacing_file.h"
#include "platform/ui_service.h"
#include "raster/frame_source.h"
#include "raster/layer_rre.h"

namespace model {

using tarvel_tech::nimbra::write_layer;

namespace {

bool refuse(const char* message, std::string* cause, const std::string& why) {
    platform::ui().MessageBox(message, kCaptionRreExport, platform::MB_OK | platform::MB_ICONEXCLAMATION);
    if (cause) *cause = why;
    return false;
}

}  // namespace

bool build_rre_layer(frame_source& source, const georef::CTrRSS& transform, write_layer& layer, std::string* cause) {
    const int width = source.get_width(), height = source.get_height();
    const frame_grid grid = frame_grid::for_picture(width, height);
    if (grid.empty())
        return refuse(kMsgNoCompatibleSize, cause,
                      "a picture of " + std::to_string(width) + " x " + std::to_string(height) +
                          " pixels has fewer than 4 on a side");

    auto& header = layer.get_header();
    header.set_count_latitude_frames(grid.columns);
    header.set_count_longitude_frames(grid.rows);
    header.set_size_latitude_frame(grid.frame_width);
    header.set_size_longitude_frame(grid.frame_height);
    header.set_width_layer_image(grid.covered_width());
    header.set_height_layer_image(grid.covered_height());
    const auto& direct = transform.GetDirect();
    const auto& inverse = transform.GetInverse();
    auto coefficients = layer.get_transform();
    for (std::size_t i = 0; i < 6; ++i) {
        coefficients[i] = direct[i];
        coefficients[6 + i] = inverse[i];
    }
    header.set_layer_type(tarvel_tech::nimbra::layer::rre_layer_type);

    if (!source.start(grid)) return refuse(kMsgBadLayerStructure, cause, source.get_error());
    std::vector<std::uint8_t> body;
    for (std::int64_t i = 0; i < grid.frame_count(); ++i) {
        // A frame missing from the grid would leave every later one in the wrong place.
        if (!source.next_frame(body))
            return refuse(kMsgBadLayerStructure, cause, "frame " + std::to_string(i) + ": " + source.get_error());
        if (!layer.put_frame(body.data(), body.size()))
            return refuse(kMsgBadLayerStructure, cause,
                          "frame " + std::to_string(i) + ": the layer would grow beyond the 2 GB its offsets reach");
    }
    if (!layer.is_valid()) return refuse(kMsgBadLayerStructure, cause, "the layer's header does not describe its frames");
    return true;
}

std::uint32_t body_length(const write_layer& layer) {
    const auto& frames = layer.get_frames();
    if (frames.empty()) return 0;
    const auto* first = frames.at(0);
    const auto* last = frames.at(frames.size() - 1);
    return static_cast<std::uint32_t>(last->get_data_offset() + last->get_data_size() - first->get_data_offset());
}

bool export_rre(frame_source* source, const georef::CTrRSS& transform, platform::CFile* target, std::string* cause) {
    if (!source || !target) {
        if (cause) *cause = "there is no picture or no file to write it to";
        return false;
    }
    write_layer layer;
    if (!build_rre_layer(*source, transform, layer, cause)) return false;
    platform::file_io::write_u32(*target, body_length(layer));
    if (layer.save(target)) return true;
    if (cause) *cause = "the layer cannot be written";
    return false;
}

bool export_raster_layer(const CSFMap& map, const std::string& path, int quality, std::string* cause) {
    const auto* raster = dynamic_cast<const CSFLayerRRE*>(map.GetRasterLayer());
    if (!raster || !raster->has_picture()) {
        if (cause) *cause = "the map has no raster layer with a picture";
        return false;
    }
    if (!map.get_snap_transform()->IsValid()) {
        platform::AfxMessageBox(kMsgSnapBeforeExport, platform::MB_ICONINFORMATION);
        if (cause) *cause = "the raster layer has not been snapped";
        return false;
    }
    picture_frames frames(*raster->m_pPicture, quality);
    write_layer layer;
    if (!build_rre_layer(frames, *map.get_snap_transform(), layer, cause)) return false;

    platform::replacing_file file;
    platform::CFileException error;
    if (!file.Create(path, &error)) {
        if (cause) *cause = platform::reason_of(error);
        return false;
    }
    try {
        if (!layer.save(&file)) {
            if (cause) *cause = "the layer cannot be written";
            return false;
        }
        file.Commit();
    } catch (const platform::CException& e) {
        if (cause) *cause = platform::reason_of(e);
        return false;
    }
    return true;
}

}  // namespace model
