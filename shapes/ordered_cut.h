#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "shapes/sf_shape.h"

namespace model {

// How many threads cutting shapes into cells uses; 0, the default, is one for each core.
int get_cut_threads();
void set_cut_threads(int threads);

// A piece cut from a shape: the cell it goes to and the one-part shape that cell receives.
struct cut_piece {
    int cell = 0;
    std::unique_ptr<CSFShape> shape;
    std::uint32_t points = 0;
};

// What cutting a run of consecutive shapes gave, pieces in the order they were cut. A cut
// that stops at a shape ends the whole cutting there, after that shape's pieces.
struct cut_batch {
    std::vector<cut_piece> pieces;
    bool stopped = false;
    std::size_t stopped_at = 0;
    std::exception_ptr error;
};

// Cuts shapes [0, count) in runs of consecutive shapes and hands each run to take on the
// calling thread, in shape order: take sees the pieces in the order cutting the shapes one
// by one gives them, whatever the number of threads. Shapes are independent, so runs are cut
// on all cut threads at once. cut(first, end, batch) cuts shapes [first, end) into batch;
// take(first, end, batch) receives it and answers whether cutting goes on. An exception
// thrown by cut reaches the caller when its run is taken.
using cut_run = std::function<void(std::size_t first, std::size_t end, cut_batch& batch)>;
using take_run = std::function<bool(std::size_t first, std::size_t end, cut_batch& batch)>;
void cut_in_order(std::size_t count, const cut_run& cut, const take_run& take);

}  // namespace model
