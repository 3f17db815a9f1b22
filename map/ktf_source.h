#pragma once

#include "shapes/point_source.h"

namespace model {

// One layer of a text export as a shapefile layer takes it over: its objects in order, each
// a source of points.
class ktf_layer_source {
public:
    virtual ~ktf_layer_source() = default;
    virtual int get_object_count() const = 0;
    // No bound check: callers stay below the object count.
    virtual const point_source& get_object(int index) const = 0;
};

}  // namespace model
