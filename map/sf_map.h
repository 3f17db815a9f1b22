#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "map/results.h"
#include "shapes/read_result.h"
#include "platform/geometry.h"
#include "shapes/sf_geometry.h"

namespace platform {
class CDC;
class CFile;
}  // namespace platform
namespace georef {
class CTransform;
class CTrRSS;
}  // namespace georef

namespace model {

class CPicture;
class CSFLayer;

// The in-memory map: its layers in drawing order (index 0 drawn first), the view projection,
// the raster snap transform, the positions of the icon, raster and selected layers and the
// union of the layers' bounds. The map owns its layers and both transforms.
class CSFMap {
public:
    CSFMap();
    CSFMap(const CSFMap&) = delete;
    CSFMap& operator=(const CSFMap&) = delete;
    virtual ~CSFMap();

    // A layer of the right kind from a .shp, .jpg, .jpeg or .bmp file.
    add_layer_result AddLayerFromFile(const std::string& path, CSFLayer** layer);
    // Appends the layer (the map takes it) and answers its index.
    std::uint32_t AddLayer(std::unique_ptr<CSFLayer> layer);
    remove_layer_result RemoveLayer(std::uint32_t index);
    void MoveLayer(std::uint32_t from, std::uint32_t to);
    CSFLayer* GetLayer(std::uint32_t index) const;
    std::uint32_t GetLayerCount() const { return m_nLayerCount; }
    CSFLayer* GetRasterLayer() const;
    CPicture* GetIcon(std::int32_t number) const;
    // The next layer from position on that is neither the icon nor an RRE layer.
    CSFLayer* NextVectorLayer(std::int32_t& position) const;
    void RecomputeBounds();
    void SetSelectedLayer(std::int32_t index) { m_nSelectedLayer = index; }
    std::int32_t GetSelectedLayer() const { return m_nSelectedLayer; }
    int ShowHintAt(platform::CPoint screen, platform::CPoint mouse, int cells);
    void DrawLayers(platform::CDC* dc);
    void DrawLayersGrid(platform::CDC* dc);
    void RegridLayers(std::uint32_t columns, std::uint32_t rows);
    void SetViewport(int width, int height);
    void ZoomToExtent();
    void ZoomIn();
    void ZoomOut();
    void Rotate(double radians);
    // Longitude and latitude of a window point.
    CSFPt ScreenToGeo(platform::CPoint point) const;
    // Writes the map document: the header, then the record of every visible layer in index
    // order. The document takes the place of the old file only once it is complete and on
    // disk; on any failure the old file stays as it was, and cause (when given) says why.
    save_result Save(const std::string& path, std::string* cause = nullptr);
    // A map document (.kxr) or a text export (.ktf), by the name's extension in any case. The
    // icon layer's pictures are made on the device context.
    load_result Load(const std::string& path, platform::CDC* dc);
    load_result LoadDocument(const std::string& path, platform::CDC* dc);
    // Every layer of the text export becomes up to four map layers, one per object kind.
    load_result LoadKTF(const std::string& path);
    std::uint32_t GetVersion() const { return m_nVersion; }
    const CSFRect& get_bounds() const { return m_rcBounds; }
    georef::CTransform* get_transform() const { return m_pTransform.get(); }
    georef::CTrRSS* get_snap_transform() const { return m_pSnapTransform.get(); }

    std::uint32_t m_nVersion = 0;
    std::vector<std::unique_ptr<CSFLayer>> m_aLayers;
    std::unique_ptr<georef::CTransform> m_pTransform;
    std::unique_ptr<georef::CTrRSS> m_pSnapTransform;
    std::int32_t m_nIconsLayer = -1;
    std::int32_t m_nRasterLayer = -1;
    std::int32_t m_nSelectedLayer = -1;
    std::uint32_t m_nLayerCount = 0;
    CSFRect m_rcBounds;

private:
    add_layer_result add_shapefile(const std::string& path, std::unique_ptr<CSFLayer>& layer);
    void renumber();
    // One layer record of a document after its tag; the layer joins the map before reading.
    read_result read_record(platform::CFile& file, std::uint32_t tag, platform::CDC* dc);
};

}  // namespace model
