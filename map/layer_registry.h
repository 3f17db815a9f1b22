#pragma once

#include <cstdint>
#include <memory>

// The layer kinds the map can create by kind tag: adding a source file, reading a map
// document record. The folders that hold layer kinds register them in an explicit call at
// start-up, so the map itself never names a concrete layer class.

namespace model {

class CSFLayer;
class CSFMap;

// Makes a new layer of one kind for the map given, or for none (a layer made from a file).
using layer_factory = std::unique_ptr<CSFLayer> (*)(CSFMap* map);

// Makes the factory the one of the kind; registering a kind again replaces its factory.
void register_layer_kind(std::uint32_t kind, layer_factory make);
// A new layer of the kind; none when no factory is registered for it.
std::unique_ptr<CSFLayer> create_layer(std::uint32_t kind, CSFMap* map = nullptr);

}  // namespace model
