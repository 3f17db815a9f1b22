#pragma once

#include "nimbra/export.h"
#include "nimbra/paint/frame_bitmap.h"
#include "nimbra/paint/frame_bitmap_list.h"
#include "nimbra/paint/paint.h"

namespace tarvel_tech::nimbra {

// The painter of the desktop: drawing happens at the target's own coordinates, and the
// result reaches the target when the painter ends.
//
//     { w32_paint p(&window_dc, nullptr, paint::fill_background); map.DrawLayers(&p); }
class NIMBRA_API w32_paint : public paint {
public:
    using bitmap = frame_bitmap;
    using bitmap_list = frame_bitmap_list;

    // Covers the rectangle of the target, or its clip box when none is given.
    w32_paint(platform::CDC* target, const platform::CRect* rect, int fill_type);
    ~w32_paint() override;

    bool create(int fill_type) override;
    bool flush() override;
};

}  // namespace tarvel_tech::nimbra
