#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/device_context.h"
#include "platform/geometry.h"
#include "map/results.h"
#include "platform/object.h"
#include "shapes/sf_fragment.h"
#include "shapes/sf_geometry.h"
#include "shapes/read_result.h"
#include "shapes/sf_main_header.h"

namespace platform {
class CFile;
}
namespace georef {
class CTr;
class CTransform;
class CTrRSS;
}  // namespace georef

namespace model {

class CHintAtr;
class CPicture;
class CProgressIndicator;
class CSFMap;
class CSFShape;
class ktf_layer_source;

// Kind tags of the layers: the ESRI shape types for shapefile layers, then the system's own.
enum : std::uint32_t {
    kLayerPoint = 1,
    kLayerLine = 3,
    kLayerPolygon = 5,
    kLayerIcons = 1000,
    kLayerImage = 2000,
    kLayerRRE = 2003,
};

inline constexpr platform::COLORREF kDefaultContour = 0x00800000;
inline constexpr platform::COLORREF kDefaultFill = 0x008CB4D2;

// What every layer of a map shares, and the operations through which the map, the map
// document, the view and the layers panel use a layer without knowing its kind.
class CSFLayer : public platform::CObject {
public:
    explicit CSFLayer(std::uint32_t kind, CSFMap* map = nullptr);
    ~CSFLayer() override;
    CSFLayer(const CSFLayer&) = delete;
    CSFLayer& operator=(const CSFLayer&) = delete;

    // The table of the layer's attributes; read_failed when it cannot be read.
    virtual read_result OpenAttributes(const std::string& path);
    virtual read_result ReadAttributes(platform::CFile& file);
    virtual void WriteAttributes(platform::CFile& file);
    // The view's hover timer: a value not used, the mouse point, whether to search the cells.
    virtual int ShowHint(platform::CPoint unused, platform::CPoint mouse, int cells);
    virtual int ImportRaster(const std::string& name, const std::string& path);
    // The records of an open shapefile into the shapes.
    virtual read_shapes_result ReadShapes(platform::CFile& file);
    // The layer's document record after its tag.
    virtual read_result ReadDocument(platform::CFile& file);
    // The layer's whole document record, tag included, or nothing when the kind stores
    // nothing in its present state. A record that cannot be written whole raises a platform
    // exception (CFileException, CArchiveException): the map then gives the save up and the
    // old document stays as it was.
    virtual void WriteDocument(platform::CFile& file);
    virtual void DrawShapes(platform::CDC* dc);
    virtual void DrawCells(platform::CDC* dc);
    virtual CSFShape* GetShape(std::uint32_t index);
    virtual int CountRecords(platform::CFile& file);
    virtual regrid_result Regrid(std::uint32_t columns, std::uint32_t rows);
    virtual void BuildCells(std::uint32_t columns, std::uint32_t rows, std::vector<CSFFragment>& cells);
    virtual regrid_result AllocateGrid(std::uint32_t columns, std::uint32_t rows);
    virtual read_result ReadLinePayload(platform::CFile& file);
    virtual void WriteLinePayload(platform::CFile& file);
    virtual regrid_result FillGrid(std::uint32_t columns, std::uint32_t rows);
    // Beyond the operations above, for the map: the icon picture of that number, which only
    // the icon layer holds; none from every other kind.
    virtual CPicture* GetIcon(std::uint32_t number) const;
    // The icon layer's document record after its tag, its pictures made on the device
    // context; read_failed from every other kind, which has no such record.
    virtual read_result ReadIcons(platform::CFile& file, platform::CDC* dc);
    // Takes over the objects of one layer of a text export (the point, line and polygon
    // kinds); other kinds take nothing.
    virtual void SetFromKTFLayer(const ktf_layer_source& layer);
    // For the map, which must know whether a raster layer has been snapped: the layer's own
    // copy of the snap transformation; none from the kinds that keep none.
    virtual const georef::CTrRSS* get_snap_copy() const;

    // The first cell, in cell order, of the grid BuildCells made that holds the point
    // (inside it or on its boundary within 1e-5); -1 when none does.
    int find_cell(const CSFPt& point) const;

    bool IsVisible() const { return m_bVisible != 0; }
    void SetVisible(bool visible) { m_bVisible = visible ? 1 : 0; }
    bool IsFilled() const { return m_bFilled != 0; }
    std::uint32_t get_cell_count() const { return m_nGridCols * m_nGridRows; }

    // Members are open to the map, the document and the panel, as the layer's plain data.
    std::uint8_t m_bVisible = 1;
    CSFMainHeader m_header;
    std::uint32_t m_nIndex = 0;
    CSFRect m_rcBounds;
    georef::CTr* m_pTransform = nullptr;
    std::uint32_t m_nKind;
    std::unique_ptr<CProgressIndicator> m_pProgress;
    CSFMap* m_pMap;
    std::vector<CSFFragment> m_pCells;
    std::uint32_t m_bFilled = 0;
    platform::COLORREF m_crContour = kDefaultContour;
    platform::COLORREF m_crFill = kDefaultFill;
    std::string m_strName;  // in the system's 8-bit code page
    std::string m_strPath;
    std::uint32_t m_nShapes = 0;
    std::uint32_t m_nGridCols = 0;
    std::uint32_t m_nGridRows = 0;
    std::uint32_t m_nCellCount = 0;
    std::uint32_t m_nGridShapes = 0;

    // The attribute table as point layers keep it; other kinds leave it empty.
    CHintAtr* m_pHint = nullptr;
    std::int32_t m_bAttributes = 0;
    std::vector<std::uint32_t> m_aFieldKinds;
    std::vector<std::uint8_t> m_aFieldShown;
    std::vector<std::uint8_t> m_aFieldLabel;
    std::vector<std::string> m_aFieldNames;

protected:
    // The view projection, when the layer draws through one.
    georef::CTransform* display_transform() const;
    void set_grid(std::uint32_t columns, std::uint32_t rows);
    // Names the layer after the shapefile and seeks to its first record.
    void start_records(platform::CFile& file);
    // One record into the shape, widening the bounds.
    read_shapes_result read_record(platform::CFile& file, CSFShape& shape);
    // The base record's fields after the tag.
    read_result read_base_fields(platform::CFile& file);
    void write_base_fields(platform::CFile& file);
};

}  // namespace model
