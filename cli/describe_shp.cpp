#include "cli/describe.h"
#include "cli/map_input.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "platform/code_page.h"
#include "vector/layer_line.h"
#include "vector/layer_point.h"
#include "vector/layer_polygon.h"
#include "vector/table_fields.h"

namespace cli {
namespace {

// Parts and points over the layer's shapes: a point is one point and no part.
std::pair<std::uint64_t, std::uint64_t> count_parts_and_points(model::CSFLayer& layer) {
    std::uint64_t parts = 0, points = 0;
    if (auto* polygons = dynamic_cast<model::CSFLayerPolygon*>(&layer)) {
        for (const model::CSFPolygon& p : polygons->m_pPolygons) parts += p.m_nParts, points += p.m_nPoints;
    } else if (auto* lines = dynamic_cast<model::CSFLayerLine*>(&layer)) {
        for (const model::CSFLine& l : lines->m_pShapes) parts += l.m_nParts, points += l.m_nPoints;
    } else if (auto* dots = dynamic_cast<model::CSFLayerPoint*>(&layer)) {
        points = dots->m_pShapes.size();
    }
    return {parts, points};
}

}  // namespace

value describe_shp(const std::string& path, const arguments&) {
    model::CSFMap map;
    model::CSFLayer* layer = add_layer(map, path);
    const model::CSFMainHeader& header = layer->m_header;
    const auto [parts, points] = count_parts_and_points(*layer);
    value table;  // null when the shapefile has no readable table
    if (const auto description = model::describe_table(path)) {
        value::array fields;
        for (const model::table_field& f : description->fields)
            fields.emplace_back(value::object{{"name", f.name},
                                              {"type", std::string(1, f.type)},
                                              {"kind", f.table_kind},
                                              {"attribute_kind", f.attribute_kind}});
        table = value::object{{"path", description->path},
                              {"code_page", description->code_page},
                              {"record_count", description->record_count},
                              {"fields", std::move(fields)}};
    }
    return value::object{
        {"shape_type", header.m_nShapeType},
        {"records", layer->m_nShapes},
        {"layer", platform::utf16_to_utf8(platform::to_utf16(layer->m_strName, platform::system_code_page()))},
        {"header_bounds", box_value({header.m_dXmin, header.m_dYmin, header.m_dXmax, header.m_dYmax})},
        {"bounds", box_value(layer->m_rcBounds)},
        {"parts", parts},
        {"points", points},
        {"table", std::move(table)},
    };
}

}  // namespace cli
