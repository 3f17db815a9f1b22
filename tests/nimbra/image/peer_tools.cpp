#include "tests/nimbra/image/peer_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

#include "tests/support/files.h"
#include "tests/support/process.h"

namespace image_test {

std::string run_tool(const std::string& name, const std::vector<std::string>& args, bool warnings_ok) {
    const std::string program = test_support::find_program(name);
    if (program.empty()) {
        ADD_FAILURE() << name << " is not installed (scripts/install-deps installs it)";
        return {};
    }
    const auto result = test_support::run_process(program, args);
    EXPECT_TRUE(result.exit_code == 0 || (warnings_ok && result.exit_code == 2)) << name << ": " << result.err;
    return result.out;
}

raster parse_pnm(const std::string& bytes) {
    raster out;
    std::size_t at = 0;
    auto token = [&]() {
        while (at < bytes.size()) {
            if (bytes[at] == '#') {
                while (at < bytes.size() && bytes[at] != '\n') ++at;
            } else if (std::isspace(static_cast<unsigned char>(bytes[at]))) {
                ++at;
            } else {
                break;
            }
        }
        const std::size_t start = at;
        while (at < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
        return bytes.substr(start, at - start);
    };
    const std::string magic = token();
    if (magic != "P5" && magic != "P6") {
        ADD_FAILURE() << "not a binary PNM: " << magic;
        return out;
    }
    out.channels = magic == "P5" ? 1 : 3;
    out.width = std::atoi(token().c_str());
    out.height = std::atoi(token().c_str());
    const int maxval = std::atoi(token().c_str());
    EXPECT_EQ(maxval, 255);
    ++at;  // the single whitespace before the samples
    const std::size_t count = static_cast<std::size_t>(out.width) * out.height * out.channels;
    if (bytes.size() - at < count) {
        ADD_FAILURE() << "short PNM";
        return out;
    }
    out.bytes.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                     bytes.begin() + static_cast<std::ptrdiff_t>(at + count));
    return out;
}

void write_ppm(const std::string& path, const raster& picture) {
    std::ostringstream head;
    head << "P6\n" << picture.width << " " << picture.height << "\n255\n";
    const std::string h = head.str();
    std::vector<std::uint8_t> bytes(h.begin(), h.end());
    bytes.insert(bytes.end(), picture.bytes.begin(), picture.bytes.end());
    test_support::write_bytes(path, bytes);
}

raster imagemagick_pixels(const std::string& path) {
    return parse_pnm(run_tool("convert", {path, "-depth", "8", "-type", "truecolor", "ppm:-"}));
}

raster djpeg_pixels(const std::string& path, const std::vector<std::string>& options) {
    std::vector<std::string> args = options;
    args.push_back("-pnm");
    args.push_back(path);
    // djpeg warns about a truncated file and still writes the picture.
    return parse_pnm(run_tool("djpeg", args, true));
}

raster pixels_of(const tarvel_tech::nimbra::__image& img) {
    raster out;
    out.width = img.get_info().biWidth;
    out.height = img.get_info().biHeight;
    out.channels = 3;
    out.bytes.reserve(static_cast<std::size_t>(out.width) * out.height * 3);
    for (int y = out.height - 1; y >= 0; --y)
        for (int x = 0; x < out.width; ++x) {
            const auto c = img.get_color(x, y);
            out.bytes.insert(out.bytes.end(), {c.rgbRed, c.rgbGreen, c.rgbBlue});
        }
    return out;
}

raster structured_picture(int width, int height) {
    raster out{width, height, 3, {}};
    out.bytes.resize(static_cast<std::size_t>(width) * height * 3);
    const int cx = width / 2, cy = height / 2, r = std::min(width, height) / 3;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = out.bytes.data() + (static_cast<std::size_t>(y) * width + x) * 3;
            p[0] = static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));
            p[1] = static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1));
            p[2] = static_cast<std::uint8_t>(128 + (x - y) / 4);
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r) p[2] = 230;
            if (x % 16 == 0 || y % 16 == 0) p[0] = p[1] = p[2] = 20;
        }
    return out;
}

void fill_image(tarvel_tech::nimbra::__image& img, const raster& picture) {
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t* p = picture.at(x, y);
            img.set_color(x, picture.height - 1 - y, tarvel_tech::nimbra::RGBQUAD{p[2], p[1], p[0], 0});
        }
}

namespace {

bool same_size(const raster& a, const raster& b) {
    if (a.width != b.width || a.height != b.height || a.channels != b.channels || a.bytes.size() != b.bytes.size()) {
        ADD_FAILURE() << "rasters differ in size: " << a.width << "x" << a.height << "x" << a.channels << " vs "
                      << b.width << "x" << b.height << "x" << b.channels;
        return false;
    }
    return true;
}

}  // namespace

int max_difference(const raster& a, const raster& b) {
    if (!same_size(a, b)) return 256;
    int worst = 0;
    for (std::size_t i = 0; i < a.bytes.size(); ++i) worst = std::max(worst, std::abs(a.bytes[i] - b.bytes[i]));
    return worst;
}

}  // namespace image_test
