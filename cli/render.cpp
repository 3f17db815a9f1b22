// render: builds a map from shapefiles as Add Layers would, fits it to the picture and draws
// it through the off-screen painter into a PNG.

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>

#include "cli/command.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "nimbra/paint/w32_paint.h"
#include "platform/code_page.h"
#include "platform/image_dc.h"
#include "platform/path.h"
#include "vector/icon_folder.h"
#include "vector/layer_point.h"

namespace cli {
namespace {

constexpr int kMaxSide = 16384;

std::pair<int, int> parse_size(const std::string& text) {
    int width = 0, height = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &extra) != 2 || width <= 0 || height <= 0 ||
        width > kMaxSide || height > kMaxSide)
        throw usage_error("--size takes WIDTHxHEIGHT, each 1.." + std::to_string(kMaxSide) + ", not '" + text + "'");
    return {width, height};
}

std::string program_folder() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.parent_path().string();
}

std::string why_not_added(unsigned result, const std::string& path) {
    switch (result) {
        case 2: return "cannot open " + path;
        case 3: return path + " is not a shapefile (its main header is not valid)";
        case 6: return "You can't add this file.";
        default: return "cannot add " + path + " to the map";
    }
}

}  // namespace

int run_render(const std::vector<std::string>& raw) {
    arguments args(raw, {{"-o", true}, {"--size", true}, {"--icons", true}, {"--label", true}});
    if (args.positional().empty()) throw usage_error("render needs at least one INPUT");
    const std::string out = args.get("-o");
    if (out.empty()) throw usage_error("render needs -o OUT.png");
    const auto [width, height] = parse_size(args.get("--size", "1024x768"));
    const std::string icons = args.has("--icons") ? args.get("--icons") : IconFolder(program_folder());

    CSFMap map;
    platform::CImageDC target(width, height);
    for (const std::string& input : args.positional()) {
        CSFLayer* added = nullptr;
        if (const unsigned result = map.AddLayerFromFile(input, &added); result != 0)
            throw input_error(why_not_added(result, input));
        AddIconLayerFor(map, added, icons, &target);
    }
    if (args.has("--label")) {
        const std::string field = platform::utf8_to_system_code_page(args.get("--label"));
        bool found = false;
        for (std::uint32_t i = 0; i < map.GetLayerCount(); ++i)
            if (auto* points = dynamic_cast<CSFLayerPoint*>(map.GetLayer(i))) found |= points->SetLabelField(field);
        if (!found) throw usage_error("no point layer has a field '" + args.get("--label") + "'");
    }

    map.SetViewport(width, height);
    map.ZoomToExtent();
    {
        tarvel_tech::nimbra::w32_paint painter(&target, nullptr, tarvel_tech::nimbra::paint::fill_background);
        map.DrawLayers(&painter);
    }
    if (!target.SavePng(out)) throw input_error("cannot write " + out);
    return exit_ok;
}

}  // namespace cli
