#include "formats/ktf_object.h"

#include <string_view>

namespace formats {
namespace {

bool begins_with(const std::string& line, std::string_view key) { return std::string_view(line).starts_with(key); }

std::int16_t low16(std::uint32_t n) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(n & 0xFFFFu)); }
std::int32_t as32(std::uint32_t n) { return static_cast<std::int32_t>(n); }

// The "Points" block of an object: one point per XYZ line.
class points_block : public CKTF {
public:
    explicit points_block(std::vector<KTF_POINT>& points) : m_aPoints(points) {}
    std::int32_t Parse(std::string_view text) override { return ParseLines(text); }

protected:
    std::int32_t ParseLine(const std::string& line, line_context&) override {
        if (!begins_with(line, "XYZ")) return Fail(statusUnknownKey);
        // Coordinates a line does not give are 0.
        double xyz[3] = {0.0, 0.0, 0.0};
        ktf_numbers(ValueOf(line), xyz);
        m_aPoints.push_back({xyz[0], xyz[1], xyz[2]});
        return 0;
    }

private:
    std::vector<KTF_POINT>& m_aPoints;
};

}  // namespace

std::int32_t CKTFObject::Parse(std::string_view text) { return ParseLines(text); }

int CKTFObject::GetPoint(int i, double& x, double& y, double& z) const {
    if (i < 0 || i >= GetPointCount()) return noSuchPoint;
    const KTF_POINT& p = points[static_cast<std::size_t>(i)];
    x = p.x;
    y = p.y;
    z = p.z;
    return 0;
}

// Keys are tried in this order, each over its own length, so a key that begins like an
// earlier one is taken by the earlier one.
std::int32_t CKTFObject::ParseLine(const std::string& line, line_context& context) {
    const std::string_view value = ValueOf(line);
    if (begins_with(line, "Type")) {
        if (value == "Polygon") type = typePolygon;
        else if (value == "Label") type = typeLabel;
        else if (value == "Line") type = typeLine;
        else if (value == "Symbol") type = typeSymbol;
        else return Fail(statusUnknownType);
    } else if (begins_with(line, "Tag")) {
        tag = low16(ktf_integer(value));
    } else if (begins_with(line, "Label")) {
        SetText(label, sizeof label, value);
    } else if (begins_with(line, "Old_ID")) {
        oldId = as32(ktf_integer(value));
    } else if (begins_with(line, "LineColor")) {
        lineColor = low16(ktf_integer(value));
    } else if (begins_with(line, "LineWidth")) {
        lineWidth = low16(ktf_integer(value));
    } else if (begins_with(line, "LineStyle")) {
        lineStyle = low16(ktf_integer(value));
    } else if (begins_with(line, "FillColor")) {
        fillColor = as32(ktf_integer(value));
    } else if (begins_with(line, "FillStyle")) {
        fillStyle = low16(ktf_integer(value));
    } else if (begins_with(line, "FillChar")) {
        const std::string text = ConvertText(value);
        fillChar = text.empty() ? '\0' : text[0];
    } else if (begins_with(line, "FontName")) {
        SetText(fontName, sizeof fontName, value);
    } else if (begins_with(line, "FontStyle")) {
        const std::string text = ConvertText(value);
        fontStyle = text.empty() ? '\0' : text[0];
    } else if (begins_with(line, "FontColor")) {
        fontColor = low16(ktf_integer(value));
    } else if (begins_with(line, "FontHeight")) {
        fontHeight = low16(ktf_integer(value));
    } else if (begins_with(line, "FontEscapement")) {
        fontEscapement = low16(ktf_integer(value));
    } else if (begins_with(line, "FontOrientation")) {
        fontOrientation = low16(ktf_integer(value));
    } else if (begins_with(line, "FontUnits")) {
        fontUnits = low16(ktf_integer(value));
    } else if (line == "Points") {
        points_block block(points);
        return ParseNested(block, context);
    } else {
        return Fail(statusUnknownKey);
    }
    return 0;
}

}  // namespace formats
