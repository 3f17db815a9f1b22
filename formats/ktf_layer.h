#pragma once

#include <cstdint>
#include <vector>

#include "formats/ktf.h"
#include "formats/ktf_object.h"

namespace formats {

// One layer of a text export: its objects in file order. The map makes one layer of its own
// per object type from Select(type): the selection's objects, in order, each hand out their
// points (GetPointCount, GetPoint), which is all a shape takes from them.
class CKTFLayer : public CKTF {
public:
    CKTFLayer() = default;
    std::int32_t Parse(std::string_view text) override;

    int GetObjectCount() const { return static_cast<int>(objects.size()); }
    // The object at i, or none when i is not one of the layer's.
    const CKTFObject* GetObject(int i) const;
    // A layer of copies of the objects of that type (CKTFObject::typePolygon...), in file
    // order, under this layer's description.
    CKTFLayer Select(std::int16_t type) const;

    char description[100] = {};
    std::vector<CKTFObject> objects;

protected:
    std::int32_t ParseLine(const std::string& line, line_context& context) override;
};

}  // namespace formats
