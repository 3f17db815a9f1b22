#include "tests/support/shp_bytes.h"

#include <cstring>

namespace test_support {

void shp_bytes::be32(int value) {
    const auto v = static_cast<unsigned>(value);
    for (int i = 3; i >= 0; --i) bytes.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void shp_bytes::le32(int value) {
    const auto v = static_cast<unsigned>(value);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void shp_bytes::le_double(double value) {
    unsigned long long bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<unsigned char>(bits >> (8 * i)));
}

void shp_bytes::header(int shape_type, double xmin, double ymin, double xmax, double ymax) {
    be32(9994);
    for (int i = 0; i < 5; ++i) be32(0);
    be32(0);  // length, patched by finish()
    le32(1000);
    le32(shape_type);
    for (double d : {xmin, ymin, xmax, ymax, 0.0, 0.0, 0.0, 0.0}) le_double(d);
}

const std::vector<unsigned char>& shp_bytes::finish() {
    const auto words = static_cast<unsigned>(bytes.size() / 2);
    for (int i = 0; i < 4; ++i) bytes[24 + i] = static_cast<unsigned char>(words >> (8 * (3 - i)));
    return bytes;
}

}  // namespace test_support
