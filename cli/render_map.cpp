// render of a map document or a text export: the map opened or imported as the program does,
// framed in the picture and drawn through the off-screen painter.

#include "cli/command.h"
#include "cli/map_files.h"
#include "map/sf_map.h"
#include "nimbra/image/bmp_image.h"
#include "nimbra/paint/w32_paint.h"
#include "platform/image_dc.h"
#include "platform/path.h"
#include "raster/layer_rre.h"

namespace cli {

void render_map(const std::string& input, const std::string& out, picture_kind kind, int width, int height,
                view_kind view) {
    model::CSFMap map;
    platform::CImageDC target(width, height);
    if (target.GetWidth() != width || target.GetHeight() != height) throw input_error("out of memory");
    load_map(map, input, &target);
    frame_map(map, width, height, view);
    // The view scrolled to the picture's top-left corner, as it opens.
    if (auto* raster = dynamic_cast<model::CSFLayerRRE*>(map.GetRasterLayer()))
        raster->SetView({0, 0}, {0, 0, width, height});
    tarvel_tech::nimbra::w32_paint painter(&target, nullptr, tarvel_tech::nimbra::paint::fill_background);
    // An opened document holds only the pieces in its cells; an import holds whole shapes.
    if (platform::lower_extension(input) == ".kxr")
        map.DrawLayersGrid(&painter);
    else
        map.DrawLayers(&painter);
    tarvel_tech::nimbra::bmp_image* picture = painter.get_bitmap();
    if (!picture) throw input_error("out of memory");
    save_picture(*picture, out, kind, -1);
}

}  // namespace cli
