// geojson: the vector layers of a shapefile, a text export or a map document as a GeoJSON
// FeatureCollection. A shapefile or a text export gives its whole shapes, a document the
// pieces its cells hold (the shapes it keeps); point layers give their stored attributes.

#include "cli/command.h"
#include "cli/map_files.h"
#include "cli/map_input.h"
#include "cli/output.h"
#include "formats/geojson_writer.h"
#include "map/sf_map.h"
#include "platform/code_page.h"
#include "platform/path.h"
#include "vector/layer_point.h"
#include "vector/layer_polygon.h"

namespace cli {
namespace {

using formats::geojson_feature;
using formats::geojson_ring;

// The parts of a line or a polygon, each a list of positions.
std::vector<geojson_ring> rings_of(const model::CSFLine& shape) {
    std::vector<geojson_ring> rings;
    for (std::uint32_t k = 0; k < shape.m_nParts && k < shape.m_pParts.size(); ++k) {
        geojson_ring& ring = rings.emplace_back();
        const std::uint32_t end = std::min<std::uint32_t>(shape.part_end(k), shape.m_nPoints);
        for (std::uint32_t i = shape.part_begin(k); i < end && i < shape.m_pPoints.size(); ++i)
            ring.push_back({shape.m_pPoints[i].X, shape.m_pPoints[i].Y});
    }
    return rings;
}

class feature_writer {
public:
    feature_writer(formats::geojson_writer& out, bool named) : m_out(out), m_bNamed(named) {}

    void write_layer(model::CSFLayer& layer) {
        m_strLayer = layer_name(layer);
        if (auto* points = dynamic_cast<model::CSFLayerPoint*>(&layer)) {
            write_points(*points);
        } else if (auto* polygons = dynamic_cast<model::CSFLayerPolygon*>(&layer)) {
            for (const model::CSFPolygon& polygon : polygons->m_pPolygons)
                write({geojson_feature::polygons, formats::polygons_from_rings(rings_of(polygon)), {}});
            for (const model::CSFShape* piece : pieces(polygons->m_pPolygonCells))
                if (auto* ring = dynamic_cast<const model::CSFPolygon*>(piece))
                    write({geojson_feature::polygons, {rings_of(*ring)}, {}}, piece->m_nRecord);
        } else if (auto* lines = dynamic_cast<model::CSFLayerLine*>(&layer)) {
            for (const model::CSFLine& line : lines->m_pShapes) write({geojson_feature::lines, {rings_of(line)}, {}});
            for (const model::CSFShape* piece : pieces(lines->m_pLineCells))
                if (auto* line = dynamic_cast<const model::CSFLine*>(piece))
                    write({geojson_feature::lines, {rings_of(*line)}, {}}, piece->m_nRecord);
        }
    }

private:
    static std::vector<const model::CSFShape*> pieces(const std::vector<model::CSFFragment>& cells) {
        std::vector<const model::CSFShape*> out;
        for (const model::CSFFragment& cell : cells)
            for (const auto& shape : cell.m_aShapes) out.push_back(shape.get());
        return out;
    }

    // A whole shape, or a piece of the shape of that record.
    void write(geojson_feature feature, std::int32_t piece_of = -1) {
        if (m_bNamed && !has_property(feature, "layer")) feature.properties.emplace_back("layer", m_strLayer);
        if (piece_of >= 0 && !has_property(feature, "record"))
            feature.properties.emplace_back("record", std::int64_t{piece_of});
        m_out.write(feature);
    }

    static bool has_property(const geojson_feature& feature, const std::string& name) {
        for (const auto& [key, unused] : feature.properties)
            if (key == name) return true;
        return false;
    }

    void write_points(const model::CSFLayerPoint& layer) {
        std::vector<const model::CSFShape*> shapes;
        for (const model::CSFPoint& point : layer.m_pShapes) shapes.push_back(&point);
        const bool whole = !shapes.empty();
        if (!whole) shapes = pieces(layer.m_pCells);
        for (const model::CSFShape* shape : shapes) {
            const auto* point = dynamic_cast<const model::CSFPoint*>(shape);
            if (!point) continue;
            geojson_feature feature{geojson_feature::point, {{{{point->m_pt.X, point->m_pt.Y}}}}, {}};
            // The fields the layer keeps: those it shows and stores, of a kind it can hold.
            for (std::size_t i = 0; layer.m_bAttributes && i < layer.m_aFieldNames.size(); ++i) {
                if (i >= layer.m_aFieldShown.size() || !layer.m_aFieldShown[i] || i >= layer.m_aFieldKinds.size())
                    continue;
                const model::_attrValue value = point->GetAttribute(static_cast<int>(i));
                formats::geojson_value property;
                switch (layer.m_aFieldKinds[i]) {
                    case model::_attrValue::integer: property = std::int64_t{value.get_int()}; break;
                    case model::_attrValue::real: property = value.get_double(); break;
                    case model::_attrValue::text: property = platform::utf16_to_utf8(value.get_text()); break;
                    default: continue;
                }
                feature.properties.emplace_back(utf8_of_system_text(layer.m_aFieldNames[i]), std::move(property));
            }
            write(std::move(feature));
        }
    }

    formats::geojson_writer& m_out;
    bool m_bNamed;
    std::string m_strLayer;
};

}  // namespace

int run_geojson(const arguments& args) {
    if (args.positional().size() != 1) throw usage_error("geojson takes exactly one INPUT");
    const std::string input = args.positional()[0];
    const std::string out = args.get("-o");
    if (out.empty()) throw usage_error("geojson needs -o OUT.geojson");
    // Pictures have no vector layers to write.
    if (!is_map_file(input) && platform::lower_extension(input) != ".shp")
        throw usage_error("geojson writes the layers of shapefiles (.shp), text exports (.ktf) and map documents "
                          "(.kxr), not " + input);

    model::CSFMap map;
    const bool document = platform::lower_extension(input) == ".kxr";
    if (is_map_file(input))
        load_map(map, input, nullptr);
    else
        add_layer(map, input);

    write_output(out, [&](platform::CFile& file) {
        formats::geojson_writer writer(file);
        feature_writer features(writer, document);
        for (std::uint32_t i = 0; i < map.GetLayerCount(); ++i) features.write_layer(*map.GetLayer(i));
        writer.finish();
    });
    return exit_ok;
}

}  // namespace cli
