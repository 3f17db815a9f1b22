#pragma once

// Everything a command writes goes through here: the kind of picture an output path names,
// and writing a file so that it replaces its target only once complete.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "formats/world_file.h"
#include "nimbra/image/image.h"

namespace platform {
class CFile;
}

namespace cli {

enum class picture_kind { png, bmp, jpeg };

// The kind of picture a path names by its extension (.png, .bmp, .jpg, .jpeg), one of those
// the command writes; a usage_error naming them otherwise. Commands call it before any work.
picture_kind output_kind(const std::string& path, std::initializer_list<picture_kind> written);

// Writes the file at path: the writer fills a file beside it, which takes the target's place
// once complete and on disk. Any failure (the writer's exceptions included) leaves the old
// file as it was and no partial one, and is an input_error "cannot write PATH: cause".
void write_output(const std::string& path, const std::function<void(platform::CFile&)>& writer);
void write_output(const std::string& path, const std::vector<std::uint8_t>& bytes);
void write_output(const std::string& path, std::string_view text);

// The world file beside a picture whose pixel indices the direct coefficients place.
void write_world_file(const std::string& path, const formats::world_transform& direct);

// Writes a picture as the kind says; quality < 0 keeps the picture's own JPEG quality.
// Pictures JPEG and PNG cannot hold as they are (a colour palette, 16 or 32 bits) are
// written in 24-bit colour. The picture is left as it was.
void save_picture(tarvel_tech::nimbra::image& picture, const std::string& path, picture_kind kind, int quality);

// Reads a .bmp, .jpg or .jpeg picture through its codec; input_error with the reason when
// it cannot be read.
std::unique_ptr<tarvel_tech::nimbra::image> load_picture(const std::string& path);

// The value of --quality (0 to 100), or -1 when it is not given; usage_error otherwise.
int parse_quality(const arguments& args);

}  // namespace cli
