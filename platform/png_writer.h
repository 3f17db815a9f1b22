#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// The PNG file of a picture held as a packed bitmap holds one: 24-bit pixels (blue, green,
// red), rows stride bytes apart, the bottom row first. False when it cannot be made.
bool encode_png(const std::uint8_t* rows, int width, int height, std::size_t stride, std::vector<std::uint8_t>& png);

}  // namespace platform
