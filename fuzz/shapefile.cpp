// A shapefile's main header and records, added to a map as Add Layers does.

#include <cstdlib>

#include "fuzz/input_file.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "vector/layer_line.h"
#include "vector/layer_point.h"
#include "vector/layer_polygon.h"

namespace {

// What drawing and cutting rely on: parts and points as counted, part starts in order
// inside the points.
void check_parts(const CSFLine& line) {
    if (line.m_pParts.size() != line.m_nParts || line.m_pPoints.size() != line.m_nPoints) std::abort();
    for (std::uint32_t k = 0; k < line.m_nParts; ++k)
        if (line.PartBegin(k) > line.PartEnd(k) || line.PartEnd(k) > line.m_nPoints) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::install_quiet_ui();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::input_file file("layer.shp");
    CSFMap map;
    CSFLayer* layer = nullptr;
    if (map.AddLayerFromFile(file.write(data, size), &layer) != 0) return 0;
    if (auto* points = dynamic_cast<CSFLayerPoint*>(layer))
        if (points->m_pShapes.size() != layer->m_nShapes) std::abort();
    if (auto* lines = dynamic_cast<CSFLayerLine*>(layer)) {
        if (lines->m_pShapes.size() != layer->m_nShapes) std::abort();
        for (const CSFLine& line : lines->m_pShapes) check_parts(line);
    }
    if (auto* polygons = dynamic_cast<CSFLayerPolygon*>(layer)) {
        if (polygons->m_pPolygons.size() != layer->m_nShapes) std::abort();
        for (const CSFPolygon& polygon : polygons->m_pPolygons) check_parts(polygon);
    }
    return 0;
}
