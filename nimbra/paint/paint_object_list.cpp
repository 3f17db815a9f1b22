#include "nimbra/paint/paint_object_list.h"

#include <algorithm>

namespace tarvel_tech::nimbra {

bool paint::paint_object::is_valid(paint*) const { return true; }

paint::paint_object_list::~paint_object_list() { clear(); }

bool paint::paint_object_list::create(const platform::CRect& rect) {
    rect_ = rect;
    return true;
}

bool paint::paint_object_list::is_valid(paint*) const { return !items_.empty(); }

bool paint::paint_object_list::draw(paint* target) const {
    if (items_.empty() || !target) return false;
    bool all = true;
    for (const paint_object* object : items_)
        if (object && !object->draw(target)) all = false;
    return all;
}

bool paint::paint_object_list::push_back(paint_object* object) {
    if (!object || object == this || !object->is_valid()) return false;
    items_.push_back(object);
    return true;
}

bool paint::paint_object_list::insert(std::size_t i, paint_object* object, int n) {
    if (!object || object == this || !object->is_valid() || i > items_.size() || n < 1) return false;
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(i), static_cast<std::size_t>(n), object);
    return true;
}

bool paint::paint_object_list::remove(std::size_t i, std::size_t n) {
    if (i >= items_.size()) return false;
    const std::size_t count = std::min(n, items_.size() - i);
    const auto first = items_.begin() + static_cast<std::ptrdiff_t>(i);
    items_.erase(first, first + static_cast<std::ptrdiff_t>(count));
    return true;
}

bool paint::paint_object_list::clear() {
    if (items_.empty()) return false;
    std::vector<paint_object*> owned = std::move(items_);
    items_.clear();
    std::sort(owned.begin(), owned.end());
    owned.erase(std::unique(owned.begin(), owned.end()), owned.end());
    for (paint_object* object : owned) delete object;
    rect_ = {};
    return true;
}

}  // namespace tarvel_tech::nimbra
