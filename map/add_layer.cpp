// Adding a layer to the composed map from a file the operator chose.

#include <algorithm>
#include <cctype>
#include <string>

#include "georef/transform.h"
#include "georef/tr_rss.h"
#include "map/layer_registry.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "platform/buffered_file.h"
#include "platform/path.h"
#include "platform/ui_service.h"
#include "shapes/table_path.h"

namespace model {

namespace {

std::string upper_tail(const std::string& name, std::size_t count) {
    std::string tail = name.size() >= count ? name.substr(name.size() - count) : name;
    for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return tail;
}

// The shapefile layers carry their file's shape type as their kind tag; no other kind is
// made from a shapefile, whatever its header says.
std::unique_ptr<CSFLayer> layer_for_shape_type(std::int32_t type) {
    switch (type) {
        case kLayerPoint:
        case kLayerLine:
        case kLayerPolygon: return create_layer(static_cast<std::uint32_t>(type));
        default: return nullptr;
    }
}

}  // namespace

add_layer_result CSFMap::AddLayerFromFile(const std::string& path, CSFLayer** added) {
    const std::string name = platform::file_name_part(path);
    const std::string kind = upper_tail(name, 3);
    std::unique_ptr<CSFLayer> layer;
    if (kind == "JPG" || kind == "BMP" || upper_tail(name, 4) == "JPEG") {
        if (const CSFLayer* raster = m_nLayerCount ? GetRasterLayer() : nullptr) {
            if (raster->m_nKind != kLayerRRE) return raster_not_rre;
            // Pictures share the map's one snap transformation: the earlier one must have a
            // copy of its own fit before another picture comes.
            const georef::CTrRSS* snapped = raster->get_snap_copy();
            if (!snapped || !snapped->IsValid()) {
                platform::AfxMessageBox("You must snap the previous layer.", platform::MB_ICONINFORMATION);
                return layer_refused;
            }
        }
        // A picture becomes whatever is registered as the RRE kind; nothing before that.
        layer = create_layer(kLayerRRE);
        if (!layer) return layer_refused;
        layer->m_pTransform = m_pSnapTransform.get();
        if (layer->ImportRaster(name, path) != 0) return layer_refused;
    } else if (kind == "SHP") {
        if (const add_layer_result result = add_shapefile(path, layer); result != layer_added) return result;
    } else {
        return layer_refused;
    }

    CSFLayer* raw = layer.get();
    AddLayer(std::move(layer));
    if (added) *added = raw;
    RecomputeBounds();
    return layer_added;
}

add_layer_result CSFMap::add_shapefile(const std::string& path, std::unique_ptr<CSFLayer>& layer) {
    platform::CBufferedFile file;
    if (!file.Open(path, platform::CFile::modeRead | platform::CFile::shareDenyNone)) return file_not_opened;
    CSFMainHeader header;
    if (header.Read(file) != read_ok) return header_invalid;
    layer = layer_for_shape_type(header.m_nShapeType);
    if (!layer) {
        // The system's text, then which type it is and which ones are read.
        platform::AfxMessageBox("Unsupported type (shape type " + std::to_string(header.m_nShapeType) + ", " +
                                shape_type_name(header.m_nShapeType) + "; Point, PolyLine and Polygon are read)");
        return layer_refused;
    }
    layer->CountRecords(file);
    layer->m_header = header;
    layer->m_rcBounds = {header.m_dXmin, header.m_dYmin, header.m_dXmax, header.m_dYmax};
    if (layer->ReadShapes(file) != shapes_read) {
        platform::AfxMessageBox("Data error.", platform::MB_ICONSTOP);
        layer.reset();
        return layer_refused;
    }
    file.Close();
    layer->m_pTransform = m_pTransform.get();

    const std::string table = table_path(path);
    if (layer->OpenAttributes(table) != read_ok)
        platform::AfxMessageBox("Couldn't connect to " + table + ".", platform::MB_ICONINFORMATION);
    return layer_added;
}

}  // namespace model
