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

// What saving the map as a document answers (CSFMap::Save).
enum save_result : unsigned {
    map_saved = 0,
    // The document cannot be created, or a record of it cannot be written; the old file at
    // that path is left as it was.
    map_not_saved = 4,
};

// What loading a map document or a text export answers (CSFMap::Load, LoadDocument,
// LoadKTF). The layers read before a failure stay in the map.
enum load_result : unsigned {
    map_loaded = 0,
    // A tag of no known kind, a record that ends early or cannot be that record, or fewer or
    // more records than the header counts.
    document_unreadable = 1,
    // The document cannot be opened; from LoadKTF, a text export that cannot be read or
    // parsed.
    file_unreadable = 2,
    not_kxr = 5,           // the document does not begin with "kxr"
    format_unknown = 8,    // the name ends neither in .kxr nor in .ktf
};

}  // namespace model
