#pragma once

#include <cstdint>

namespace model {

// How the export cuts a picture: equal frames no larger than the preferred 120 x 160
// pixels, each side a multiple of 4. The strips on the right and at the bottom that do not
// fill a whole frame are left out.
struct frame_grid {
    static constexpr int kPreferredWidth = 120;
    static constexpr int kPreferredHeight = 160;

    int frame_width = 0;
    int frame_height = 0;
    int columns = 0;
    int rows = 0;

    // A picture of fewer than 4 pixels on a side has no such frame: both sides are 0 then.
    static frame_grid for_picture(int width, int height);

    bool empty() const { return frame_width <= 0 || frame_height <= 0; }
    std::int64_t frame_count() const { return std::int64_t{columns} * rows; }
    // The part of the picture the frames cover.
    int covered_width() const { return frame_width * columns; }
    int covered_height() const { return frame_height * rows; }

    friend bool operator==(const frame_grid&, const frame_grid&) = default;
};

}  // namespace model
