#pragma once

#include "nimbra/export.h"
#include "nimbra/paint/frame_bitmap.h"
#include "nimbra/paint/frame_bitmap_list.h"
#include "nimbra/paint/paint.h"

namespace tarvel_tech::nimbra {

// The painter of handheld devices: always off-screen, and its surface starts at (0, 0)
// whatever part of the target it covers; the result goes to the rectangle of the target
// when the painter ends.
class NIMBRA_API ce_paint : public paint {
public:
    using bitmap = frame_bitmap;
    using bitmap_list = frame_bitmap_list;

    // Needs both a target and a rectangle; without either nothing is drawn.
    ce_paint(platform::CDC* target, const platform::CRect* rect, int fill_type);
    ~ce_paint() override;

    bool create(int fill_type) override;
    bool flush() override;
};

}  // namespace tarvel_tech::nimbra
