#pragma once

#include <string>

#include "nimbra/export.h"
#include "nimbra/image/image.h"

namespace tarvel_tech::nimbra {

class jpg_image;
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
    // True when every frame was decoded and placed. Each frame's JPEG header is checked
    // against the grid before the frame is decoded.
    virtual bool decode(layer* source, platform::CWnd* window = nullptr);

    // Why the last decode of a layer answered false: the frame at fault (its index, and its
    // row and column in the grid; all -1 when no one frame was) and the reason.
    struct failure {
        std::int32_t index = -1;
        std::int32_t row = -1;
        std::int32_t column = -1;
        std::string reason;
    };
    const failure& get_failure() const { return failure_; }

private:
    bool fail(const layer& source, std::int32_t index, std::string reason);
    // Fails naming frame index, whose body lies outside the layer's file.
    bool fail_outside(const layer& source, std::int32_t index);
    // Decodes frame index of the layer into out after checking its header against the
    // grid's frame size and, when bits is not 0, the depth; the body is let go afterwards.
    bool decode_frame(layer& source, std::int32_t index, int bits, jpg_image& out);

    failure failure_;
};

}  // namespace tarvel_tech::nimbra
