#pragma once

namespace model {

// What adding a layer from a file answers (CSFMap::AddLayerFromFile).
enum add_layer_result : unsigned {
    layer_added = 0,
    // An unsupported file or shape type, a shape record that cannot be read, a raster layer
    // that cannot be made; the map says why where there is a message.
    layer_refused = 1,
    file_not_opened = 2,
    header_invalid = 3,  // the shapefile's main header cannot be read or is not valid
    raster_not_rre = 6,  // the map's raster layer is not an RRE layer
};

// What reading a shapefile's records into a layer answers (CSFLayer::ReadShapes).
enum read_shapes_result : int {
    shapes_read = 0,
    shape_unreadable = 2,
};

// What making a layer's grid and cutting its shapes into it answers (Regrid, AllocateGrid,
// FillGrid).
enum regrid_result : int {
    regrid_done = 0,
    regrid_failed = 1,  // no such grid can be made, or a shape lies outside it
};

// What removing a layer from the map answers (CSFMap::RemoveLayer).
enum remove_layer_result : unsigned {
    layer_removed = 0,
    layer_missing = 1,
};

}  // namespace model
