#pragma once

#include <cstddef>
#include <cstdint>

#include "nimbra/layer/layer.h"

namespace tarvel_tech::nimbra {

// Builds a layer frame by frame and writes it as a file of its own or into a host file.
class NIMBRA_API write_layer : public layer {
public:
    write_layer() = default;

    // Appends a copy of length bytes as the next frame in index order.
    bool put_frame(const void* data, std::size_t length);

    bool save(const std::string& path) override;
    bool save(platform::CFile* file) override;
    bool is_valid() const override;

    using layer::get_transform;
    // The twelve transform doubles, for the writer to fill.
    std::span<double, transform_size> get_transform() {
        return std::span<double, transform_size>(writable_transform(), transform_size);
    }

    std::int32_t get_next_offset() const { return next_offset_; }

    // Writing a layer too large to hold in memory, with the bytes save writes for the same
    // frames. start_stream writes the header (filled beforehand) and room for an index of
    // count entries at the file's position; each streamed frame's body then goes straight
    // to the file, in index order; finish_stream writes the index, once every frame has
    // come, and leaves the file behind the last body. The file must be able to seek and
    // stay open meanwhile. False when the frames do not fit the index or the offsets;
    // file errors leave as the platform's exceptions.
    bool start_stream(platform::CFile* file, std::int32_t count);
    bool stream_frame(const void* data, std::size_t length);
    bool finish_stream();

private:
    // Bodies are written back to back in index order; a loaded index may say otherwise.
    bool prepare_bodies();

    std::int32_t next_offset_ = header_size;
    platform::CFile* stream_ = nullptr;
    std::int32_t stream_count_ = 0;
    std::int64_t stream_offset_ = 0;
};

}  // namespace tarvel_tech::nimbra
