#pragma once

#include "nimbra/layer/layer.h"

namespace tarvel_tech::nimbra {

// A layer read from a file; it never writes. Frame bodies are read on demand.
class NIMBRA_API read_layer : public layer {
public:
    read_layer() = default;

    // Only the location is taken when storing; header and index travel when loading.
    void Serialize(platform::CArchive& ar) override;
    bool save(const std::string& path) override;
    bool save(platform::CFile* file) override;
    bool is_valid() const override;
};

}  // namespace tarvel_tech::nimbra
