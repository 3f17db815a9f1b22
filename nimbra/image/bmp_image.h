#pragma once

#include "nimbra/export.h"
#include "nimbra/image/image.h"
#include "nimbra/image/picture_header.h"

namespace tarvel_tech::nimbra {

// Windows bitmaps: reads 1-, 4- and 8-bit (plain or run-length), 16-, 24- and 32-bit files
// with any of the usual headers; writes bottom-up, uncompressed files of the image's depth.
class NIMBRA_API bmp_image : public image {
public:
    bmp_image() : image(bmp_type) {}
    // Decodes the bytes of a bitmap file.
    bmp_image(const std::uint8_t* bytes, std::size_t length);
    bmp_image(const bmp_image& other, bool flag = false) : image(other, flag) {}

    using image::decode;
    using image::encode;
    bool decode(platform::CFile* file, platform::CWnd* window = nullptr) override;
    bool encode(platform::CFile* file, platform::CWnd* window = nullptr) override;
    bool encode(std::unique_ptr<std::uint8_t[]>& bytes, std::size_t& length,
                platform::CWnd* window = nullptr) override;
    std::unique_ptr<image> clone() const override;

    // What decode would make of the bitmap at the file's current position, without building
    // the picture: false for a file decode refuses. The file is left at no particular
    // position.
    static bool read_header(platform::CFile* file, picture_header& header);
};

}  // namespace tarvel_tech::nimbra
