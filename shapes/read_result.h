#pragma once

namespace model {

// What reading a record answers: a shape's record of a shapefile or of the map document, the
// main header of a shapefile, a layer's record of the map document or a part of it, and a
// point layer's attribute table.
enum read_result : int {
    read_ok = 0,
    read_failed = 1,  // the file ends first, or what it holds cannot be that record
};

}  // namespace model
