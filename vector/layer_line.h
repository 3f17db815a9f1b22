#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "map/sf_layer.h"
#include "shapes/sf_line.h"

namespace model {

// The records of a PolyLine shapefile, or the objects of a text export layer, drawn with
// one solid pen. Before the map is saved, the lines are cut along the cells of a grid and
// each cell keeps the pieces that lie inside it; the map document holds only the pieces.
class CSFLayerLine : public CSFLayer {
public:
    // The name a layer taken over from a text export gets.
    static constexpr const char* kKTFLayerName = "KTF layer";

    explicit CSFLayerLine(CSFMap* map = nullptr);

    // The base fields, then the pieces.
    read_result ReadDocument(platform::CFile& file) override;
    void WriteDocument(platform::CFile& file) override;
    void DrawShapes(platform::CDC* dc) override;
    void DrawCells(platform::CDC* dc) override;
    // The line at index; none beyond the lines the layer holds.
    CSFShape* GetShape(std::uint32_t index) override;
    int CountRecords(platform::CFile& file) override;
    // Cuts every line into the cells of a new grid; regrid_failed when the grid cannot be made
    // or a line begins outside it (after a message naming the layer; the pieces cut so far
    // stay).
    regrid_result Regrid(std::uint32_t columns, std::uint32_t rows) override;
    // A new, empty grid of line cells; regrid_failed when no such grid can be made.
    regrid_result AllocateGrid(std::uint32_t columns, std::uint32_t rows) override;
    // The piece counts and the cells with their pieces.
    read_result ReadLinePayload(platform::CFile& file) override;
    void WriteLinePayload(platform::CFile& file) override;
    // Rebuilds the kind's grid without cutting anything into it.
    regrid_result FillGrid(std::uint32_t columns, std::uint32_t rows) override;

    // Takes over the objects of a text export layer, one line each.
    void SetFromKTFLayer(const ktf_layer_source& layer) override;

    std::vector<CSFLine> m_pShapes;
    std::vector<CSFFragment> m_pLineCells;
    std::uint32_t m_nPieceParts = 0;
    std::uint32_t m_nPiecePoints = 0;

protected:
    CSFLayerLine(std::uint32_t kind, CSFMap* map);
    void stroke_lines(platform::CDC* dc, bool by_cells);
    // Builds a grid of cells into the array; regrid_failed when no such grid can be made.
    regrid_result make_grid(std::uint32_t columns, std::uint32_t rows, std::vector<CSFFragment>& cells);
    using piece_factory = std::unique_ptr<CSFShape> (*)();
    // The two piece counts (into parts and points) and a grid of the announced size, each
    // cell followed by its shapes, made by the factory.
    read_result read_cells(platform::CFile& file, std::vector<CSFFragment>& cells, piece_factory make,
                           std::uint32_t& parts, std::uint32_t& points);
    // The two piece counts, then as many cells as the base fields announce (empty ones
    // where the array holds fewer).
    void write_cells(platform::CFile& file, std::uint32_t parts, std::uint32_t points,
                     const std::vector<CSFFragment>& cells) const;
    // Replaces the shapes by one per object of a text export layer, each with its object's
    // points, and takes the box of all those points as the layer's and its header's.
    template <class Shape>
    void take_objects(std::vector<Shape>& shapes, const ktf_layer_source& layer, std::int32_t shape_type);
    // The progress window of one cutting pass over count shapes, closed and deleted when
    // the pass ends, early or not.
    class progress_scope {
    public:
        explicit progress_scope(CSFLayerLine& layer) : m_layer(layer) {}
        progress_scope(const progress_scope&) = delete;
        progress_scope& operator=(const progress_scope&) = delete;
        ~progress_scope();

    private:
        CSFLayerLine& m_layer;
    };
    [[nodiscard]] progress_scope open_progress(std::size_t count);
    // Moves the bar to the shape about to be cut.
    void show_progress(std::size_t index);
};

}  // namespace model
