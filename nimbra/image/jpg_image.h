#pragma once

#include "nimbra/export.h"
#include "nimbra/image/image.h"
#include "nimbra/image/picture_header.h"

namespace tarvel_tech::nimbra {

// JPEG through libjpeg: decodes greyscale to 8-bit images with a grey palette and colour
// or CMYK to 24-bit images; encodes 24-bit images and greyscale ramps.
class NIMBRA_API jpg_image : public image {
public:
    jpg_image() : image(jpg_type) {}
    // Decodes the bytes of a JPEG file.
    jpg_image(const std::uint8_t* bytes, std::size_t length);
    jpg_image(const jpg_image& other, bool flag = false) : image(other, flag) {}

    using image::decode;
    using image::encode;
    bool decode(platform::CFile* file, platform::CWnd* window = nullptr) override;
    bool encode(platform::CFile* file, platform::CWnd* window = nullptr) override;
    // The JPEG data exactly, in new bytes the caller owns.
    bool encode(std::unique_ptr<std::uint8_t[]>& bytes, std::size_t& length,
                platform::CWnd* window = nullptr) override;
    std::unique_ptr<image> clone() const override;

    // What decode would make of the JPEG at the file's current position, without building
    // the picture: false, with the reason as the last error, for a file decode refuses
    // before its pixels (not a JPEG, more pixels declared than its data can carry) or
    // whose data ends before its last row. The file is left at no particular position.
    static bool read_header(platform::CFile* file, picture_header& header);

    // The message of the most recent JPEG failure in this process.
    static const char* get_last_error();

private:
    struct codec;
    friend struct codec;
};

}  // namespace tarvel_tech::nimbra
