// The yardstick of regridding polygon rings: Clipper alone. Reads every ring of a polygon
// shapefile through shapelib and intersects it (even-odd) with each cell of a grid over the
// file's box that the ring's box meets, counting the pieces and their vertices.
//   clipper_cells FILE.shp [COLUMNS ROWS]    10 x 10 by default
#include <polyclipping/clipper.hpp>
#include <shapefil.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: clipper_cells FILE.shp [COLUMNS ROWS]\n");
        return 1;
    }
    const int columns = argc == 4 ? std::atoi(argv[2]) : 10, rows = argc == 4 ? std::atoi(argv[3]) : 10;
    SHPHandle shp = SHPOpen(argv[1], "rb");
    if (!shp) return 2;
    int records = 0, type = 0;
    double min[4], max[4];
    SHPGetInfo(shp, &records, &type, min, max);
    const double width = (max[0] - min[0]) / columns, height = (max[1] - min[1]) / rows;
    // Coordinates become integers at a fixed scale that keeps about 2^-40 of a degree.
    const double scale = std::ldexp(1.0, 40);
    auto to_int = [scale](double v) { return static_cast<ClipperLib::cInt>(std::llround(v * scale)); };

    long long pieces = 0, vertices = 0;
    ClipperLib::Path ring, cell;
    ClipperLib::Paths solution;
    for (int i = 0; i < records; ++i) {
        SHPObject* o = SHPReadObject(shp, i);
        if (!o) continue;
        for (int part = 0; part < o->nParts; ++part) {
            const int first = o->panPartStart[part];
            const int end = part + 1 < o->nParts ? o->panPartStart[part + 1] : o->nVertices;
            ring.clear();
            double x0 = HUGE_VAL, y0 = HUGE_VAL, x1 = -HUGE_VAL, y1 = -HUGE_VAL;
            for (int k = first; k < end; ++k) {
                ring.emplace_back(to_int(o->padfX[k]), to_int(o->padfY[k]));
                x0 = std::min(x0, o->padfX[k]), x1 = std::max(x1, o->padfX[k]);
                y0 = std::min(y0, o->padfY[k]), y1 = std::max(y1, o->padfY[k]);
            }
            const int c0 = std::clamp(static_cast<int>((x0 - min[0]) / width), 0, columns - 1);
            const int c1 = std::clamp(static_cast<int>((x1 - min[0]) / width), 0, columns - 1);
            const int r0 = std::clamp(static_cast<int>((y0 - min[1]) / height), 0, rows - 1);
            const int r1 = std::clamp(static_cast<int>((y1 - min[1]) / height), 0, rows - 1);
            for (int r = r0; r <= r1; ++r) {
                for (int c = c0; c <= c1; ++c) {
                    const double cx = min[0] + c * width, cy = min[1] + r * height;
                    cell = {{to_int(cx), to_int(cy)},
                            {to_int(cx + width), to_int(cy)},
                            {to_int(cx + width), to_int(cy + height)},
                            {to_int(cx), to_int(cy + height)}};
                    ClipperLib::Clipper clipper;
                    clipper.AddPath(ring, ClipperLib::ptSubject, true);
                    clipper.AddPath(cell, ClipperLib::ptClip, true);
                    clipper.Execute(ClipperLib::ctIntersection, solution, ClipperLib::pftEvenOdd,
                                    ClipperLib::pftEvenOdd);
                    for (const ClipperLib::Path& piece : solution) ++pieces, vertices += static_cast<long long>(piece.size());
                }
            }
        }
        SHPDestroyObject(o);
    }
    SHPClose(shp);
    std::printf("records %d pieces %lld points %lld\n", records, pieces, vertices);
    return 0;
}
