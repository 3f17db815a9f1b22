#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "raster/frame_grid.h"

namespace tarvel_tech::nimbra {
class image;
class jpg_image;
}

namespace model {

// Where the export gets the frames of a picture: the picture's size first, then, once the
// export has laid out its grid, the JPEG body of every frame in index order (rows from the
// top, each row from the left). Bodies are asked for strictly in that order and exactly
// once each, so a source may read its picture top to bottom as it goes, in bands, and may
// encode the frames ahead of the export on other threads: the export only takes the next
// body and puts it in the layer.
class frame_source {
public:
    frame_source() = default;
    frame_source(const frame_source&) = delete;
    frame_source& operator=(const frame_source&) = delete;
    virtual ~frame_source();

    // The whole picture's size in pixels; 0 when there is no picture.
    virtual int get_width() const = 0;
    virtual int get_height() const = 0;
    // Called once, before the first body, with the grid the frames follow.
    virtual bool start(const frame_grid& grid) = 0;
    // The next frame's JPEG body in body (its old contents are replaced). False when it
    // cannot be made; get_error says why, and no further body is asked for.
    virtual bool next_frame(std::vector<std::uint8_t>& body) = 0;
    virtual const std::string& get_error() const = 0;
    // After a failure: whether it was the picture's own data that could not be read (the
    // picture is damaged or cut short), rather than a frame that could not be made of it.
    virtual bool picture_unreadable() const { return false; }
};

// The JPEG file of the rectangle [left, left + width) x [top, top + height) of a picture
// (top counted from its top row), at the quality given. Pictures with a palette of colours
// become 24-bit first, as JPEG holds only colour and grey ramps. False, with the codec's
// reason in error, when it cannot be encoded.
bool encode_frame(const tarvel_tech::nimbra::image& picture, int left, int top, int width, int height, int quality,
                  std::vector<std::uint8_t>& body, std::string& error);
// A frame already cut out, in colour or grey, encoded as above.
bool encode_frame(tarvel_tech::nimbra::jpg_image& frame, int quality, std::vector<std::uint8_t>& body,
                  std::string& error);

// The frames of a picture held whole in memory, cut out and encoded one by one as they are
// asked for. The picture must outlive the source and stay as it is meanwhile.
class picture_frames : public frame_source {
public:
    static constexpr int kDefaultQuality = 75;

    explicit picture_frames(const tarvel_tech::nimbra::image& picture, int quality = kDefaultQuality);

    int get_width() const override;
    int get_height() const override;
    bool start(const frame_grid& grid) override;
    bool next_frame(std::vector<std::uint8_t>& body) override;
    const std::string& get_error() const override { return error_; }

private:
    const tarvel_tech::nimbra::image& picture_;
    int quality_;
    frame_grid grid_;
    std::int64_t next_ = 0;
    std::string error_;
};

}  // namespace model
