#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "shapes/ordered_cut.h"

using namespace model;

namespace {

// Cuts shapes 0..count-1, each giving a piece whose cell is its number; shape stop_at stops
// the cut and shape throw_at throws. Answers the cells taken, in the order taken.
std::vector<int> cut_numbers(int threads, std::size_t count, std::size_t stop_at, std::size_t throw_at,
                             bool* threw = nullptr) {
    set_cut_threads(threads);
    std::vector<int> taken;
    try {
        cut_in_order(
            count,
            [&](std::size_t first, std::size_t end, cut_batch& batch) {
                for (std::size_t i = first; i < end; ++i) {
                    if (i == throw_at) throw std::bad_alloc();
                    batch.pieces.push_back({static_cast<int>(i), nullptr, 1});
                    if (i == stop_at) {
                        batch.stopped = true;
                        batch.stopped_at = i;
                        return;
                    }
                }
            },
            [&](std::size_t, std::size_t, cut_batch& batch) {
                for (const cut_piece& p : batch.pieces) taken.push_back(p.cell);
                return !batch.stopped;
            });
    } catch (const std::bad_alloc&) {
        if (threw) *threw = true;
    }
    set_cut_threads(0);
    return taken;
}

std::vector<int> first_numbers(int n) {
    std::vector<int> numbers;
    for (int i = 0; i < n; ++i) numbers.push_back(i);
    return numbers;
}

}  // namespace

// Whatever the threads, the runs are taken in order, a stop ends the cut after the stopping
// shape, and a failure on any thread reaches the caller after the runs before its own.
TEST(OrderedCut, RunsAreTakenInOrderAndStopsAndFailuresEndTheCutWhereOneThreadWould) {
    const std::size_t none = static_cast<std::size_t>(-1);
    for (int threads : {1, 2, 5}) {
        EXPECT_EQ(cut_numbers(threads, 5000, none, none), first_numbers(5000)) << threads;
        EXPECT_EQ(cut_numbers(threads, 5000, 3777, none), first_numbers(3778)) << threads;
        EXPECT_TRUE(cut_numbers(threads, 0, none, none).empty());
        bool threw = false;
        const std::vector<int> before = cut_numbers(threads, 5000, none, 4321, &threw);
        EXPECT_TRUE(threw) << threads;
        // Whole runs only: the failing run's own pieces are not taken.
        ASSERT_LE(before.size(), 4321u) << threads;
        EXPECT_EQ(before, first_numbers(static_cast<int>(before.size()))) << threads;
        EXPECT_GE(before.size(), 4321u - 256u) << threads;
    }
}
