#pragma once

#include <cstdint>
#include <vector>

#include "shapes/sf_polygon.h"
#include "vector/layer_line.h"

namespace model {

// The records of a Polygon shapefile, or the objects of a text export layer, each held
// twice: as a polygon filled with the fill colour and as a line stroked as its outline.
// Fills are drawn before outlines. Before the map is saved, the outlines are cut as lines
// are and every ring is clipped against the cells it meets.
class CSFLayerPolygon : public CSFLayerLine {
public:
    explicit CSFLayerPolygon(CSFMap* map = nullptr);

    read_shapes_result ReadShapes(platform::CFile& file) override;
    // The base fields, the polygon pieces, then the outline pieces (in a version 3 document
    // a whole line layer record of its own).
    read_result ReadDocument(platform::CFile& file) override;
    void WriteDocument(platform::CFile& file) override;
    void DrawShapes(platform::CDC* dc) override;
    void DrawCells(platform::CDC* dc) override;
    // The polygon at index; none beyond the polygons the layer holds.
    CSFShape* GetShape(std::uint32_t index) override;
    int CountRecords(platform::CFile& file) override;
    // Cuts the outlines, then clips every ring of every polygon against the cells;
    // regrid_failed when the polygon grid cannot be made. The outline pass's result is not
    // looked at.
    regrid_result Regrid(std::uint32_t columns, std::uint32_t rows) override;
    regrid_result AllocateGrid(std::uint32_t columns, std::uint32_t rows) override;

    // Takes over the objects of a text export layer, one polygon each; the outlines are left
    // as they are.
    void SetFromKTFLayer(const ktf_layer_source& layer) override;

    std::uint32_t m_nPolygonPieces = 0;
    std::uint32_t m_nPolygonParts = 0;
    std::uint32_t m_nPolygonPoints = 0;
    std::vector<CSFPolygon> m_pPolygons;
    std::vector<CSFFragment> m_pPolygonCells;

private:
    void fill_polygons(platform::CDC* dc, bool by_cells);
};

}  // namespace model
