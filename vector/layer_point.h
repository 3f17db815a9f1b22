#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "map/sf_layer.h"
#include "shapes/sf_point.h"

namespace model {

// The records of a Point shapefile, or the objects of a text export layer, drawn as small
// circles or as an icon, with labels and hover hints from the layer's attribute table.
class CSFLayerPoint : public CSFLayer {
public:
    // The name a layer taken over from a text export gets.
    static constexpr const char* kKTFLayerName = "KTF layer";
    // Bytes of one stored attribute name in the map document.
    static constexpr std::size_t kFieldNameSize = 20;

    explicit CSFLayerPoint(CSFMap* map = nullptr);

    // read_failed when the table cannot be opened or has no fields.
    read_result OpenAttributes(const std::string& path) override;
    // The attribute block of the map document.
    read_result ReadAttributes(platform::CFile& file) override;
    void WriteAttributes(platform::CFile& file) override;
    int ShowHint(platform::CPoint unused, platform::CPoint mouse, int cells) override;
    read_result ReadDocument(platform::CFile& file) override;
    void WriteDocument(platform::CFile& file) override;
    void DrawShapes(platform::CDC* dc) override;
    void DrawCells(platform::CDC* dc) override;
    // No bound check: callers stay below the shape count.
    CSFShape* GetShape(std::uint32_t index) override;
    int CountRecords(platform::CFile& file) override;
    // regrid_failed when a point lies in no cell (after a message naming the layer).
    regrid_result Regrid(std::uint32_t columns, std::uint32_t rows) override;

    // Takes over the objects of a text export layer, one point each (its first).
    void SetFromKTFLayer(const ktf_layer_source& layer) override;

    // The attribute kind a field of the table's kind is kept as.
    static std::uint32_t attribute_kind(std::uint32_t table_kind);
    // The hint of one point: a line per shown field.
    std::vector<std::u16string> hint_lines(const CSFShape& shape) const;
    // The first point under the mouse, walking the points or the cells; none when no
    // point is there.
    CSFPoint* hit_point(platform::CPoint mouse, bool cells);
    // Shows and stores the field, and makes it the only one drawn as the points' label.
    // The name is in the system's 8-bit character set, as the layer keeps names. False when
    // the layer has no field of that name (compared without regard to ASCII case).
    bool set_label_field(const std::string& name);

    std::vector<CSFPoint> m_pShapes;
    std::int32_t m_nIcon = 0;

private:
    void draw(platform::CDC* dc, bool by_cells);
    void clear_fields();
    // The position among the stored fields of the first labelled one that is stored; -1.
    std::int32_t stored_label_position() const;
};

}  // namespace model
