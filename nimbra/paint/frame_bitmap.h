#pragma once

#include <cstdint>
#include <memory>

#include "nimbra/export.h"
#include "nimbra/layer/layer.h"
#include "nimbra/paint/paint_object.h"
#include "platform/geometry.h"

namespace tarvel_tech::nimbra {

class jpg_image;

// One frame of an RRE layer, decoded once and kept as a picture, drawn into a paint at a
// place and a scale (a scale of s shows s x s frame pixels as one). The frame's body is
// released as soon as it is decoded.
//
// Placement: the shown part of the frame begins at the source offset when that is not
// negative, and is drawn from the destination point on. A negative offset -o leaves the
// whole frame in view and moves it o / s pixels right (or down) of the destination point:
// the offset is where the view begins, in frame pixels, relative to the frame's corner. The
// far edges are worked out from the frame's own far edge, so frames of one view side by
// side meet without gaps at any scale. Drawing stops at the limit's right and bottom
// coordinates (0: no limit).
class NIMBRA_API frame_bitmap : public paint::paint_object {
public:
    frame_bitmap();
    // Destination and offset none: (0, 0); limit none: no limit; a scale of 0 or less is 1.
    frame_bitmap(layer::frame_iterator frame, const platform::CPoint* destination, const platform::CPoint* offset,
                 const platform::CPoint* limit, int scale);
    // The frame of the layer holding pixel `point`, shown from that pixel on.
    frame_bitmap(layer* source, const platform::CPoint& point, const platform::CPoint* destination,
                 const platform::CPoint* limit, int scale);
    frame_bitmap(const frame_bitmap&) = delete;
    frame_bitmap& operator=(const frame_bitmap&) = delete;
    ~frame_bitmap() override;

    // Decodes the frame; false when there is no frame, its body cannot be read or decoded,
    // or the shown part would begin outside it.
    bool create(layer::frame_iterator frame, const platform::CPoint* destination, const platform::CPoint* offset,
                const platform::CPoint* limit, int scale);
    // A new place or scale for the decoded frame, without decoding again.
    bool update(const platform::CPoint* destination, const platform::CPoint* offset, const platform::CPoint* limit,
                int scale);

    bool draw(paint* target) const override;
    // True when the frame has been decoded.
    bool is_valid(paint* target = nullptr) const override;

    // The shown part of the frame, in frame pixels from its top-left corner.
    platform::CRect get_source_rect() const { return source_; }
    // Where that part goes in the paint.
    platform::CRect get_destination_rect() const { return destination_; }
    // The frame's top-left pixel in the layer and its number.
    platform::CPoint get_place() const { return place_; }
    std::uint32_t get_index() const { return index_; }
    int get_scale() const { return scale_; }

private:
    std::unique_ptr<jpg_image> picture_;
    platform::CRect source_;
    platform::CRect destination_;
    platform::CPoint limit_;
    platform::CPoint place_;
    std::uint32_t index_ = 0;
    int scale_ = 1;
};

}  // namespace tarvel_tech::nimbra
