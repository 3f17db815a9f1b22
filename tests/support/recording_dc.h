#pragma once

#include <string>
#include <vector>

#include "platform/device_context.h"

namespace test_support {

// A device context that draws nothing and writes down every drawing call, one line each:
// "MoveTo 1 2", "LineTo 3 4", "Ellipse 98 48 102 52", "Polygon 0 0 5 0 5 5",
// "BeginPath", "EndPath", "FillPath", "TextOut 103 53 label", "Bitmap565 3 4 16 16",
// "StretchDIBits 0 0 10 10 <- 0 0 10 10", "FillSolidRect ...", "BitBlt ...".
// Pen, brush and text colour at the time of the call are kept beside each line.
class recording_dc : public platform::CDC {
public:
    struct call {
        std::string text;
        platform::COLORREF pen = 0;
        platform::COLORREF brush = 0;
        platform::COLORREF text_color = 0;
    };

    platform::CPoint MoveTo(int x, int y) override;
    bool LineTo(int x, int y) override;
    bool Ellipse(int left, int top, int right, int bottom) override;
    bool Polygon(const platform::CPoint* points, int count) override;
    bool BeginPath() override;
    bool EndPath() override;
    bool FillPath() override;
    bool TextOut(int x, int y, std::u16string_view text) override;
    bool DrawBitmap565(int x, int y, int width, int height, const std::uint16_t* pixels) override;
    bool StretchDIBits(const platform::CRect& destination, const platform::CRect& source,
                       platform::dib_header_view header, const std::uint8_t* bits) override;
    bool BitBlt(int x, int y, int width, int height, platform::CDC* source, int sx, int sy) override;
    void FillSolidRect(const platform::CRect& rect, platform::COLORREF color) override;

    const std::vector<call>& calls() const { return calls_; }
    // Just the texts, in order.
    std::vector<std::string> texts() const;
    void clear() { calls_.clear(); }

private:
    void add(std::string text);
    std::vector<call> calls_;
};

}  // namespace test_support
