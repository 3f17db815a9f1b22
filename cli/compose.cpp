// compose: a map built from shapefiles, pictures and text exports as Add Layers and Import
// build it, pictures snapped to their footholds, styled as the layers panel styles it, and
// saved as Save saves it.

#include <charconv>

#include "cli/command.h"
#include "cli/footholds.h"
#include "cli/map_files.h"
#include "cli/map_input.h"
#include "cli/raster_input.h"
#include "georef/tr_rss.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "platform/code_page.h"
#include "platform/image_dc.h"
#include "platform/path.h"
#include "platform/ui_service.h"
#include "raster/layer_rre.h"
#include "vector/icon_folder.h"
#include "vector/layer_point.h"

namespace cli {
namespace {

// "NAME=VALUE" of a styling option.
std::pair<std::string, std::string> split_assignment(const std::string& option, const std::string& text,
                                                     const std::string& what) {
    const std::size_t eq = text.rfind('=');
    if (eq == std::string::npos || eq == 0) throw usage_error(option + " " + text + ": expected NAME=" + what);
    return {text.substr(0, eq), text.substr(eq + 1)};
}

// The layers of that name (a name given in UTF-8); usage_error when there is none.
std::vector<model::CSFLayer*> layers_named(model::CSFMap& map, const std::string& option, const std::string& name) {
    const std::string wanted = platform::utf8_to_system_code_page(name);
    std::vector<model::CSFLayer*> found;
    for (std::uint32_t i = 0; i < map.GetLayerCount(); ++i)
        if (map.GetLayer(i)->m_strName == wanted && map.GetLayer(i)->m_nKind != model::kLayerIcons)
            found.push_back(map.GetLayer(i));
    if (found.empty()) throw usage_error(option + ": no layer is named '" + name + "'");
    return found;
}

std::vector<model::CSFLayerPoint*> point_layers_named(model::CSFMap& map, const std::string& option,
                                                      const std::string& name) {
    std::vector<model::CSFLayerPoint*> points;
    for (model::CSFLayer* layer : layers_named(map, option, name))
        if (auto* point = dynamic_cast<model::CSFLayerPoint*>(layer)) points.push_back(point);
    if (points.empty()) throw usage_error(option + ": the layer '" + name + "' is no point layer");
    return points;
}

void style(model::CSFMap& map, const arguments& args) {
    for (const std::string& name : args.all("--hide"))
        for (model::CSFLayer* layer : layers_named(map, "--hide", name)) layer->SetVisible(false);

    for (const std::string& text : args.all("--colours")) {
        const auto [name, colours] = split_assignment("--colours", text, "CONTOUR,FILL");
        const std::size_t comma = colours.find(',');
        const std::string contour = colours.substr(0, comma);
        const std::string fill = comma == std::string::npos ? std::string() : colours.substr(comma + 1);
        platform::COLORREF contour_colour = 0, fill_colour = 0;
        if ((!contour.empty() && !parse_colour(contour, contour_colour)) ||
            (!fill.empty() && !parse_colour(fill, fill_colour)) || (contour.empty() && fill.empty()))
            throw usage_error("--colours " + text + ": expected NAME=#RRGGBB,#RRGGBB (either may be left out)");
        for (model::CSFLayer* layer : layers_named(map, "--colours", name)) {
            if (!contour.empty()) layer->m_crContour = contour_colour;
            if (!fill.empty()) layer->m_crFill = fill_colour;
        }
    }

    for (const std::string& text : args.all("--icon")) {
        const auto [name, number] = split_assignment("--icon", text, "N");
        std::int32_t icon = 0;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), icon);
        if (error != std::errc() || end != number.data() + number.size())
            throw usage_error("--icon " + text + ": expected NAME=N, N a whole number (negative: no icon)");
        for (model::CSFLayerPoint* layer : point_layers_named(map, "--icon", name)) layer->m_nIcon = icon;
    }

    for (const std::string& text : args.all("--label")) {
        const auto [name, field] = split_assignment("--label", text, "FIELD");
        for (model::CSFLayerPoint* layer : point_layers_named(map, "--label", name))
            if (!layer->set_label_field(platform::utf8_to_system_code_page(field)))
                throw usage_error("--label " + text + ": the layer has no field '" + field + "'");
    }
}

}  // namespace

int run_compose(const arguments& args) {
    if (args.positional().empty()) throw usage_error("compose needs at least one INPUT");
    const std::string out = args.get("-o");
    if (out.empty()) throw usage_error("compose needs -o OUT.kxr");
    for (const std::string& input : args.positional())
        if (platform::lower_extension(input) == ".kxr")
            throw usage_error(input + ": a map document is opened, not composed; its layers cannot be added");
    const std::string icons = icon_folder(args);

    const std::vector<formats::control_point> footholds = read_footholds(args);

    model::CSFMap map;
    // The icons are made on the main window's device context; here, a picture's.
    platform::CImageDC dc(1, 1);
    bool pictures = false;
    for (const std::string& input : args.positional()) {
        if (is_map_file(input)) {
            load_map(map, input, &dc);
        } else if (is_picture(input)) {
            // Snapped at once, as the operator must before adding anything else.
            model::CSFLayerRRE* layer = add_picture(map, input);
            pictures = true;
            if (footholds.empty()) continue;
            place_footholds(*layer, footholds);
            platform::distinct_messages once;
            if (!layer->Snap()) throw cannot("snap", input);  // the fit has said why
        } else {
            model::add_icon_layer_for(map, add_layer(map, input), icons, &dc);
        }
    }
    if (!footholds.empty() && !pictures) throw usage_error("footholds need a picture among the inputs");
    style(map, args);

    // What the save command asks before it saves.
    if (map.GetLayerCount() == 0) throw input_error("You must create layers.");
    if (const model::CSFLayer* raster = map.GetRasterLayer()) {
        if (!map.get_snap_transform()->IsValid()) throw input_error("You must snap the map.");
        if (const georef::CTrRSS* own = raster->get_snap_copy(); own && !own->IsValid())
            throw input_error("You must snap the layer.");
    }
    map.RegridLayers(10, 10);
    std::string cause;
    if (map.Save(out, &cause) != model::map_saved) throw cannot("save", out, cause);
    return exit_ok;
}

}  // namespace cli
