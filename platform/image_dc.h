#pragma once

#include <cstdint>
#include <string>

#include "platform/device_context.h"

namespace platform {

// A device context over a picture in memory that it owns: the target of headless drawing,
// saved as PNG afterwards. It starts filled with white, the default background colour.
class CImageDC : public CDC {
public:
    CImageDC(int width, int height, bool printing = false);

    int GetWidth() const;
    int GetHeight() const;
    // The pixel at a logical position (0 outside the picture).
    COLORREF GetPixel(int x, int y) const;
    bool SavePng(const std::string& path) const;
};

// A device context drawing into someone else's 24-bit packed rows, bottom row first, as
// an off-screen surface keeps them. Drawing happens on an upright picture of the rows (a
// picture drawn upside down would put lines a row off), which Flush writes back into the
// rows. The bytes must outlive the context.
class CBitsDC : public CDC {
public:
    // start_black: the context starts black without reading the rows, as a new surface
    // does; otherwise it starts as the rows are.
    CBitsDC(std::uint8_t* bits, int width, int height, std::size_t stride, bool start_black = false);

    // Brings the rows up to date with what has been drawn.
    void Flush();

private:
    std::uint8_t* m_pBits = nullptr;
    std::size_t m_nStride = 0;
};

}  // namespace platform
