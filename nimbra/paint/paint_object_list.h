#pragma once

#include <cstddef>
#include <vector>

#include "nimbra/export.h"
#include "nimbra/paint/paint_object.h"
#include "platform/geometry.h"

namespace tarvel_tech::nimbra {

// An ordered list of drawable objects, drawn one after another, and the rectangle they
// cover. The list owns what it holds: clearing or destroying it destroys the objects, while
// remove only takes them out and leaves them to whoever holds them.
class NIMBRA_API paint::paint_object_list : public paint::paint_object {
public:
    paint_object_list() = default;
    explicit paint_object_list(const platform::CRect& rect) : rect_(rect) {}
    paint_object_list(const paint_object_list&) = delete;
    paint_object_list& operator=(const paint_object_list&) = delete;
    ~paint_object_list() override;

    bool create(const platform::CRect& rect);
    const platform::CRect& get_rect() const { return rect_; }

    bool empty() const { return items_.empty(); }
    std::size_t size() const { return items_.size(); }
    // The object at i, or none when i is not below the count.
    paint_object* at(std::size_t i) const { return i < items_.size() ? items_[i] : nullptr; }
    paint_object* operator[](std::size_t i) const { return at(i); }

    bool is_valid(paint* target = nullptr) const override;
    // Draws every object in order; true only when there was something to draw and every
    // object succeeded. A failing object does not stop the others.
    bool draw(paint* target) const override;

    // Both take the object over when they answer true; a missing or invalid object is
    // refused and stays its caller's.
    bool push_back(paint_object* object);
    // Puts the object n times at i (not above the count).
    bool insert(std::size_t i, paint_object* object, int n = 1);
    // Takes up to n entries out from i without destroying them; false when i is not below
    // the count.
    bool remove(std::size_t i, std::size_t n = 1);
    // Destroys every object and empties the list and the rectangle; false when it was empty.
    bool clear();

protected:
    platform::CRect rect_;

private:
    // Owned; an object put in several times is destroyed once.
    std::vector<paint_object*> items_;
};

}  // namespace tarvel_tech::nimbra
