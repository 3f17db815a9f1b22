#include "raster/rre_export.h"

#include <functional>
#include <limits>
#include <vector>

#include "georef/tr_rss.h"
#include "map/sf_map.h"
#include "nimbra/layer/write_layer.h"
#include "platform/exceptions.h"
#include "platform/file_io.h"
#include "platform/replacing_file.h"
#include "platform/ui_service.h"
#include "raster/frame_grid.h"
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

// The header of the layer the grid's frames make, through the transformation.
void fill_header(write_layer& layer, const frame_grid& grid, const georef::CTrRSS& transform) {
    auto& header = layer.get_header();
    header.set_frame_grid(grid.columns, grid.rows, grid.frame_width, grid.frame_height);
    const auto& direct = transform.GetDirect();
    const auto& inverse = transform.GetInverse();
    auto coefficients = layer.get_transform();
    for (std::size_t i = 0; i < 6; ++i) {
        coefficients[i] = direct[i];
        coefficients[6 + i] = inverse[i];
    }
    header.set_layer_type(tarvel_tech::nimbra::layer::rre_layer_type);
}

// The grid of the source's picture; empty, after telling the operator, when it has none.
frame_grid grid_of(const frame_source& source, std::string* cause) {
    const int width = source.get_width(), height = source.get_height();
    const frame_grid grid = frame_grid::for_picture(width, height);
    if (grid.empty())
        refuse(kMsgNoCompatibleSize, cause,
               "a picture of " + std::to_string(width) + " x " + std::to_string(height) +
                   " pixels has fewer than 4 on a side");
    return grid;
}

// Every frame of the source in index order, each handed to put. A picture that cannot be
// read is not the layer's fault: the operator hears of it from whoever reads the picture.
bool put_frames(frame_source& source, const frame_grid& grid,
                const std::function<bool(const std::vector<std::uint8_t>&)>& put, std::string* cause) {
    if (!source.start(grid)) return refuse(kMsgBadLayerStructure, cause, source.get_error());
    std::vector<std::uint8_t> body;
    for (std::int64_t i = 0; i < grid.frame_count(); ++i) {
        // A frame missing from the grid would leave every later one in the wrong place.
        if (!source.next_frame(body)) {
            if (source.picture_unreadable()) {
                if (cause) *cause = "the picture cannot be read: " + source.get_error();
                return false;
            }
            return refuse(kMsgBadLayerStructure, cause, "frame " + std::to_string(i) + ": " + source.get_error());
        }
        if (!put(body))
            return refuse(kMsgBadLayerStructure, cause,
                          "frame " + std::to_string(i) + ": the layer would grow beyond the 2 GB its offsets reach");
    }
    return true;
}

}  // namespace

bool build_rre_layer(frame_source& source, const georef::CTrRSS& transform, write_layer& layer, std::string* cause) {
    const frame_grid grid = grid_of(source, cause);
    if (grid.empty()) return false;
    fill_header(layer, grid, transform);
    const auto put = [&layer](const std::vector<std::uint8_t>& body) { return layer.put_frame(body.data(), body.size()); };
    if (!put_frames(source, grid, put, cause)) return false;
    if (!layer.is_valid()) return refuse(kMsgBadLayerStructure, cause, "the layer's header does not describe its frames");
    return true;
}

bool stream_rre_layer(frame_source& source, const georef::CTrRSS& transform, platform::CFile& target,
                      std::string* cause) {
    const frame_grid grid = grid_of(source, cause);
    if (grid.empty()) return false;
    write_layer layer;
    fill_header(layer, grid, transform);
    if (grid.frame_count() > std::numeric_limits<std::int32_t>::max() ||
        !layer.start_stream(&target, static_cast<std::int32_t>(grid.frame_count())))
        return refuse(kMsgBadLayerStructure, cause, "the frame index would grow beyond the 2 GB its offsets reach");
    const auto put = [&layer](const std::vector<std::uint8_t>& body) {
        return layer.stream_frame(body.data(), body.size());
    };
    if (!put_frames(source, grid, put, cause)) return false;
    if (!layer.finish_stream() || !layer.is_valid())
        return refuse(kMsgBadLayerStructure, cause, "the layer's header does not describe its frames");
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

namespace {

// The layer written to the file from the source: straight to the file as the frames come,
// or, for a target that cannot seek back to its index (a pipe), built in memory first.
bool write_layer_file(platform::replacing_file& file, frame_source& source, const georef::CTrRSS& transform,
                      std::string* cause) {
    if (file.replaces_target()) return stream_rre_layer(source, transform, file, cause);
    write_layer layer;
    if (!build_rre_layer(source, transform, layer, cause)) return false;
    if (layer.save(&file)) return true;
    if (cause) *cause = "the layer cannot be written";
    return false;
}

}  // namespace

bool export_raster_layer(const CSFMap& map, const std::string& path, int quality, std::string* cause, int threads) {
    const auto* raster = dynamic_cast<const CSFLayerRRE*>(map.GetRasterLayer());
    if (!raster || !raster->can_export()) {
        if (cause) *cause = "the map has no raster layer with a picture";
        return false;
    }
    if (!map.get_snap_transform()->IsValid()) {
        platform::AfxMessageBox(kMsgSnapBeforeExport, platform::MB_ICONINFORMATION);
        if (cause) *cause = "the raster layer has not been snapped";
        return false;
    }
    platform::replacing_file file;
    platform::CFileException error;
    try {
        // The picture's file when it is as it was imported, else the picture in memory; should
        // the file fail to read meanwhile, the picture in memory still serves.
        for (const bool from_file : {true, false}) {
            std::unique_ptr<frame_source> frames = raster->export_frames(quality, threads, from_file, cause);
            if (!frames) continue;
            if (!file.Create(path, &error)) {
                if (cause) *cause = platform::reason_of(error);
                return false;
            }
            if (write_layer_file(file, *frames, *map.get_snap_transform(), cause)) {
                file.Commit();
                return true;
            }
            file.Discard();
            if (!frames->picture_unreadable() || !from_file) return false;
        }
    } catch (const platform::CException& e) {
        if (cause) *cause = platform::reason_of(e);
        return false;
    }
    return false;
}

}  // namespace model
