#include "nimbra/layer/read_layer.h"

#include "platform/archive.h"

namespace tarvel_tech::nimbra {

void read_layer::Serialize(platform::CArchive& ar) {
    if (ar.IsStoring()) {
        serialize_location(ar);
        return;
    }
    layer::Serialize(ar);
}

bool read_layer::save(const std::string&) { return false; }

bool read_layer::save(platform::CFile*) { return false; }

bool read_layer::is_valid() const { return meets_validity_rule(); }

}  // namespace tarvel_tech::nimbra
