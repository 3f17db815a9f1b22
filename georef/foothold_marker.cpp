#include "georef/foothold_marker.h"

#include <cmath>

namespace georef {
namespace {

constexpr platform::COLORREF kInk = platform::RGB(255, 0, 0);
constexpr platform::COLORREF kRim = platform::RGB(255, 255, 255);

// The ink of the marker, in pixels from its centre: a ring two pixels wide, the arms of the
// cross hair running through it, and a dot on the foothold itself with a gap around it so
// that the pixel under it can be seen.
bool IsInk(int dx, int dy) {
    const double r = std::sqrt(double(dx * dx + dy * dy));
    if (r >= 10.5 && r < 12.5) return true;
    if (dx == 0 && dy == 0) return true;
    const int along = dx == 0 ? std::abs(dy) : dy == 0 ? std::abs(dx) : 0;
    return along >= 4 && along <= 14;
}

}  // namespace

const foothold_marker& foothold_marker::get() {
    static const foothold_marker marker;
    return marker;
}

foothold_marker::foothold_marker() {
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if (IsInk(x - kCentre, y - kCentre)) {
                m_crPixels[Index(x, y)] = kInk;
                m_bOpaque[Index(x, y)] = true;
            }
    // Every transparent pixel touching the ink becomes rim.
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            if (m_bOpaque[Index(x, y)]) continue;
            bool touches = false;
            for (int ny = y - 1; ny <= y + 1; ++ny)
                for (int nx = x - 1; nx <= x + 1; ++nx)
                    if (nx >= 0 && ny >= 0 && nx < kSize && ny < kSize && m_crPixels[Index(nx, ny)] == kInk)
                        touches = true;
            if (touches) {
                m_crPixels[Index(x, y)] = kRim;
                m_bOpaque[Index(x, y)] = true;
            }
        }
}

void foothold_marker::Draw(platform::CDC& dc, int x, int y) const {
    // One rectangle per run of equal pixels in a row.
    for (int row = 0; row < kSize; ++row) {
        int col = 0;
        while (col < kSize) {
            if (!IsOpaque(col, row)) {
                ++col;
                continue;
            }
            const platform::COLORREF colour = GetPixel(col, row);
            int end = col + 1;
            while (end < kSize && IsOpaque(end, row) && GetPixel(end, row) == colour) ++end;
            dc.FillSolidRect({x + col, y + row, x + end, y + row + 1}, colour);
            col = end;
        }
    }
}

}  // namespace georef
