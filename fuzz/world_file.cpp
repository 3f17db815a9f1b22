// A world file read from disk; what it gives must be written and read back unchanged.

#include <cstdlib>

#include "formats/world_file.h"
#include "fuzz/input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::input_file file("picture.jgw");
    formats::world_transform f;
    std::string error;
    if (!formats::read_world_file(file.write(data, size), f, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    std::string text;
    formats::world_transform again;
    if (!formats::format_world_file(f, text, error) || !formats::parse_world_file(text, again, error) || again != f)
        std::abort();
    return 0;
}
