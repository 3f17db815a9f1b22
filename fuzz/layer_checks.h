#pragma once

namespace model {
class CSFLayer;
}

namespace fuzz {

// What drawing, cutting and saving rely on of a layer that was read: every line's parts
// inside its points with their starts in order, in its shapes and in the pieces of its cells;
// a layer read from a shapefile (whole_shapes) also holds as many shapes as it counts.
// Aborts when any of it does not hold.
void check_layer(const model::CSFLayer& layer, bool whole_shapes);

}  // namespace fuzz
