#include "fuzz/layer_checks.h"

#include <cstdlib>

#include "map/sf_layer.h"
#include "shapes/sf_line.h"
#include "vector/layer_line.h"
#include "vector/layer_point.h"
#include "vector/layer_polygon.h"

namespace fuzz {
namespace {

void check_parts(const model::CSFLine& line) {
    if (line.m_pParts.size() != line.m_nParts || line.m_pPoints.size() != line.m_nPoints) std::abort();
    for (std::uint32_t k = 0; k < line.m_nParts; ++k)
        if (line.part_begin(k) > line.part_end(k) || line.part_end(k) > line.m_nPoints) std::abort();
}

void check_cells(const model::CSFLayer& layer) {
    for (const model::CSFFragment& cell : layer.m_pCells)
        for (const auto& shape : cell.m_aShapes) {
            if (!shape) std::abort();
            if (const auto* line = dynamic_cast<const model::CSFLine*>(shape.get())) check_parts(*line);
        }
}

}  // namespace

void check_layer(const model::CSFLayer& layer, bool whole_shapes) {
    if (const auto* points = dynamic_cast<const model::CSFLayerPoint*>(&layer)) {
        if (points->m_pShapes.size() != layer.m_nShapes && whole_shapes) std::abort();
    } else if (const auto* polygons = dynamic_cast<const model::CSFLayerPolygon*>(&layer)) {
        if (polygons->m_pPolygons.size() != layer.m_nShapes && whole_shapes) std::abort();
        for (const model::CSFPolygon& polygon : polygons->m_pPolygons) check_parts(polygon);
    } else if (const auto* lines = dynamic_cast<const model::CSFLayerLine*>(&layer)) {
        if (lines->m_pShapes.size() != layer.m_nShapes && whole_shapes) std::abort();
        for (const model::CSFLine& line : lines->m_pShapes) check_parts(line);
    }
    check_cells(layer);
}

}  // namespace fuzz
