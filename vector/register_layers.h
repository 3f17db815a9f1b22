#pragma once

namespace model {

// Registers the point, line, polygon and icon layers with the map's registry of layer kinds,
// so that the map can create them by kind tag. Programs and tests call it at start-up; a
// second call changes nothing.
void register_vector_layers();

}  // namespace model
