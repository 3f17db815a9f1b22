#include "map/shapefile_crs.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "formats/number_text.h"
#include "georef/coordinate_system.h"
#include "georef/lonlat_batch.h"
#include "map/sf_layer.h"
#include "platform/path.h"
#include "platform/ui_service.h"
#include "shapes/sf_line.h"
#include "shapes/sf_point.h"
#include "shapes/table_path.h"

namespace model {

namespace {

// The longest .prj read: a definition of a system fits in a few kilobytes.
constexpr std::streamsize kMaxPrjBytes = 64 * 1024;

// The text of the .prj beside the shapefile, one byte beyond the longest read; false when
// there is none to read.
bool read_prj(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    text.assign(static_cast<std::size_t>(kMaxPrjBytes) + 1, '\0');
    in.read(text.data(), kMaxPrjBytes + 1);
    text.resize(static_cast<std::size_t>(in.gcount()));
    return true;
}

std::string describe_box(const CSFRect& box) {
    using formats::format_number;
    return "X from " + format_number(box.minX) + " to " + format_number(box.maxX) + ", Y from " +
           format_number(box.minY) + " to " + format_number(box.maxY);
}

// The points of a shape, as one run: a point shape's point or a line's or polygon's list.
template <typename Visit>
void with_points(CSFShape& shape, Visit visit) {
    if (shape.is_null_record()) return;
    if (auto* point = dynamic_cast<CSFPoint*>(&shape)) {
        visit(&point->m_pt, std::size_t{1});
    } else if (auto* line = dynamic_cast<CSFLine*>(&shape)) {
        // Only the points the shape counts, as drawing and cutting see them.
        const std::size_t count = std::min<std::size_t>(line->m_nPoints, line->m_pPoints.size());
        if (count) visit(line->m_pPoints.data(), count);
    }
}

CSFRect box_of(const CSFPt* points, std::size_t count) {
    CSFRect box{points[0].X, points[0].Y, points[0].X, points[0].Y};
    for (std::size_t i = 1; i < count; ++i) {
        box.minX = std::min(box.minX, points[i].X);
        box.minY = std::min(box.minY, points[i].Y);
        box.maxX = std::max(box.maxX, points[i].X);
        box.maxY = std::max(box.maxY, points[i].Y);
    }
    return box;
}

// A box of the old system through its corners, for shapes that have no points to go by;
// none when a corner cannot be transformed.
bool transform_box(const georef::coordinate_system& system, CSFRect& box) {
    double x[4] = {box.minX, box.maxX, box.minX, box.maxX};
    double y[4] = {box.minY, box.minY, box.maxY, box.maxY};
    if (system.to_lonlat(x, y, 4, 1) != 0) return false;
    box = {*std::min_element(x, x + 4), *std::min_element(y, y + 4), *std::max_element(x, x + 4),
           *std::max_element(y, y + 4)};
    return true;
}

}  // namespace

bool fits_degrees(const CSFRect& box) {
    return box.minX >= -180.0 && box.maxX <= 180.0 && box.minY >= -90.0 && box.maxY <= 90.0;
}

std::size_t transform_layer(CSFLayer& layer, const georef::coordinate_system& system) {
    constexpr std::size_t stride = sizeof(CSFPt) / sizeof(double);
    static_assert(sizeof(CSFPt) == 2 * sizeof(double), "a point is its two coordinates");

    // The box the points lie in, for the batch to spread its cells over.
    double min_x = INFINITY, min_y = INFINITY, max_x = -INFINITY, max_y = -INFINITY;
    std::size_t count = 0;
    layer.for_each_shape([&](CSFShape& shape) {
        with_points(shape, [&](const CSFPt* points, std::size_t n) {
            count += n;
            for (std::size_t i = 0; i < n; ++i) {
                if (!std::isfinite(points[i].X) || !std::isfinite(points[i].Y)) continue;
                min_x = std::min(min_x, points[i].X);
                min_y = std::min(min_y, points[i].Y);
                max_x = std::max(max_x, points[i].X);
                max_y = std::max(max_y, points[i].Y);
            }
        });
    });

    georef::lonlat_batch batch(system, min_x, min_y, max_x, max_y, count);
    layer.for_each_shape([&](CSFShape& shape) {
        with_points(shape, [&](CSFPt* points, std::size_t n) { batch.add(&points[0].X, &points[0].Y, n, stride); });
    });
    const std::size_t failed = batch.finish();

    // The boxes the file gave are in the old system; the points now say where the shapes are.
    bool any = false;
    CSFRect bounds;
    layer.for_each_shape([&](CSFShape& shape) {
        if (shape.is_null_record()) return;
        bool has_points = false;
        with_points(shape, [&](const CSFPt* points, std::size_t n) {
            shape.m_rcBox = box_of(points, n);
            has_points = true;
        });
        if (!has_points && !transform_box(system, shape.m_rcBox)) shape.m_rcBox = {};
        if (!any) bounds = shape.m_rcBox;
        bounds.Union(shape.m_rcBox);
        any = true;
    });
    // No shape to go by: the header's box.
    if (!any && !transform_box(system, bounds = layer.m_rcBounds)) bounds = {};
    layer.m_rcBounds = bounds;
    return failed;
}

bool place_in_lonlat(CSFLayer& layer, const std::string& path, const crs_choice& choice) {
    layer.m_crs = {};
    const std::string name = platform::file_name_part(path);
    std::unique_ptr<georef::coordinate_system> system;
    std::string cause;
    bool named = false;  // a .prj names a system, whether PROJ reads it or not
    if (!choice.definition.empty() && choice.over_prj) {
        system = georef::coordinate_system::from_definition(choice.definition, &cause);
        layer.m_crs.m_nOrigin = layer_crs::assumed;
    } else if (std::string text; read_prj(companion_path(path, "prj"), text)) {
        named = true;
        if (text.size() > static_cast<std::size_t>(kMaxPrjBytes))
            cause = "it is longer than any definition of a coordinate system";
        else
            system = georef::coordinate_system::from_definition(text, &cause);
        layer.m_crs.m_nOrigin = layer_crs::prj;
        if (!system)
            platform::AfxMessageBox(platform::file_name_part(companion_path(path, "prj")) +
                                        " names no coordinate system the map can use (" + cause +
                                        "); the coordinates of " + name + " are taken as they stand.",
                                    platform::MB_ICONWARNING);
    }
    if (!system && !choice.definition.empty() && !choice.over_prj) {
        system = georef::coordinate_system::from_definition(choice.definition, &cause);
        layer.m_crs.m_nOrigin = layer_crs::assumed;
    }
    if (!system) {
        if (!choice.definition.empty())
            platform::AfxMessageBox("The coordinate system " + choice.definition + " cannot be used (" + cause + ").",
                                    platform::MB_ICONWARNING);
        layer.m_crs.m_nOrigin = layer_crs::none;
        if (!fits_degrees(layer.m_rcBounds)) {
            layer.m_crs.m_bNotDegrees = true;
            platform::AfxMessageBox(
                name + (named ? " names no coordinate system that PROJ knows" : " has no .prj file to name its coordinate system") +
                    ", and its coordinates cannot be longitude and latitude (" + describe_box(layer.m_rcBounds) +
                    "). It is added as it stands. To place it, name its coordinate system: --assume-crs EPSG:NNNN on "
                    "the command line, or choose one in the program when it asks.",
                platform::MB_ICONWARNING);
        }
        return true;
    }

    layer.m_crs.m_strName = system->name();
    layer.m_crs.m_strId = system->identifier();
    // Longitude and latitude on WGS 84 are what the map holds: such a file is read as it is.
    if (system->is_wgs84_degrees()) return true;
    if (const std::size_t failed = transform_layer(layer, *system); failed != 0) {
        platform::AfxMessageBox(name + ": " + std::to_string(failed) + " of its points cannot be transformed from " +
                                    system->name() + " to longitude and latitude.",
                                platform::MB_ICONSTOP);
        return false;
    }
    layer.m_crs.m_bTransformed = true;
    return true;
}

}  // namespace model
