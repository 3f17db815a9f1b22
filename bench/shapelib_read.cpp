// Reads every record of a shapefile through shapelib and prints the record, part and vertex
// counts: the yardstick the shapefile reader of the program is measured against.
#include <shapefil.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: shapelib_read FILE.shp\n");
        return 1;
    }
    SHPHandle shp = SHPOpen(argv[1], "rb");
    if (!shp) return 2;
    int records = 0, type = 0;
    double min[4], max[4];
    SHPGetInfo(shp, &records, &type, min, max);
    long long parts = 0, vertices = 0;
    for (int i = 0; i < records; ++i) {
        SHPObject* o = SHPReadObject(shp, i);
        if (!o) continue;
        parts += o->nParts;
        vertices += o->nVertices;
        SHPDestroyObject(o);
    }
    SHPClose(shp);
    std::printf("records %d parts %lld points %lld\n", records, parts, vertices);
    return 0;
}
