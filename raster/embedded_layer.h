#pragma once

#include <span>

#include "nimbra/layer/read_layer.h"

namespace platform {
class CFile;
}
namespace georef {
class CTrRSS;
}

namespace model {

// An RRE layer embedded in a map document, read from the document's open file: header and
// index at its current position, and later every frame body from that same file. Opening
// the document again by its path would read whatever file stands there by then, and a
// document in memory has no path at all. The file must stay open while the layer lives.
class embedded_rre_layer : public tarvel_tech::nimbra::read_layer {
public:
    // Leaves the file just behind the frame index. File and archive errors leave as the
    // platform's exceptions.
    bool load_embedded(platform::CFile& document);
};

// Sets the transformation to the twelve coefficients of an RRE header, T0 to T5 direct and
// T6 to T11 inverse, exactly as they stand; the rotation, scales and shift are worked out
// from the direct ones. The transformation counts as fitted afterwards, as one read from a
// document does.
void set_rre_coefficients(georef::CTrRSS& tr, std::span<const double, 12> coefficients);

}  // namespace model
