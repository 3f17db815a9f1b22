#pragma once

#include <array>

#include "platform/color.h"
#include "platform/device_context.h"

namespace georef {

// The picture that marks a foothold: 32 x 32 pixels with a mask, drawn as an image list
// draws its images, so that the picture under the masked-out pixels stays visible.
class foothold_marker {
public:
    static constexpr int kSize = 32;
    // Where the foothold itself lies in the picture.
    static constexpr int kCentre = kSize / 2;

    // A ring with a cross hair through its centre, in red with a white rim so that it shows
    // on dark and light pictures alike.
    static const foothold_marker& get();

    bool IsOpaque(int x, int y) const { return m_bOpaque[Index(x, y)]; }
    platform::COLORREF GetPixel(int x, int y) const { return m_crPixels[Index(x, y)]; }
    // Top-left corner at (x, y).
    void Draw(platform::CDC& dc, int x, int y) const;

private:
    foothold_marker();
    static int Index(int x, int y) { return y * kSize + x; }

    std::array<platform::COLORREF, kSize * kSize> m_crPixels{};
    std::array<bool, kSize * kSize> m_bOpaque{};
};

}  // namespace georef
