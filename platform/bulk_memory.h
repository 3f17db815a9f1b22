#pragma once

#include <cstddef>
#include <memory_resource>
#include <vector>

namespace platform {

// Memory that is filled in one go, such as the shapes of a layer read from a file, is asked
// for in large pages where the system has them: touching it then costs one page fault for
// 2 MB instead of one for every 4 KB, and on a virtual machine those faults are most of the
// cost of reading a big file. Only a hint: the memory works the same without it.
void advise_bulk(void* memory, std::size_t bytes);

// Replaces the array by count elements made by make(), in memory advised as bulk.
template <class T, class Make>
void assign_bulk(std::vector<T>& array, std::size_t count, Make make) {
    std::vector<T> fresh;
    fresh.reserve(count);
    advise_bulk(fresh.data(), count * sizeof(T));
    for (std::size_t i = 0; i < count; ++i) fresh.push_back(make());
    array.swap(fresh);
}

// An arena for many small blocks that live and die together, taken from the system in large
// blocks advised as above. Nothing is given back before the arena goes.
class bulk_resource : public std::pmr::memory_resource {
public:
    bulk_resource() = default;
    bulk_resource(const bulk_resource&) = delete;
    bulk_resource& operator=(const bulk_resource&) = delete;
    ~bulk_resource() override;

private:
    struct block {
        void* base;
        std::size_t size;
    };

    void* do_allocate(std::size_t bytes, std::size_t alignment) override;
    void do_deallocate(void*, std::size_t, std::size_t) override {}
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }

    std::vector<block> blocks_;
    std::byte* next_ = nullptr;
    std::size_t left_ = 0;
    std::size_t block_size_ = std::size_t{2} << 20;
};

}  // namespace platform
