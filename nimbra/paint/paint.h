#pragma once

#include <cstdint>
#include <memory>

#include "nimbra/export.h"
#include "platform/device_context.h"

namespace platform {
class CBitsDC;
}  // namespace platform

namespace tarvel_tech::nimbra {

class bmp_image;

// A device context that draws into an off-screen 24-bit surface covering one rectangle of a
// target context, and shows the result on the target in one transfer when it ends, so that
// a picture never flickers while it is built. On a printing target it draws straight on the
// target instead. Whatever draws on a device context draws on a paint.
//
// While off-screen, the paint is a second handle on the surface's context: every operation,
// its pens, colours and origins act on the surface. On a printing target it is a second
// handle on the target in the same way.
class NIMBRA_API paint : public platform::CDC {
public:
    enum fill_type : int {
        fill_none = 0,
        fill_background = 2,  // the surface starts in the target's background colour
        fill_target = 32,     // the surface starts as a copy of the target's pixels
    };

    class paint_object;
    class paint_object_list;

    // The largest surface, in pixels: an 8192 x 8192 window and more than any screen.
    static constexpr std::int64_t max_surface_pixels = std::int64_t{1} << 26;

    paint(const paint&) = delete;
    paint& operator=(const paint&) = delete;
    ~paint() override;

    // A paint belongs to one drawing pass and lives in automatic storage only.
    static void* operator new(std::size_t) = delete;
    static void* operator new[](std::size_t) = delete;

    // Builds the surface (or takes over a printing target) and starts it as the fill type
    // says; false when no surface could be made, and the paint then draws nothing.
    virtual bool create(int fill_type) = 0;
    // Shows the surface on the target and lets it go; false without a target.
    virtual bool flush() = 0;

    // The object's drawing on this paint; false without an object.
    bool draw(const paint_object* object);
    // The painted area of the target, in its logical units.
    platform::CRect get_rect() const { return rect_; }
    // The surface's pixel rows, 24 bits, bottom row first, as drawn so far; none when
    // drawing goes straight to the target or no surface exists.
    std::uint8_t* get_surface();
    // The surface as a picture the image codecs can write, as drawn so far; or none.
    bmp_image* get_bitmap();
    platform::CDC* get_target() const { return target_; }
    bool is_off_screen() const { return off_screen_; }

    bool IsPrinting() const override;

protected:
    paint(platform::CDC* target, const platform::CRect& rect);

    // The steps both painters share. Off-screen, a surface of the rectangle's size; with
    // at_target_place the window origin moves to the rectangle's corner so that drawing at
    // the target's coordinates lands in the surface, otherwise the surface starts at (0, 0).
    bool make_surface(int fill_type, bool at_target_place);
    // Draws straight on the target from now on.
    void take_over_target(int fill_type);
    // Copies the surface to the rectangle of the target and lets the surface go.
    bool show_surface();
    void release_surface();

private:
    void fill(int fill_type);
    // Where the surface's top-left pixel is, in this context's logical units.
    platform::CPoint surface_origin() const;

    std::unique_ptr<bmp_image> bitmap_;
    std::unique_ptr<platform::CBitsDC> surface_dc_;
    platform::CDC* target_ = nullptr;
    platform::CRect rect_;
    bool off_screen_ = false;
    std::uint8_t* surface_ = nullptr;
};

}  // namespace tarvel_tech::nimbra
