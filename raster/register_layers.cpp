#include "raster/register_layers.h"

#include "map/layer_registry.h"
#include "raster/layer_image.h"
#include "raster/layer_rre.h"

namespace model {

namespace {

template <class Layer>
std::unique_ptr<CSFLayer> make(CSFMap* map) {
    return std::make_unique<Layer>(map);
}

}  // namespace

void register_raster_layers() {
    register_layer_kind(kLayerImage, make<CSFLayerImage>);
    register_layer_kind(kLayerRRE, make<CSFLayerRRE>);
}

}  // namespace model
