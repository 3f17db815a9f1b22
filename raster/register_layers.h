#pragma once

namespace model {

// Registers the image and RRE layers with the map's registry of layer kinds, so that the
// map makes a picture into an RRE layer and reads both kinds from documents. Programs and
// tests call it at start-up beside register_vector_layers; a second call changes nothing.
void register_raster_layers();

}  // namespace model
