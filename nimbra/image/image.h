#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "nimbra/export.h"
#include "nimbra/image/__image.h"

namespace platform {
class CArchive;
class CFile;
class CWnd;
}  // namespace platform

namespace tarvel_tech::nimbra {

// An image that loads and saves itself through a codec. The codec classes supply decode,
// encode and clone; a window, when given, is passed through to them.
class NIMBRA_API image : public __image {
public:
    explicit image(image_type type) : __image(type) {}
    image(const image& other, bool flag = false) : __image(other, flag) {}

    void Serialize(platform::CArchive& ar) override;

    // Both read from, or write at, the file's current position.
    virtual bool decode(platform::CFile* file, platform::CWnd* window = nullptr) = 0;
    // Decodes bytes through a read-only memory file over them.
    virtual bool decode(const std::uint8_t* bytes, std::size_t length, platform::CWnd* window = nullptr);
    virtual bool encode(platform::CFile* file, platform::CWnd* window = nullptr) = 0;
    // The encoded file in new bytes that the caller owns.
    virtual bool encode(std::unique_ptr<std::uint8_t[]>& bytes, std::size_t& length,
                        platform::CWnd* window = nullptr) = 0;
    virtual bool load(const std::string& path, platform::CWnd* window = nullptr);
    virtual bool load(platform::CFile* file, platform::CWnd* window = nullptr);
    virtual bool save(const std::string& path, platform::CWnd* window = nullptr);
    virtual bool save(platform::CFile* file, platform::CWnd* window = nullptr);
    // A new, empty image of the same class.
    virtual std::unique_ptr<image> clone() const = 0;

    // The packed bitmap, ready for anything that draws one.
    std::uint8_t* operator*() const { return block; }

    // Turns the picture upside down in place.
    bool flip();
    // Cuts out the rectangle [left, right) x [top, bottom) in picture coordinates (y down
    // from the top row) into a new image of the same class; none when it is empty.
    std::unique_ptr<image> excise(int left, int top, int right, int bottom) const;
};

}  // namespace tarvel_tech::nimbra
