#include "tests/support/recording_dc.h"

namespace test_support {
namespace {

std::string join(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += ' ' + std::to_string(v);
    return out;
}

std::string narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

}  // namespace

void recording_dc::add(std::string text) {
    calls_.push_back({std::move(text), GetCurrentPen()->GetColor(), GetCurrentBrush()->GetColor(), GetTextColor()});
}

std::vector<std::string> recording_dc::texts() const {
    std::vector<std::string> out;
    for (const call& c : calls_) out.push_back(c.text);
    return out;
}

platform::CPoint recording_dc::MoveTo(int x, int y) {
    add("MoveTo" + join({x, y}));
    return CDC::MoveTo(x, y);
}

bool recording_dc::LineTo(int x, int y) {
    add("LineTo" + join({x, y}));
    CDC::LineTo(x, y);
    return true;
}

bool recording_dc::Ellipse(int left, int top, int right, int bottom) {
    add("Ellipse" + join({left, top, right, bottom}));
    return true;
}

bool recording_dc::Polygon(const platform::CPoint* points, int count) {
    std::string text = "Polygon";
    for (int i = 0; i < count; ++i) text += join({points[i].x, points[i].y});
    add(text);
    return true;
}

bool recording_dc::BeginPath() {
    add("BeginPath");
    return CDC::BeginPath();
}

bool recording_dc::EndPath() {
    add("EndPath");
    return CDC::EndPath();
}

bool recording_dc::FillPath() {
    add("FillPath");
    CDC::FillPath();
    return true;
}

bool recording_dc::TextOut(int x, int y, std::u16string_view text) {
    add("TextOut" + join({x, y}) + " " + narrow(text));
    return true;
}

bool recording_dc::DrawBitmap565(int x, int y, int width, int height, const std::uint16_t*) {
    add("Bitmap565" + join({x, y, width, height}));
    return true;
}

bool recording_dc::StretchDIBits(const platform::CRect& d, const platform::CRect& s, platform::dib_header_view,
                                 const std::uint8_t*) {
    add("StretchDIBits" + join({d.left, d.top, d.right, d.bottom}) + " <-" + join({s.left, s.top, s.right, s.bottom}));
    return true;
}

bool recording_dc::BitBlt(int x, int y, int width, int height, platform::CDC*, int sx, int sy) {
    add("BitBlt" + join({x, y, width, height}) + " <-" + join({sx, sy}));
    return true;
}

void recording_dc::FillSolidRect(const platform::CRect& r, platform::COLORREF color) {
    add("FillSolidRect" + join({r.left, r.top, r.right, r.bottom}) + " " + std::to_string(color));
}

}  // namespace test_support
