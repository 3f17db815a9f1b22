#include "vector/register_layers.h"

#include "map/layer_registry.h"
#include "vector/layer_icons.h"
#include "vector/layer_line.h"
#include "vector/layer_point.h"
#include "vector/layer_polygon.h"

namespace model {

namespace {

template <class Layer>
std::unique_ptr<CSFLayer> make(CSFMap* map) {
    return std::make_unique<Layer>(map);
}

}  // namespace

void register_vector_layers() {
    register_layer_kind(kLayerPoint, make<CSFLayerPoint>);
    register_layer_kind(kLayerLine, make<CSFLayerLine>);
    register_layer_kind(kLayerPolygon, make<CSFLayerPolygon>);
    register_layer_kind(kLayerIcons, make<CSFLayerIcons>);
}

}  // namespace model
