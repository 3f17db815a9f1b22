#include "raster/frame_grid.h"

#include <algorithm>
#include <cmath>

namespace model {
namespace {

// One side of the frame: as many frames as the side needs so that none is longer than the
// preferred length, shared out equally and rounded down to a multiple of 4.
int frame_side(int side, int preferred) {
    if (side <= 0) return 0;
    const int longest = std::min(preferred, side);
    const double count = std::ceil(static_cast<double>(side) / longest);
    const int shared = static_cast<int>(side / count);
    return shared / 4 * 4;
}

}  // namespace

frame_grid frame_grid::for_picture(int width, int height) {
    frame_grid grid;
    grid.frame_width = frame_side(width, kPreferredWidth);
    grid.frame_height = frame_side(height, kPreferredHeight);
    if (grid.empty()) return frame_grid{};
    grid.columns = width / grid.frame_width;
    grid.rows = height / grid.frame_height;
    return grid;
}

}  // namespace model
