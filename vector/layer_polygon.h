#pragma once

#include <cstdint>
#include <vector>

#include "shapes/sf_polygon.h"
#include "vector/layer_line.h"

namespace model {

// The records of a Polygon shapefile, or the objects of a text export layer, each held
// twice: as a polygon filled with the fill colour and as a line stroked as its outline.
// Fills are drawn before outlines, each polygon as one path of all its rings under the
// alternate rule, so holes stay open. Before the map is saved, the outlines are cut as lines
// are and each polygon is cut into the cells it meets, an area with holes one piece.
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
    // Cuts the outlines, then every polygon into the cells; regrid_failed when the polygon
    // grid cannot be made. A failed outline pass does not stop the polygons; its result is
    // kept in outline_result().
    regrid_result Regrid(std::uint32_t columns, std::uint32_t rows) override;
    // What the outline pass of the last Regrid answered: with regrid_failed the outlines in
    // the cells are incomplete.
    regrid_result outline_result() const { return m_nOutlineResult; }
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

    regrid_result m_nOutlineResult = regrid_done;
};

}  // namespace model
