#include "tests/map/document_layout.h"

#include <cstring>

#include "tests/support/files.h"

namespace document_layout {

namespace {

using test_support::append_le32;
using test_support::append_le_double;

struct writer {
    document& doc;
    std::uint32_t version;

    void u32(std::uint32_t v) { append_le32(doc.bytes, v); }
    void f64(double v) { append_le_double(doc.bytes, v); }
    void mark(const std::string& name) { doc.at[name] = doc.bytes.size(); }
    void name20(const char* name) {
        char field[20] = {};
        std::strncpy(field, name, sizeof field);
        doc.bytes.insert(doc.bytes.end(), field, field + sizeof field);
    }
    void rect(double a, double b, double c, double d) { f64(a), f64(b), f64(c), f64(d); }

    void base(const std::string& key, std::uint32_t tag, const char* name, std::uint32_t contour, std::uint32_t fill,
              std::uint32_t shapes) {
        u32(tag);
        name20(name);
        rect(10, 20, 11, 21);
        u32(contour);
        if (version >= 3) u32(fill);
        if (version == 3) doc.bytes.push_back(0xEE);
        u32(shapes);
        mark(key + ".columns");
        u32(1);
        u32(1);
    }
    void cell_header(const std::string& key, std::uint32_t shapes) {
        rect(10, 20, 11.0001, 21.0001);
        u32(0);
        mark(key + ".cell_shapes");
        u32(shapes);
    }
    // One ring or line piece: record number, one part starting at 0, its points.
    void piece(const std::string& key, std::int32_t record, const std::vector<std::pair<double, double>>& points) {
        u32(static_cast<std::uint32_t>(record));
        mark(key + ".parts");
        u32(1);
        u32(static_cast<std::uint32_t>(points.size()));
        u32(0);
        for (auto [x, y] : points) f64(x), f64(y);
    }
    void line_payload(const std::string& key) {
        u32(1);
        u32(3);
        cell_header(key, 1);
        piece(key, 7, {{10.25, 20.25}, {10.75, 20.25}, {10.5, 20.75}});
    }
};

}  // namespace

document write(std::uint32_t version) {
    document doc;
    writer w{doc, version};
    doc.bytes = {'k', 'x', 'r'};
    w.u32(version);
    w.mark("count");
    w.u32(version == 3 ? 4 : 3);

    doc.layer_starts.push_back(doc.bytes.size());
    w.base("point", 1, kPointName, kPointContour, kPointFill, 2);
    w.u32(static_cast<std::uint32_t>(-1));  // no icon
    w.cell_header("point", 2);
    w.u32(1), w.f64(10.5), w.f64(20.5);
    w.u32(2), w.f64(10.75), w.f64(20.25);
    w.mark("attributes");
    w.u32(1);
    w.mark("fields");
    w.u32(3);
    if (version >= 5) w.u32(2);
    w.u32(1), w.u32(2), w.u32(3);
    w.name20("ID"), w.name20("AREA"), w.name20("NAME");
    for (std::int32_t id : {-5, 6}) {
        w.u32(static_cast<std::uint32_t>(id));
        w.f64(id * 1.25);
        std::uint8_t text[100] = {};
        const char16_t name[] = u"Z\u00e9";  // UTF-16 units, little-endian
        for (int i = 0; i < 2; ++i) text[2 * i] = name[i] & 0xFF, text[2 * i + 1] = name[i] >> 8;
        text[4] = static_cast<std::uint8_t>('0' + id % 10 + (id < 0 ? 10 : 0));
        doc.bytes.insert(doc.bytes.end(), text, text + sizeof text);
    }

    doc.layer_starts.push_back(doc.bytes.size());
    w.base("polygon", 5, kPolygonName, kPolygonContour, kPolygonFill, 1);
    w.u32(1);
    w.u32(4);
    w.cell_header("polygon", 1);
    w.piece("polygon", 7, {{10.25, 20.25}, {10.75, 20.25}, {10.5, 20.75}, {10.25, 20.25}});
    if (version == 3) {
        w.base("outline", 3, kOutlineName, kOutlineContour, kOutlineFill, 1);
    }
    w.line_payload("outline");

    doc.layer_starts.push_back(doc.bytes.size());
    w.u32(1000);
    w.mark("icons");
    w.u32(1);
    w.u32(0);
    w.mark("icon.width");
    w.u32(2);
    w.u32(3);
    // The pixels stand last first.
    for (int i = 5; i >= 0; --i) doc.bytes.push_back(kIconPixels[i] & 0xFF), doc.bytes.push_back(kIconPixels[i] >> 8);
    return doc;
}

}  // namespace document_layout
