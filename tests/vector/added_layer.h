#pragma once

#include <string>
#include <vector>

#include "map/sf_map.h"
#include "tests/support/recording_ui_service.h"
#include "vector/register_layers.h"

namespace vector_test {

// A shapefile added to a map as Add Layers adds it: the result, the layer and what the
// operator was told.
struct added {
    unsigned result = 99;
    model::CSFLayer* layer = nullptr;
    std::vector<std::string> messages;
};

inline added add(model::CSFMap& map, const std::string& path) {
    model::register_vector_layers();
    test_support::recording_ui ui;
    added a;
    a.result = map.AddLayerFromFile(path, &a.layer);
    for (const auto& m : ui.messages()) a.messages.push_back(m.text);
    return a;
}

}  // namespace vector_test
