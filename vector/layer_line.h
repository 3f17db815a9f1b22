#pragma once

#include <cstdint>
#include <vector>

#include "map/sf_layer.h"
#include "vector/sf_line.h"

// The records of a PolyLine shapefile, drawn with one solid pen.
class CSFLayerLine : public CSFLayer {
public:
    explicit CSFLayerLine(CSFMap* map = nullptr);

    void DrawShapes(platform::CDC* dc) override;
    void DrawCells(platform::CDC* dc) override;
    CSFShape* GetShape(std::uint32_t index) override;
    int CountRecords(platform::CFile& file) override;

    std::vector<CSFLine> m_pShapes;
    std::vector<CSFFragment> m_pLineCells;
    std::uint32_t m_nPieceParts = 0;
    std::uint32_t m_nPiecePoints = 0;

protected:
    CSFLayerLine(std::uint32_t kind, CSFMap* map);
    void StrokeLines(platform::CDC* dc, bool by_cells);
};
