#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Map documents laid out field by field from the document's tables, independently of the
// layers' own writers: a point layer (three stored fields, the third the label), a polygon
// layer with a ring and its outline, and an icon layer of one 2 x 3 icon.
namespace document_layout {

struct document {
    std::vector<std::uint8_t> bytes;
    // Where each layer's record begins (a version 3 polygon layer's outline record is part
    // of it), and where named fields stand, for tests that cut or change them.
    std::vector<std::size_t> layer_starts;
    std::map<std::string, std::size_t> at;
};

// Every field the given version has: no fill colour below 3, the extra byte and the
// polygon's own line record at 3, no label field below 5.
document write(std::uint32_t version);

// What the document holds, as the tests expect to read it back.
inline constexpr std::uint32_t kPointContour = 0x00112233, kPointFill = 0x00445566;
inline constexpr std::uint32_t kPolygonContour = 0x00010203, kPolygonFill = 0x00A0B0C0;
inline constexpr std::uint32_t kOutlineContour = 0x00070809, kOutlineFill = 0x00DDEEFF;
inline const char kPointName[] = "exactly twenty chars";  // 20 characters, no terminator
inline const char kPolygonName[] = "lakes";
inline const char kOutlineName[] = "lake shores";
inline constexpr std::uint16_t kIconPixels[6] = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0x1234};

}  // namespace document_layout
