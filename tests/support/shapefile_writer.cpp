#include "tests/support/shapefile_writer.h"

#include <shapefil.h>

#include <cstring>
#include <stdexcept>

namespace test_support {

void write_shapefile(const std::string& path, int shape_type, const std::vector<std::vector<vertices>>& shapes) {
    SHPHandle shp = SHPCreate(path.c_str(), shape_type);
    if (!shp) throw std::runtime_error("SHPCreate failed for " + path);
    for (const auto& parts : shapes) {
        std::vector<double> xs, ys;
        std::vector<int> starts;
        for (const auto& part : parts) {
            starts.push_back(static_cast<int>(xs.size()));
            for (const auto& [x, y] : part) {
                xs.push_back(x);
                ys.push_back(y);
            }
        }
        SHPObject* object = SHPCreateObject(shape_type, -1, static_cast<int>(starts.size()), starts.data(), nullptr,
                                            static_cast<int>(xs.size()), xs.data(), ys.data(), nullptr, nullptr);
        SHPWriteObject(shp, -1, object);
        SHPDestroyObject(object);
    }
    SHPClose(shp);
}

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
