#include "formats/world_file.h"

#include <cmath>

#include "formats/number_text.h"
#include "formats/text_file.h"
#include "platform/path.h"

namespace formats {
namespace {

// A world file is six short lines.
constexpr std::size_t max_file_length = 64 * 1024;

// The order of the coefficients in the file: A (f0), D (f3), B (f1), E (f4), C (f2), F (f5).
constexpr int file_order[6] = {0, 3, 1, 4, 2, 5};

bool invertible(const world_transform& f) {
    const double determinant = f[0] * f[4] - f[1] * f[3];
    return std::isfinite(determinant) && determinant != 0.0;
}

}  // namespace

std::string world_file_path(const std::string& picture_path) {
    const std::string name = platform::file_name_part(picture_path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return picture_path + ".wld";
    const std::string base = picture_path.substr(0, picture_path.size() - (name.size() - dot));
    const std::string extension = name.substr(dot + 1);
    if (extension.size() < 2) return base + ".wld";
    const bool upper_case = extension.back() >= 'A' && extension.back() <= 'Z';
    return base + "." + extension.front() + extension.back() + (upper_case ? "W" : "w");
}

bool format_world_file(const world_transform& f, std::string& text, std::string& error) {
    text.clear();
    for (double v : f) {
        if (!std::isfinite(v)) {
            error = "the transformation is not a finite number throughout";
            return false;
        }
    }
    if (!invertible(f)) {
        error = "the transformation cannot be inverted";
        return false;
    }
    for (int k : file_order) text += format_number(f[k]) + "\n";
    return true;
}

bool parse_world_file(std::string_view text, world_transform& f, std::string& error) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    world_transform read{};
    int count = 0;
    int line_number = 0;
    while (count < 6 && !text.empty()) {
        const auto feed = text.find('\n');
        std::string_view line = text.substr(0, feed);
        text.remove_prefix(feed == std::string_view::npos ? text.size() : feed + 1);
        ++line_number;
        if (line.ends_with('\r')) line.remove_suffix(1);
        line = trim_blanks_and_tabs(line);
        if (line.empty()) continue;
        if (!parse_finite_number(line, read[file_order[count]])) {
            error = "line " + std::to_string(line_number) + " is not a finite number";
            return false;
        }
        ++count;
    }
    if (count < 6) {
        error = "a world file has six numbers, this one " + std::to_string(count);
        return false;
    }
    if (!invertible(read)) {
        error = "the transformation cannot be inverted";
        return false;
    }
    f = read;
    return true;
}

bool write_world_file(const std::string& path, const world_transform& f, std::string& error) {
    std::string text;
    return format_world_file(f, text, error) && write_text_file(path, text, error);
}

bool read_world_file(const std::string& path, world_transform& f, std::string& error) {
    std::string text;
    if (!read_text_file(path, max_file_length, text, error)) return false;
    if (!parse_world_file(text, f, error)) {
        error += ": " + path;
        return false;
    }
    return true;
}

}  // namespace formats
