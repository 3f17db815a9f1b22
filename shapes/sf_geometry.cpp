#include "shapes/sf_geometry.h"

#include "platform/file_io.h"

namespace model {

bool CSFRect::Stretch(const CSFPt& p) {
    const CSFRect before = *this;
    if (is_zero()) {
        minX = maxX = p.X;
        minY = maxY = p.Y;
    } else {
        if (p.X < minX) minX = p.X;
        if (p.X > maxX) maxX = p.X;
        if (p.Y < minY) minY = p.Y;
        if (p.Y > maxY) maxY = p.Y;
    }
    return !(before == *this);
}

bool CSFRect::Union(const CSFRect& other) {
    const CSFRect before = *this;
    if (other.minX < minX) minX = other.minX;
    if (other.minY < minY) minY = other.minY;
    if (other.maxX > maxX) maxX = other.maxX;
    if (other.maxY > maxY) maxY = other.maxY;
    return !(before == *this);
}

void CSFRect::write(platform::CFile& file) const {
    using platform::file_io::write_double;
    write_double(file, minX);
    write_double(file, minY);
    write_double(file, maxX);
    write_double(file, maxY);
}

bool CSFRect::read(platform::CFile& file) {
    using platform::file_io::read_double;
    return read_double(file, minX) && read_double(file, minY) && read_double(file, maxX) &&
           read_double(file, maxY);
}

}  // namespace model
