#pragma once

#include "nimbra/export.h"
#include "nimbra/layer/layer.h"
#include "nimbra/paint/paint_object_list.h"
#include "platform/geometry.h"

namespace tarvel_tech::nimbra {

class frame_bitmap;

// The frames of an RRE layer that fall into a view, one frame bitmap each, row by row. The
// view is a rectangle of the paint; layer pixel `position` shows at its top-left corner and
// every `scale` layer pixels make one pixel of the view. The list's rectangle is the view.
class NIMBRA_API frame_bitmap_list : public paint::paint_object_list {
public:
    frame_bitmap_list() = default;
    frame_bitmap_list(layer* source, const platform::CPoint* position, const platform::CRect& view, int scale);
    frame_bitmap_list(layer* source, const platform::CPoint* position, const platform::CSize& view, int scale);

    // Position none: (0, 0); a scale of 0 or less is 1. False when the layer has no frame
    // grid or a frame in view could not be decoded (the others are still in the list).
    bool create(layer* source, const platform::CPoint* position, const platform::CRect& view, int scale);
    bool create(layer* source, const platform::CPoint* position, const platform::CSize& view, int scale);
    // Brings the list to a new position, view or scale; none (or a scale of 0 or less) keeps
    // the current one, and so does a layer of none. Frames that stay in view are not decoded
    // again.
    bool update(layer* source, const platform::CPoint* position, const platform::CRect* view, int scale);

    layer* get_layer() const { return layer_; }
    platform::CPoint get_position() const { return position_; }
    int get_scale() const { return scale_; }

private:
    // Lays out the frames in view, taking frame bitmaps of the same frames from `reusable`.
    bool arrange(std::vector<frame_bitmap*>& reusable);

    layer* layer_ = nullptr;
    platform::CPoint position_;
    int scale_ = 1;
};

}  // namespace tarvel_tech::nimbra
