#include "map/layer_registry.h"

#include <map>

#include "map/sf_layer.h"

namespace model {

namespace {

std::map<std::uint32_t, layer_factory>& factories() {
    static std::map<std::uint32_t, layer_factory> by_kind;
    return by_kind;
}

}  // namespace

void register_layer_kind(std::uint32_t kind, layer_factory make) { factories()[kind] = make; }

std::unique_ptr<CSFLayer> create_layer(std::uint32_t kind, CSFMap* map) {
    const auto found = factories().find(kind);
    if (found == factories().end() || !found->second) return nullptr;
    return found->second(map);
}

}  // namespace model
