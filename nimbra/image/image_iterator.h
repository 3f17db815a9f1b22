#pragma once

#include <cstddef>
#include <cstdint>

#include "nimbra/export.h"

namespace tarvel_tech::nimbra {

class __image;

// Walks the bytes of an image row by row, bottom row first, or by steps.
class NIMBRA_API image_iterator {
public:
    explicit image_iterator(__image* img);

    operator __image*() const { return image_; }
    // An image is present and the position lies inside its rows and width.
    bool is_valid() const;
    void reset();
    // The top row of the picture.
    void begin();

    std::uint8_t* get_row() const { return row_; }
    std::uint8_t* get_row(int n);
    void get_row(std::uint8_t* buffer, std::size_t length) const;
    void set_row(const std::uint8_t* buffer, std::size_t length);
    bool move_to(int n);
    bool next_row();
    bool prev_row();

    image_iterator& operator++();
    image_iterator& operator--();
    bool next_byte();
    bool prev_byte();

    void set_steps(int x, int y);
    void get_steps(int& x, int& y) const;
    bool next_step();
    bool prev_step();

    int get_col_pos() const { return col_pos_; }
    int get_row_pos() const { return row_pos_; }

    std::uint8_t& operator*();

private:
    int height() const;
    std::size_t line_bytes() const;
    // Points the row pointer at row_pos_, none past the rows or without pixels.
    void seek_row();

    std::int32_t col_pos_ = 0;
    std::int32_t row_pos_ = 0;
    std::int32_t step_x_ = 0;
    std::int32_t step_y_ = 0;
    std::uint8_t* row_ = nullptr;
    __image* image_;
    std::uint8_t scratch_ = 0;
};

}  // namespace tarvel_tech::nimbra
