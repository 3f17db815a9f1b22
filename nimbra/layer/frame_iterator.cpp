#include "nimbra/layer/layer.h"

namespace tarvel_tech::nimbra {

std::int32_t layer::frame_iterator::frame_count() const {
    return owner_ ? owner_->get_frames().size() : 0;
}

layer::frame_iterator& layer::frame_iterator::operator++() {
    const std::int32_t n = frame_count();
    if (n == 0)
        index_ = -1;
    else
        index_ = (index_ + 1 < n) ? index_ + 1 : -1;
    return *this;
}

layer::frame_iterator& layer::frame_iterator::operator--() {
    const std::int32_t n = frame_count();
    if (n == 0)
        index_ = -1;
    else
        index_ = index_ > 0 ? index_ - 1 : n - 1;
    return *this;
}

layer::frame_iterator& layer::frame_iterator::operator+=(std::int32_t step) {
    const std::int32_t n = frame_count();
    const std::int64_t target = std::int64_t{index_} + step;
    index_ = (n != 0 && target >= 0 && target < n) ? static_cast<std::int32_t>(target) : -1;
    return *this;
}

layer::frame_iterator& layer::frame_iterator::operator-=(std::int32_t step) {
    const std::int32_t n = frame_count();
    const std::int64_t target = std::int64_t{index_} - step;
    if (n == 0)
        index_ = -1;
    else
        index_ = (target >= 0 && target < n) ? static_cast<std::int32_t>(target) : 0;
    return *this;
}

layer::frame_iterator& layer::frame_iterator::bottom() {
    return *this += owner_ ? owner_->get_header().get_count_latitude_frames() : 0;
}

layer::frame_iterator& layer::frame_iterator::top() {
    return *this -= owner_ ? owner_->get_header().get_count_latitude_frames() : 0;
}

layer::frame* layer::frame_iterator::operator->() const {
    return owner_ ? owner_->get_frames().at(index_) : nullptr;
}

}  // namespace tarvel_tech::nimbra
