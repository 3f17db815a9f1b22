// info of a map document (.kxr) or a text export (.ktf): the map as Open or Import makes it,
// layer by layer.

#include "cli/describe.h"
#include "cli/map_files.h"
#include "cli/map_input.h"
#include "georef/tr_rss.h"
#include "map/sf_map.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/file_io.h"
#include "platform/path.h"
#include "raster/frame_grid.h"
#include "raster/layer_rre.h"
#include "vector/layer_icons.h"
#include "vector/layer_point.h"
#include "vector/layer_polygon.h"

namespace cli {
namespace {

const char* kind_name(std::uint32_t kind) {
    switch (kind) {
        case model::kLayerPoint: return "point";
        case model::kLayerLine: return "line";
        case model::kLayerPolygon: return "polygon";
        case model::kLayerIcons: return "icons";
        case model::kLayerImage: return "image";
        case model::kLayerRRE: return "rre";
        default: return "unknown";
    }
}

// Parts and points of whole shapes (an imported map), or of the pieces in cells (a map read
// from a document, or one cut for saving).
template <class Shape>
std::pair<std::uint64_t, std::uint64_t> count_shapes(const std::vector<Shape>& shapes) {
    std::uint64_t parts = 0, points = 0;
    for (const Shape& s : shapes) parts += s.m_nParts, points += s.m_nPoints;
    return {parts, points};
}

std::pair<std::uint64_t, std::uint64_t> count_pieces(const std::vector<model::CSFFragment>& cells) {
    std::uint64_t pieces = 0, points = 0;
    for (const model::CSFFragment& cell : cells)
        for (const auto& shape : cell.m_aShapes) {
            ++pieces;
            const auto* line = dynamic_cast<const model::CSFLine*>(shape.get());
            points += line ? line->m_nPoints : 1;
        }
    return {pieces, points};
}

void describe_point_layer(const model::CSFLayerPoint& layer, value::object& out) {
    out.emplace_back("icon", layer.m_nIcon);
    out.emplace_back("points", layer.m_pShapes.size());
    out.emplace_back("cell_points", count_pieces(layer.m_pCells).first);
    value::array fields;
    value label;
    for (std::size_t i = 0; i < layer.m_aFieldNames.size(); ++i) {
        const bool shown = i < layer.m_aFieldShown.size() && layer.m_aFieldShown[i];
        const bool labelled = i < layer.m_aFieldLabel.size() && layer.m_aFieldLabel[i];
        const std::string name = utf8_of_system_text(layer.m_aFieldNames[i]);
        fields.emplace_back(value::object{{"name", name},
                                          {"kind", i < layer.m_aFieldKinds.size() ? layer.m_aFieldKinds[i] : 0u},
                                          {"stored", shown}});
        if (labelled && label.data().index() == 0) label = name;
    }
    out.emplace_back("attributes", layer.m_bAttributes != 0);
    out.emplace_back("fields", std::move(fields));
    out.emplace_back("label_field", std::move(label));
}

void describe_lines(const model::CSFLayerLine& layer, value::object& out) {
    const auto polygon = dynamic_cast<const model::CSFLayerPolygon*>(&layer);
    const auto [parts, points] = polygon ? count_shapes(polygon->m_pPolygons) : count_shapes(layer.m_pShapes);
    out.emplace_back("parts", parts);
    out.emplace_back("points", points);
    const auto [pieces, piece_points] = count_pieces(layer.m_pLineCells);
    if (polygon) {
        const auto [fills, fill_points] = count_pieces(polygon->m_pPolygonCells);
        out.emplace_back("pieces", fills);
        out.emplace_back("piece_points", fill_points);
        out.emplace_back("outline_pieces", pieces);
        out.emplace_back("outline_points", piece_points);
    } else {
        out.emplace_back("pieces", pieces);
        out.emplace_back("piece_points", piece_points);
    }
}

value transform_value(const georef::CTrRSS& tr) {
    value::array direct, inverse;
    for (double f : tr.GetDirect()) direct.emplace_back(f);
    for (double g : tr.GetInverse()) inverse.emplace_back(g);
    return value::object{{"valid", tr.IsValid()}, {"direct", std::move(direct)}, {"inverse", std::move(inverse)}};
}

// The raster layer: its picture (the frames decoded into one) and the frames it is stored
// in, which the picture's size decides; its own copy of the snap transformation.
void describe_raster(const model::CSFLayerRRE& layer, value::object& out) {
    const platform::CSize size = layer.get_picture_size();
    const model::frame_grid grid = model::frame_grid::for_picture(size.cx, size.cy);
    out.emplace_back("picture", value::array{size.cx, size.cy});
    out.emplace_back("frames", value::object{{"frame", value::array{grid.frame_width, grid.frame_height}},
                                             {"columns", grid.columns},
                                             {"rows", grid.rows},
                                             {"count", grid.frame_count()},
                                             {"layer", value::array{grid.covered_width(), grid.covered_height()}}});
    out.emplace_back("footholds", layer.GetFootHolds().GetCount());
    out.emplace_back("snap_copy", transform_value(layer.m_trSnap));
}

value describe_layer(const model::CSFLayer& layer) {
    value::object out{{"index", layer.m_nIndex},
                      {"kind", kind_name(layer.m_nKind)},
                      {"tag", layer.m_nKind},
                      {"name", layer_name(layer)},
                      {"visible", layer.IsVisible()}};
    if (const auto* icons = dynamic_cast<const model::CSFLayerIcons*>(&layer)) {
        value::array list;
        for (const auto& icon : icons->m_aIcons)
            list.emplace_back(value::object{
                {"number", icon->m_nNumber}, {"width", icon->get_width()}, {"height", icon->get_height()}});
        out.emplace_back("icons", std::move(list));
        return out;
    }
    out.emplace_back("bounds", box_value(layer.m_rcBounds));
    if (const auto* raster = dynamic_cast<const model::CSFLayerRRE*>(&layer)) {
        describe_raster(*raster, out);
        return out;
    }
    out.emplace_back("contour", colour_text(layer.m_crContour));
    out.emplace_back("fill", colour_text(layer.m_crFill));
    out.emplace_back("shapes", layer.m_nShapes);
    out.emplace_back("grid", value::array{layer.m_nGridCols, layer.m_nGridRows});
    out.emplace_back("grid_shapes", layer.m_nGridShapes);
    if (const auto* points = dynamic_cast<const model::CSFLayerPoint*>(&layer)) describe_point_layer(*points, out);
    if (const auto* lines = dynamic_cast<const model::CSFLayerLine*>(&layer)) describe_lines(*lines, out);
    return out;
}

// The record count as the document's header gives it: a version 3 polygon layer counts twice.
std::uint32_t header_record_count(const std::string& path) {
    std::uint32_t records = 0;
    try {
        platform::CFile file;
        platform::CFileException error;
        if (!file.Open(path, platform::CFile::modeRead | platform::CFile::shareDenyNone, &error))
            throw cannot("open", path, cause_of(error));
        if (file.Seek(7, platform::CFile::begin) != 7 || !platform::file_io::read_u32(file, records))
            throw cannot("read", path, "the header ends early");
    } catch (const platform::CException& e) {
        throw cannot("read", path, cause_of(e));
    }
    return records;
}

}  // namespace

void describe_map_file(const std::string& path, const arguments&, report_writer& out) {
    model::CSFMap map;
    load_map(map, path, nullptr);
    if (platform::lower_extension(path) == ".kxr") {
        const std::uint32_t records = header_record_count(path);
        out.member("format", "kxr");
        out.member("version", map.GetVersion());
        out.member("records", records);
    } else {
        out.member("format", "ktf");
    }
    out.member("bounds", box_value(map.get_bounds()));
    out.member("snap_transform", transform_value(*map.get_snap_transform()));
    out.begin_array("layers");
    for (std::uint32_t i = 0; i < map.GetLayerCount(); ++i) out.item(describe_layer(*map.GetLayer(i)));
    out.end_array();
}

}  // namespace cli
