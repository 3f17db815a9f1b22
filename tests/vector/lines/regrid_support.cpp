#include "tests/vector/lines/regrid_support.h"

#include <cmath>

#include <QImage>

#include "georef/transform.h"
#include "map/sf_layer.h"
#include "shapes/sf_line.h"

using namespace model;

namespace regrid_test {

std::vector<piece> pieces_of(const std::vector<CSFFragment>& cells) {
    std::vector<piece> pieces;
    for (const CSFFragment& cell : cells) {
        for (const auto& shape : cell.m_aShapes) {
            const auto& line = dynamic_cast<const CSFLine&>(*shape);
            pieces.push_back({cell.m_nCell, line.m_nRecord, line.m_pPoints});
        }
    }
    return pieces;
}

std::vector<piece> pieces_of(const std::vector<CSFFragment>& cells, int record) {
    std::vector<piece> all = pieces_of(cells), found;
    for (piece& p : all)
        if (p.record == record) found.push_back(std::move(p));
    return found;
}

double length(const std::vector<CSFPt>& points) {
    double sum = 0.0;
    for (std::size_t i = 1; i < points.size(); ++i)
        sum += std::hypot(points[i].X - points[i - 1].X, points[i].Y - points[i - 1].Y);
    return sum;
}

bool inside(const CSFRect& box, const CSFPt& p, double slack) {
    return p.X >= box.minX - slack && p.X <= box.maxX + slack && p.Y >= box.minY - slack && p.Y <= box.maxY + slack;
}

map_with_layer::map_with_layer(std::unique_ptr<CSFLayer> added, int width, int height) {
    layer = added.get();
    map.AddLayer(std::move(added));
    layer->m_pTransform = map.get_transform();
    map.RecomputeBounds();
    map.SetViewport(width, height);
    map.ZoomToExtent();
}

int differing_pixels(const std::string& png_a, const std::string& png_b, int* filled) {
    const QImage a(QString::fromStdString(png_a)), b(QString::fromStdString(png_b));
    if (a.size() != b.size() || a.isNull()) return -1;
    auto near = [](const QImage& image, int x, int y, QRgb colour) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (image.valid(x + dx, y + dy) && image.pixel(x + dx, y + dy) == colour) return true;
        return false;
    };
    int differing = 0, painted = 0;
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb pa = a.pixel(x, y), pb = b.pixel(x, y);
            if (pa != white) ++painted;
            if (pa != pb && (!near(b, x, y, pa) || !near(a, x, y, pb))) ++differing;
        }
    }
    if (filled) *filled = painted;
    return differing;
}

}  // namespace regrid_test
