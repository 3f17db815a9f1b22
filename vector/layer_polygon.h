#pragma once

#include <cstdint>
#include <vector>

#include "vector/layer_line.h"
#include "vector/sf_polygon.h"

// The records of a Polygon shapefile, each held twice: as a polygon filled with the fill
// colour and as a line stroked as its outline. Fills are drawn before outlines.
class CSFLayerPolygon : public CSFLayerLine {
public:
    explicit CSFLayerPolygon(CSFMap* map = nullptr);

    int ReadShapes(platform::CFile& file) override;
    void DrawShapes(platform::CDC* dc) override;
    void DrawCells(platform::CDC* dc) override;
    CSFShape* GetShape(std::uint32_t index) override;
    int CountRecords(platform::CFile& file) override;

    std::uint32_t m_nPolygonPieces = 0;
    std::uint32_t m_nPolygonParts = 0;
    std::uint32_t m_nPolygonPoints = 0;
    std::vector<CSFPolygon> m_pPolygons;
    std::vector<CSFFragment> m_pPolygonCells;

private:
    void FillPolygons(platform::CDC* dc, bool by_cells);
};
