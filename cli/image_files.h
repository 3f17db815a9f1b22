#pragma once

#include <memory>
#include <string>

#include "cli/command.h"
#include "nimbra/image/image.h"

namespace cli {

// The codec for a picture file by its extension (.bmp, .jpg, .jpeg), or none.
std::unique_ptr<tarvel_tech::nimbra::image> codec_for(const std::string& path);

// Reads a picture through its codec; throws usage_error for an unknown kind and
// input_error when it cannot be read.
std::unique_ptr<tarvel_tech::nimbra::image> load_picture(const std::string& path);

// Writes the picture's pixels through the codec the output path names (the picture is
// emptied); throws usage_error for an unknown kind and input_error when it cannot be
// written. quality < 0 keeps the picture's own.
void save_picture(tarvel_tech::nimbra::image& picture, const std::string& path, int quality);

// The value of --quality (0 to 100), or -1 when it is not given; usage_error otherwise.
int parse_quality(const arguments& args);

}  // namespace cli
