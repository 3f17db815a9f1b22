#include "nimbra/image/image_iterator.h"

#include <algorithm>
#include <cstring>

#include "nimbra/image/__image.h"

namespace tarvel_tech::nimbra {

image_iterator::image_iterator(__image* img) : image_(img) { seek_row(); }

int image_iterator::height() const { return image_ ? image_->get_info().biHeight : 0; }

std::size_t image_iterator::line_bytes() const { return image_ ? image_->get_exinfo().line_bytes : 0; }

void image_iterator::seek_row() { row_ = image_ ? image_->row(row_pos_) : nullptr; }

bool image_iterator::is_valid() const {
    return image_ && row_pos_ < height() && col_pos_ < image_->get_info().biWidth;
}

void image_iterator::reset() {
    col_pos_ = 0;
    row_pos_ = 0;
    seek_row();
}

void image_iterator::begin() {
    col_pos_ = 0;
    row_pos_ = height() - 1;
    seek_row();
}

std::uint8_t* image_iterator::get_row(int n) {
    if (n >= 0 && n <= height()) {
        row_pos_ = n;
        seek_row();
    }
    return row_;
}

void image_iterator::get_row(std::uint8_t* buffer, std::size_t length) const {
    if (!row_ || !buffer) return;
    // Never past the row: the caller's length may be larger than a row holds.
    std::memcpy(buffer, row_, std::min(length, line_bytes()));
}

void image_iterator::set_row(const std::uint8_t* buffer, std::size_t length) {
    if (!row_ || !buffer) return;
    const std::size_t line = line_bytes();
    std::memcpy(row_, buffer, length == 0 ? line : std::min(length, line));
}

bool image_iterator::move_to(int n) {
    if (n < 0 || n > height()) return false;
    row_pos_ = n;
    seek_row();
    return true;
}

bool image_iterator::next_row() {
    if (row_pos_ + 1 >= height()) {
        row_pos_ = height();
        row_ = nullptr;
        return false;
    }
    ++row_pos_;
    seek_row();
    return true;
}

bool image_iterator::prev_row() {
    --row_pos_;
    seek_row();
    return true;
}

bool image_iterator::next_byte() {
    if (static_cast<std::size_t>(++col_pos_) < line_bytes()) return true;
    col_pos_ = 0;
    return next_row();
}

bool image_iterator::prev_byte() {
    --col_pos_;
    return col_pos_ >= 0;
}

image_iterator& image_iterator::operator++() {
    next_byte();
    return *this;
}

image_iterator& image_iterator::operator--() {
    prev_byte();
    return *this;
}

void image_iterator::set_steps(int x, int y) {
    step_x_ = x;
    step_y_ = y;
}

void image_iterator::get_steps(int& x, int& y) const {
    x = step_x_;
    y = step_y_;
}

bool image_iterator::next_step() {
    col_pos_ += step_x_;
    if (col_pos_ >= 0 && static_cast<std::size_t>(col_pos_) < line_bytes()) return true;
    col_pos_ = 0;
    row_pos_ += step_y_;
    if (row_pos_ >= height()) {
        row_ = nullptr;
        return false;
    }
    seek_row();
    return true;
}

bool image_iterator::prev_step() {
    col_pos_ -= step_x_;
    return col_pos_ >= 0;
}

std::uint8_t& image_iterator::operator*() {
    // Outside the pixels the iterator reads a zero of its own and never writes the image.
    if (!row_ || col_pos_ < 0 || static_cast<std::size_t>(col_pos_) >= line_bytes()) {
        scratch_ = 0;
        return scratch_;
    }
    return row_[col_pos_];
}

}  // namespace tarvel_tech::nimbra
