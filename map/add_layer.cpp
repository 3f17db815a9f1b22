// Adding a layer to the composed map from a file the operator chose.

#include <algorithm>
#include <cctype>

#include "georef/transform.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "platform/buffered_file.h"
#include "platform/path.h"
#include "platform/ui_service.h"
#include "vector/layer_line.h"
#include "vector/layer_point.h"
#include "vector/layer_polygon.h"
#include "vector/table_fields.h"

namespace {

std::string upper_tail(const std::string& name, std::size_t count) {
    std::string tail = name.size() >= count ? name.substr(name.size() - count) : name;
    for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return tail;
}

std::unique_ptr<CSFLayer> layer_for_shape_type(std::int32_t type) {
    switch (type) {
        case 1: return std::make_unique<CSFLayerPoint>();
        case 3: return std::make_unique<CSFLayerLine>();
        case 5: return std::make_unique<CSFLayerPolygon>();
        default: return nullptr;
    }
}

}  // namespace

unsigned CSFMap::AddLayerFromFile(const std::string& path, CSFLayer** added) {
    const std::string name = platform::file_name_part(path);
    const std::string kind = upper_tail(name, 3);
    std::unique_ptr<CSFLayer> layer;
    if (kind == "JPG" || kind == "BMP" || upper_tail(name, 4) == "JPEG") {
        CSFLayer* raster = m_nLayerCount ? GetRasterLayer() : nullptr;
        if (raster && raster->m_nKind != kLayerRRE) return 6;
        // Pictures become the map's raster layer once that layer kind is part of the model.
        return 1;
    }
    if (kind != "SHP") return 1;
    if (const unsigned result = AddShapefile(path, layer); result != 0) return result;

    CSFLayer* raw = layer.get();
    AddLayer(std::move(layer));
    if (added) *added = raw;
    RecomputeBounds();
    return 0;
}

unsigned CSFMap::AddShapefile(const std::string& path, std::unique_ptr<CSFLayer>& layer) {
    platform::CBufferedFile file;
    if (!file.Open(path, platform::CFile::modeRead | platform::CFile::shareDenyNone)) return 2;
    CSFMainHeader header;
    if (header.Read(file) != 0) return 3;
    layer = layer_for_shape_type(header.m_nShapeType);
    if (!layer) {
        platform::AfxMessageBox("Unsupported type");
        return 1;
    }
    layer->CountRecords(file);
    layer->m_header = header;
    layer->m_rcBounds = {header.m_dXmin, header.m_dYmin, header.m_dXmax, header.m_dYmax};
    if (layer->ReadShapes(file) != 0) {
        platform::AfxMessageBox("Data error.", platform::MB_ICONSTOP);
        layer.reset();
        return 1;
    }
    file.Close();
    layer->m_pTransform = m_pTransform.get();

    const std::string table = TablePath(path);
    if (layer->OpenAttributes(table) != 0)
        platform::AfxMessageBox("Couldn't connect to " + table + ".", platform::MB_ICONINFORMATION);
    return 0;
}
