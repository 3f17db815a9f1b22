#pragma once

#include "nimbra/export.h"
#include "nimbra/image/image.h"

namespace tarvel_tech::nimbra {

class layer;

// A whole RRE layer decoded into one picture: every frame is decoded as JPEG and put in
// its place. It cannot be written; its pixels go to a codec image for that.
class NIMBRA_API layer_image : public image {
public:
    // Posted to the window while decoding: first parameter 0, second the progress value.
    static constexpr std::uint32_t progress_message = 1480;

    layer_image() : image(layer_type) {}
    layer_image(const layer_image& other, bool flag = false) : image(other, flag) {}

    using image::decode;
    using image::encode;
    using image::load;
    // A layer read from the file's current position; its frame bodies are then read through
    // the file's path, so a file without one (a memory file) gives false.
    bool decode(platform::CFile* file, platform::CWnd* window = nullptr) override;
    // Writes nothing: a layer image cannot be written.
    bool encode(platform::CFile* file, platform::CWnd* window = nullptr) override;
    // Does nothing and leaves bytes and length as they were.
    bool encode(std::unique_ptr<std::uint8_t[]>& bytes, std::size_t& length,
                platform::CWnd* window = nullptr) override;
    std::unique_ptr<image> clone() const override;

    virtual bool load(layer* source, platform::CWnd* window = nullptr);
    // True when every frame was decoded and placed.
    virtual bool decode(layer* source, platform::CWnd* window = nullptr);
};

}  // namespace tarvel_tech::nimbra
