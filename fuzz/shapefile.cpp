// A shapefile's main header and records, added to a map as Add Layers does.

#include <cstdlib>

#include "fuzz/input_file.h"
#include "fuzz/layer_checks.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "vector/register_layers.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::install_quiet_ui();
    model::register_vector_layers();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::input_file file("layer.shp");
    model::CSFMap map;
    model::CSFLayer* layer = nullptr;
    if (map.AddLayerFromFile(file.write(data, size), &layer) != model::layer_added) return 0;
    if (!layer || map.GetLayerCount() != 1) std::abort();
    fuzz::check_layer(*layer, true);
    return 0;
}
