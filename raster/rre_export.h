#pragma once

#include <cstdint>
#include <string>

namespace platform {
class CFile;
}
namespace georef {
class CTrRSS;
}
namespace tarvel_tech::nimbra {
class write_layer;
}

namespace model {

class CSFMap;
class frame_source;

inline constexpr char kMsgNoCompatibleSize[] = "No compatible size";
inline constexpr char kMsgBadLayerStructure[] = "error in rre layer structure";
inline constexpr char kCaptionRreExport[] = "rre export";
inline constexpr char kMsgSnapBeforeExport[] = "You must snap the previous layer...";

// The export of a picture as an RRE layer. The frames come from the source in index order
// and go into the writer, the frame grid and the transformation's six direct and six
// inverse coefficients into its header. False after telling the operator why ("No
// compatible size" for a picture of fewer than 4 pixels on a side, "error in rre layer
// structure" for frames that could not be made or a layer that is not valid); cause, when
// given, then says what went wrong in the operator's words.
bool build_rre_layer(frame_source& source, const georef::CTrRSS& transform, tarvel_tech::nimbra::write_layer& layer,
                     std::string* cause = nullptr);

// The length of a layer's frame bodies together: from the first body's start to the last
// one's end.
std::uint32_t body_length(const tarvel_tech::nimbra::write_layer& layer);

// The export routine of a map document: builds the layer, then writes the length of its
// bodies (4 bytes) and the layer itself at the target's position, so that the layer's
// offsets count from there. Nothing is written when the layer cannot be built. False
// without a source or a target, or when the layer cannot be built or saved; file errors
// leave as the platform's exceptions.
bool export_rre(frame_source* source, const georef::CTrRSS& transform, platform::CFile* target,
                std::string* cause = nullptr);

// The stand-alone export: the map's raster layer, through the map's snap transformation, as
// a file of its own (the layer at byte 0). The file replaces the one at the path only once
// it is complete. Refused with "You must snap the previous layer..." while the map's snap
// transformation is not fitted. False, with the reason in cause, when there is nothing to
// export or the file cannot be written.
bool export_raster_layer(const CSFMap& map, const std::string& path, int quality, std::string* cause = nullptr);

}  // namespace model
