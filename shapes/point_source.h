#pragma once

namespace model {

// Anything that hands out a list of points, such as an object of a text export: shapes take
// their geometry from it with SetFromObject.
class point_source {
public:
    virtual ~point_source() = default;
    virtual int GetPointCount() const = 0;
    // 0 when point i exists (x, y filled in), nonzero otherwise.
    virtual int GetPoint(int index, double& x, double& y) const = 0;
};

}  // namespace model
