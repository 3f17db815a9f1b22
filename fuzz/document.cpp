// A map document opened as Open does (a text export when the input looks like one), its
// layers drawn, and a document that opens saved again: what is saved must open, and save to
// the same bytes (unless it holds a picture).

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/input_file.h"
#include "fuzz/layer_checks.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "platform/device_context.h"
#include "platform/image_dc.h"
#include "raster/register_layers.h"
#include "vector/register_layers.h"

namespace {

std::vector<char> contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool looks_like_text_export(const std::uint8_t* data, std::size_t size) {
    return (size > 0 && data[0] == '$') || (size > 3 && std::memcmp(data, "\xEF\xBB\xBF$", 4) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::install_quiet_ui();
    model::register_vector_layers();
    model::register_raster_layers();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::input_file document("map.kxr"), text_export("map.ktf"), again("again.kxr"), third("third.kxr");
    // The icons are made on the main window's device context; here, a picture's.
    static platform::CImageDC icons_dc(1, 1);
    const bool text = looks_like_text_export(data, size);
    const std::string& path = (text ? text_export : document).write(data, size);

    model::CSFMap map;
    const model::load_result result = map.Load(path, &icons_dc);
    // The layers read before a failure stay in the map, and are drawn as any others.
    if (map.GetLayerCount() != map.m_aLayers.size()) std::abort();
    for (std::uint32_t i = 0; i < map.GetLayerCount(); ++i) {
        const model::CSFLayer* layer = map.GetLayer(i);
        if (!layer || layer->m_nIndex != i) std::abort();
        fuzz::check_layer(*layer, false);
    }
    map.SetViewport(64, 48);
    map.ZoomToExtent();
    platform::CDC no_device;
    map.DrawLayers(&no_device);
    map.DrawLayersGrid(&no_device);
    if (result != model::map_loaded || text) return 0;

    if (map.Save(again.path()) != model::map_saved) std::abort();
    model::CSFMap reopened;
    if (reopened.Load(again.path(), &icons_dc) != model::map_loaded) std::abort();
    bool raster = false;
    for (std::uint32_t i = 0; i < reopened.GetLayerCount(); ++i) {
        const std::uint32_t kind = reopened.GetLayer(i)->m_nKind;
        raster = raster || kind == model::kLayerRRE || kind == model::kLayerImage;
    }
    if (reopened.Save(third.path()) != model::map_saved) std::abort();
    // A raster layer's frames are encoded afresh from its picture at every save, and its
    // name takes the frame count once more at every reading.
    if (!raster && contents(again.path()) != contents(third.path())) std::abort();
    return 0;
}
