#pragma once

#include <cstdint>
#include <vector>

#include "map/sf_layer.h"
#include "vector/sf_point.h"

// The records of a Point shapefile, drawn as small circles or as an icon, with labels.
class CSFLayerPoint : public CSFLayer {
public:
    explicit CSFLayerPoint(CSFMap* map = nullptr);

    void DrawShapes(platform::CDC* dc) override;
    void DrawCells(platform::CDC* dc) override;
    // No bound check: callers stay below the shape count.
    CSFShape* GetShape(std::uint32_t index) override;
    int CountRecords(platform::CFile& file) override;

    std::vector<CSFPoint> m_pShapes;
    std::int32_t m_nIcon = 0;

private:
    void Draw(platform::CDC* dc, bool by_cells);
};
