#pragma once

#include <cstdint>
#include <vector>

#include "formats/ktf.h"

namespace formats {

// One object of a text export layer: its kind, its style as the exporting tool kept it, and
// its points. Only the kind and the points reach the map.
class CKTFObject : public CKTF {
public:
    enum : std::int16_t { typePolygon = 0, typeLabel = 1, typeLine = 2, typeSymbol = 3 };
    // GetPoint's answer for a point the object does not have.
    enum : int { noSuchPoint = 6 };

    CKTFObject() = default;
    std::int32_t Parse(std::string_view text) override;

    int GetPointCount() const { return static_cast<int>(points.size()); }
    // 0 with the point, or noSuchPoint when i is not one of the object's points.
    int GetPoint(int i, double& x, double& y, double& z) const;

    std::int16_t type = 0;
    std::int16_t tag = 0;
    char label[100] = {};
    std::int32_t oldId = 0;
    std::int16_t lineColor = 0;
    std::int16_t lineWidth = 0;
    std::int16_t lineStyle = 0;
    std::int32_t fillColor = 0;
    std::int16_t fillStyle = 0;
    char fillChar = 0;
    char fontName[50] = {};
    char fontStyle = 0;
    std::int16_t fontColor = 0;
    std::int16_t fontHeight = 0;
    std::int16_t fontEscapement = 0;
    std::int16_t fontOrientation = 0;
    std::int16_t fontUnits = 0;
    std::vector<KTF_POINT> points;

protected:
    std::int32_t ParseLine(const std::string& line, line_context& context) override;
};

}  // namespace formats
