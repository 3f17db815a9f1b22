#pragma once

#include "shapes/point_source.h"

namespace model {

// One layer of a text export as a shapefile layer takes it over: its objects in order, each
// a source of points.
class ktf_layer_source {
public:
    virtual ~ktf_layer_source() = default;
    virtual int GetObjectCount() const = 0;
    // No bound check: callers stay below the object count.
    virtual const point_source& GetObject(int index) const = 0;
};

}  // namespace model
