#include "platform/bulk_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <new>

namespace platform {
namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;
constexpr std::size_t kLargestBlock = std::size_t{256} << 20;

std::uintptr_t round_up(std::uintptr_t value, std::size_t step) { return (value + step - 1) / step * step; }

}  // namespace

void advise_bulk(void* memory, std::size_t bytes) {
    // Only whole pages inside the memory can be advised.
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const auto start = round_up(reinterpret_cast<std::uintptr_t>(memory), page);
    const auto end = (reinterpret_cast<std::uintptr_t>(memory) + bytes) / page * page;
    if (end >= start + kLargePage) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

bulk_resource::~bulk_resource() {
    for (const block& b : blocks_) ::munmap(b.base, b.size);
}

void* bulk_resource::do_allocate(std::size_t bytes, std::size_t alignment) {
    auto aligned = [&](std::byte* at) {
        return reinterpret_cast<std::byte*>(round_up(reinterpret_cast<std::uintptr_t>(at), alignment));
    };
    if (next_ && aligned(next_) + bytes <= next_ + left_) {
        std::byte* at = aligned(next_);
        left_ -= static_cast<std::size_t>(at + bytes - next_);
        next_ = at + bytes;
        return at;
    }
    // Blocks double up to a limit, so that a few hold a layer of any size; a block is only
    // counted in memory as far as it has been touched.
    while (block_size_ < kLargestBlock && block_size_ < 4 * (bytes + alignment)) block_size_ *= 2;
    const std::size_t usable = std::max(block_size_, round_up(bytes + alignment, kLargePage));
    const std::size_t size = usable + kLargePage;  // room to start on a large page
    void* base = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) throw std::bad_alloc();
    blocks_.push_back({base, size});
    auto* start = reinterpret_cast<std::byte*>(round_up(reinterpret_cast<std::uintptr_t>(base), kLargePage));
    ::madvise(start, usable, MADV_HUGEPAGE);
    if (block_size_ < kLargestBlock) block_size_ *= 2;
    std::byte* at = aligned(start);
    next_ = at + bytes;
    left_ = static_cast<std::size_t>(start + usable - next_);
    return at;
}

}  // namespace platform
