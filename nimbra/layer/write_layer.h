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

private:
    // Bodies are written back to back in index order; a loaded index may say otherwise.
    bool prepare_bodies();

    std::int32_t next_offset_ = header_size;
};

}  // namespace tarvel_tech::nimbra
