// A text export (.ktf) loaded as a map: every export layer becomes up to four map layers,
// one per kind of object it holds.

#include <new>

#include "formats/ktf_file.h"
#include "georef/transform.h"
#include "map/ktf_source.h"
#include "map/layer_registry.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"

namespace model {

namespace {

// An object of the export as the layers take their points from it.
class ktf_object_points : public point_source {
public:
    explicit ktf_object_points(const formats::CKTFObject& object) : m_object(object) {}
    int GetPointCount() const override { return m_object.GetPointCount(); }
    int GetPoint(int index, double& x, double& y) const override {
        double z = 0.0;
        return m_object.GetPoint(index, x, y, z);
    }

private:
    const formats::CKTFObject& m_object;
};

// The objects of one kind of an export layer, in file order.
class ktf_selection : public ktf_layer_source {
public:
    explicit ktf_selection(const formats::CKTFLayer& layer) {
        m_objects.reserve(layer.objects.size());
        for (const formats::CKTFObject& object : layer.objects) m_objects.emplace_back(object);
    }
    int get_object_count() const override { return static_cast<int>(m_objects.size()); }
    const point_source& get_object(int index) const override { return m_objects[static_cast<std::size_t>(index)]; }

private:
    std::vector<ktf_object_points> m_objects;
};

struct kind_of_objects {
    std::int16_t type;
    std::uint32_t layer_kind;
};

// The order in which an export layer's objects become map layers: polygons, lines, labels,
// then symbols (labels and symbols each a point layer of their own).
constexpr kind_of_objects kLayerOrder[] = {
    {formats::CKTFObject::typePolygon, kLayerPolygon},
    {formats::CKTFObject::typeLine, kLayerLine},
    {formats::CKTFObject::typeLabel, kLayerPoint},
    {formats::CKTFObject::typeSymbol, kLayerPoint},
};

}  // namespace

load_result CSFMap::LoadKTF(const std::string& path) {
    try {
        const formats::CKTFFile file(path);
        if (file.status != formats::CKTF::statusParsed) return file_unreadable;
        for (const formats::CKTFLayer& exported : file.group.layers) {
            for (const kind_of_objects& kind : kLayerOrder) {
                const formats::CKTFLayer selected = exported.Select(kind.type);
                if (selected.objects.empty()) continue;
                std::unique_ptr<CSFLayer> made = create_layer(kind.layer_kind, this);
                if (!made) return file_unreadable;
                CSFLayer& layer = *made;
                layer.m_pTransform = m_pTransform.get();
                AddLayer(std::move(made));
                layer.SetFromKTFLayer(ktf_selection(selected));
            }
        }
    } catch (const std::bad_alloc&) {
        return file_unreadable;
    }
    RecomputeBounds();
    m_pTransform->SetCentre((m_rcBounds.minX + m_rcBounds.maxX) / 2, (m_rcBounds.minY + m_rcBounds.maxY) / 2,
                            m_pTransform->GetRotation());
    m_pTransform->Update();
    return map_loaded;
}

}  // namespace model
