#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "raster/frame_source.h"
#include "raster/picture_file.h"

namespace platform {
class CFile;
}
namespace tarvel_tech::nimbra {
class band_reader;
}

namespace model {

// The frames of a picture file, read top to bottom one frame row at a time and never whole:
// a JPEG is decoded scanline by scanline, a bitmap read band by band. The rows below the
// last frame row are read too, only to learn that the picture is whole, so a damaged file
// fails here as it fails to load. With more than one thread, a pool encodes the frames of
// one band while the next band is read; the bodies still come in index order, and are, byte
// for byte, those picture_frames cuts from the decoded picture.
class band_frames : public frame_source {
public:
    // One thread for each core.
    static int default_threads();

    // The picture file at the path, read as a picture of that kind, with its header read.
    // None, with the reason in error, when it cannot be opened or its header is one the
    // codec refuses. threads below 1 means default_threads(). File errors leave as the
    // platform's exceptions.
    static std::unique_ptr<band_frames> open(const std::string& path, picture_kind kind, int quality, int threads,
                                             std::string& error);

    band_frames(std::unique_ptr<platform::CFile> file, std::unique_ptr<tarvel_tech::nimbra::band_reader> reader,
                int quality, int threads);
    ~band_frames() override;

    int get_width() const override;
    int get_height() const override;
    bool start(const frame_grid& grid) override;
    // A file error met by a worker leaves here, as the platform's exception.
    bool next_frame(std::vector<std::uint8_t>& body) override;
    const std::string& get_error() const override { return error_; }
    bool picture_unreadable() const override { return unreadable_; }

private:
    struct pool;

    bool next_frame_here(std::vector<std::uint8_t>& body);
    bool read_failed();

    std::unique_ptr<platform::CFile> file_;
    std::unique_ptr<tarvel_tech::nimbra::band_reader> reader_;
    int quality_;
    int threads_;
    frame_grid grid_;
    std::int64_t next_ = 0;
    bool started_ = false;
    std::string error_;
    bool unreadable_ = false;
    // Working alone: the band of the current frame row.
    std::unique_ptr<tarvel_tech::nimbra::image> band_;
    std::unique_ptr<pool> pool_;
};

}  // namespace model
