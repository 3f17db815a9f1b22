#pragma once

#include <string>

#include "platform/path.h"

namespace model {

// The kinds of picture file a raster layer takes, chosen by the name's end whatever its
// case: ".jpg" and ".jpeg" are JPEG, ".bmp" a bitmap; anything else is none.
enum class picture_kind { none, jpeg, bitmap };
picture_kind picture_kind_of(const std::string& name);

// A picture file as a layer found it when reading it: its path, size and time of last
// change. While the file stands unchanged, reading it again gives the same picture, so an
// export may take the frames from the file instead of the picture in memory.
struct picture_file {
    std::string path;
    picture_kind kind = picture_kind::none;
    platform::file_status status;

    // The file at the path as it stands now, to be read as a picture of that kind; an empty
    // record when there is no such file.
    static picture_file look_at(const std::string& path, picture_kind kind);

    bool empty() const { return path.empty(); }
    // Whether the file at the path is still the one recorded.
    bool unchanged() const;
};

}  // namespace model
