// Writes the seed inputs of the fuzz targets: small, valid files of every kind each reader
// takes, made by shapelib's writer and the library's own encoders, plus the few variants no
// writer makes (files the readers must also take). scripts/fuzz-seeds adds the peer tools'.
//   plotwright-fuzz-seeds DIR   one folder per target under DIR

#include <shapefil.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "nimbra/image/bmp_image.h"
#include "nimbra/image/jpg_image.h"
#include "nimbra/layer/write_layer.h"
#include "platform/endian.h"
#include "platform/exceptions.h"
#include "platform/mem_file.h"

namespace {

using tarvel_tech::nimbra::bmp_image;
using tarvel_tech::nimbra::image;
using tarvel_tech::nimbra::jpg_image;
using tarvel_tech::nimbra::write_layer;
using bytes = std::vector<std::uint8_t>;

std::string g_folder;
int g_failures = 0;

std::string seed_path(const std::string& target, const std::string& name) {
    std::filesystem::create_directories(g_folder + "/" + target);
    return g_folder + "/" + target + "/" + name;
}

void write(const std::string& target, const std::string& name, const bytes& content) {
    std::ofstream out(seed_path(target, name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
    if (!out) ++g_failures;
}

void write(const std::string& target, const std::string& name, const std::string& text) {
    write(target, name, bytes(text.begin(), text.end()));
}

bytes read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(in), {});
}

// --- shapefiles and tables, by shapelib ---

void shapefile(const std::string& name, int type, const std::vector<std::vector<std::vector<double>>>& shapes) {
    const std::string path = seed_path("shapefile", name);
    SHPHandle shp = SHPCreate(path.c_str(), type);
    if (!shp) {
        ++g_failures;
        return;
    }
    for (const auto& parts : shapes) {
        std::vector<int> starts;
        std::vector<double> x, y;
        for (const auto& part : parts) {
            starts.push_back(static_cast<int>(x.size()));
            for (std::size_t i = 0; i + 1 < part.size(); i += 2) x.push_back(part[i]), y.push_back(part[i + 1]);
        }
        SHPObject* object = parts.empty() ? SHPCreateSimpleObject(SHPT_NULL, 0, nullptr, nullptr, nullptr)
                                          : SHPCreateObject(type, -1, static_cast<int>(starts.size()), starts.data(),
                                                            nullptr, static_cast<int>(x.size()), x.data(), y.data(),
                                                            nullptr, nullptr);
        SHPWriteObject(shp, -1, object);
        SHPDestroyObject(object);
    }
    SHPClose(shp);
    std::filesystem::remove(path.substr(0, path.size() - 4) + ".shx");
}

void shapefiles() {
    shapefile("points.shp", SHPT_POINT, {{{37.6, 55.7}}, {{37.61, 55.71}}, {{-180, -90}}});
    shapefile("lines.shp", SHPT_ARC,
              {{{37.6, 55.7, 37.7, 55.8, 37.65, 55.9}}, {{0, 0, 1, 1}, {2, 2, 3, 3, 4, 2}}, {}});
    shapefile("polygons.shp", SHPT_POLYGON,
              {{{0, 0, 0, 10, 10, 10, 10, 0, 0, 0}, {2, 2, 4, 2, 4, 4, 2, 4, 2, 2}}, {{20, 20, 21, 22, 22, 20, 20, 20}}});
    shapefile("empty.shp", SHPT_POINT, {});

    // Points whose records carry 8 bytes more than a point: the reader skips them.
    bytes b(100);
    auto be32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    };
    be32(0, 9994);
    platform::endian::put_le32(&b[28], 1000);
    platform::endian::put_le32(&b[32], 1);
    for (int k = 0; k < 2; ++k) {
        const std::size_t at = b.size();
        b.resize(at + 8 + 28);
        be32(at, static_cast<std::uint32_t>(k + 1));
        be32(at + 4, 14);
        platform::endian::put_le32(&b[at + 8], 1);
        platform::endian::put_le64(&b[at + 12], std::bit_cast<std::uint64_t>(37.0 + k));
        platform::endian::put_le64(&b[at + 20], std::bit_cast<std::uint64_t>(55.0 + k));
    }
    be32(24, static_cast<std::uint32_t>(b.size() / 2));
    write("shapefile", "padded-points.shp", b);
}

void table(const std::string& name, const char* language_driver, const std::function<void(DBFHandle)>& fill) {
    const std::string path = seed_path("dbf", name);
    DBFHandle dbf = DBFCreateEx(path.c_str(), language_driver);
    if (!dbf) {
        ++g_failures;
        return;
    }
    fill(dbf);
    DBFClose(dbf);
}

void tables() {
    table("kinds.dbf", "LDID/87", [](DBFHandle dbf) {
        DBFAddField(dbf, "NAME", FTString, 12, 0);
        DBFAddField(dbf, "POP", FTInteger, 8, 0);
        DBFAddField(dbf, "AREA", FTDouble, 12, 3);
        DBFAddNativeFieldType(dbf, "FOUNDED", 'D', 8, 0);
        DBFAddNativeFieldType(dbf, "CAPITAL", 'L', 1, 0);
        DBFAddNativeFieldType(dbf, "RATIO", 'F', 10, 4);
        DBFAddNativeFieldType(dbf, "MEMO", 'M', 10, 0);
        const char* names[] = {"Moskva", "Tver\xE8", ""};
        for (int r = 0; r < 3; ++r) {
            DBFWriteStringAttribute(dbf, r, 0, names[r]);
            DBFWriteIntegerAttribute(dbf, r, 1, 1000 * (r + 1));
            if (r == 2) DBFWriteNULLAttribute(dbf, r, 2);
            else DBFWriteDoubleAttribute(dbf, r, 2, 12.5 * r);
            char date[] = "11470101";
            if (r == 1) std::memcpy(date, "20240229", 8);
            DBFWriteAttributeDirectly(dbf, r, 3, date);
            DBFWriteLogicalAttribute(dbf, r, 4, "TF?"[r]);
            DBFWriteDoubleAttribute(dbf, r, 5, -0.25 * r);
            DBFWriteStringAttribute(dbf, r, 6, "0000000001");
        }
        DBFMarkRecordDeleted(dbf, 1, 1);
    });
    table("cyrillic.dbf", "LDID/201", [](DBFHandle dbf) {
        DBFAddField(dbf, "\xCD\xC0\xC7\xC2", FTString, 20, 0);
        DBFWriteStringAttribute(dbf, 0, 0, "\xCC\xEE\xF1\xEA\xE2\xE0");
    });
    table("no-records.dbf", nullptr, [](DBFHandle dbf) { DBFAddField(dbf, "ID", FTInteger, 4, 0); });
}

// --- text files ---

void texts() {
    const std::string crlf_export =
        "$qzLinerExport\r\nexported by hand\r\nLayerGroup\r\n{\r\nDescription = Roads and towns\r\n"
        "Datum = WGS84\r\nCreatedOn = 01.02.2024\r\nLayer\r\n{\r\nDescription = Main roads\r\nObject\r\n{\r\n"
        "Type = Line\r\nTag = 7\r\nLabel = M 10\r\nOld_ID = -12\r\nLineColor = 255\r\nLineWidth = 2\r\n"
        "LineStyle = 1\r\nFillColor = 65535\r\nFillStyle = 0\r\nFillChar = x\r\nFontName = Times New Roman\r\n"
        "FontStyle = B\r\nFontColor = 3\r\nFontHeight = 12\r\nFontEscapement = 900\r\nFontOrientation = 0\r\n"
        "FontUnits = 1\r\nPoints\r\n{\r\nXYZ = 37.61, 55.75, 0\r\nXYZ = 37.62, 55.76, 0\r\n}\r\n}\r\n"
        "Object\r\n{\r\nType = Polygon\r\nPoints\r\n{\r\nXYZ = 0,0,0\r\nXYZ = 1e1,0x1p3,-0\r\nXYZ = 1,1\r\n}\r\n}\r\n"
        "Object\r\n{\r\nType = Label\r\nPoints\r\n{\r\nXYZ = 1,2,3\r\n}\r\n}\r\n"
        "Object\r\n{\r\nType = Symbol\r\n}\r\n}\r\n}\r\n";
    write("ktf", "roads.ktf", crlf_export);
    write("ktf", "header-only.ktf", "$qzLinerExport\r\n");
    write("ktf", "utf8.ktf",
          "\xEF\xBB\xBF$qzLinerExport\r\nLayerGroup\r\n{\r\nDescription = \xD0\x94\xD0\xBE\xD1\x80\xD0\xBE\xD0\xB3\xD0\xB8\r\n"
          "Layer\r\n{\r\nObject\r\n{\r\nType = Symbol\r\nPoints\r\n{\r\nXYZ = 37.6, 55.7, 0\r\n}\r\n}\r\n}\r\n}\r\n");
    write("ktf", "unclosed.ktf", "$qzLinerExport\r\nLayerGroup\r\n{\r\nLayer\r\n{\r\nObject\r\n{\r\nPoints\r\n{\r\n");

    write("control_points", "qgis.points",
          "#CRS: GEOGCRS[\"WGS 84\",ID[\"EPSG\",4326]]\nmapX,mapY,pixelX,pixelY,enable,dX,dY,residual\n"
          "37.6,55.75,0.5,-0.5,1,0,0,0\n37.7,55.7,512.5,-384.5,0,0.1,-0.2,0.3\n");
    write("control_points", "source.points", "mapX,mapY,sourceX,sourceY,enable\r\n10,20,1.5,-2.5,1\r\n\r\n");
    write("control_points", "older.points", "mapX,mapY,pixelX,pixelY\n-180,-90,1e3,-1E-3\n");

    write("world_file", "north-up.jgw", "0.0001\n0\n0\n-0.0001\n37.60005\n55.74995\n");
    write("world_file", "rotated.tfw", " 1.5e-5 \r\n\r\n2.0E-6\r\n-2e-6\r\n-1.5e-5\r\n-75.25\r\n40.5\r\n");
}

// --- pictures, by the library's encoders ---

// A small picture with every pixel different, so that a wrong row or column shows.
std::unique_ptr<image> picture(std::unique_ptr<image> out, int width, int height, int bits, bool grey = false) {
    if (!out->create(width, height, bits, out->get_exinfo().image_type)) return nullptr;
    if (bits <= 8) {
        if (grey) out->get_palette().make_gray();
        else
            for (int i = 0; i < (1 << bits); ++i)
                out->get_palette().replace_index(i, static_cast<std::uint8_t>(37 * i), static_cast<std::uint8_t>(255 - 11 * i),
                                                 static_cast<std::uint8_t>(90 + 5 * i));
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (bits <= 8) out->set_index(x, y, (x + 3 * y) % (1 << bits));
            else out->set_color(x, y, tarvel_tech::nimbra::RGBQUAD{static_cast<std::uint8_t>(16 * x),
                                                                   static_cast<std::uint8_t>(24 * y),
                                                                   static_cast<std::uint8_t>(8 * (x ^ y)), 0});
        }
    out->set_xdpi(72);
    out->set_ydpi(96);
    return out;
}

bytes encoded(image& source) {
    platform::CMemFile file(1024);
    if (!source.encode(&file)) {
        ++g_failures;
        return {};
    }
    return file.Detach();
}

void bitmaps() {
    for (int bits : {1, 4, 8, 24}) {
        auto p = picture(std::make_unique<bmp_image>(), 13, 7, bits);
        if (!p) continue;
        const bytes file = encoded(*p);
        write("bmp", "plain-" + std::to_string(bits) + ".bmp", file);
        if (bits == 8) {
            // No file header: the information header first.
            write("bmp", "headerless-8.bmp", bytes(file.begin() + 14, file.end()));
            // 8-bit run-length data: a run, an absolute run, a delta, end of line, end of bitmap.
            bytes rle(file.begin(), file.begin() + 14 + 40 + 256 * 4);
            platform::endian::put_le32(&rle[14 + 16], 1);
            const std::uint8_t runs[] = {5, 7, 0, 3, 1, 2, 3, 0, 0, 2, 2, 1, 3, 9, 0, 0, 4, 4, 0, 1};
            rle.insert(rle.end(), std::begin(runs), std::end(runs));
            platform::endian::put_le32(&rle[14 + 20], sizeof runs);
            write("bmp", "rle-8.bmp", rle);
        }
    }
}

void jpegs() {
    for (const auto& [name, width, height, bits] :
         {std::tuple{"colour.jpg", 17, 9, 24}, std::tuple{"grey.jpg", 8, 19, 8}, std::tuple{"tiny.jpg", 1, 1, 24}}) {
        auto p = picture(std::make_unique<jpg_image>(), width, height, bits, true);
        if (p) write("jpeg", name, encoded(*p));
    }
}

// --- RRE layers, by the library's writer ---

void rre(const std::string& name, int columns, int rows, int frame_width, int frame_height, int bits) {
    write_layer out;
    auto& h = out.get_header();
    h.set_frame_grid(columns, rows, frame_width, frame_height);
    const double t[12] = {1e-4, 0, 37.6, 0, -1e-4, 55.75, 1e4, 0, -376000, 0, -1e4, 557500};
    for (int i = 0; i < 12; ++i) out.get_transform()[i] = t[i];
    for (int i = 0; i < columns * rows; ++i) {
        auto frame = picture(std::make_unique<jpg_image>(), frame_width, frame_height, bits, true);
        const bytes body = frame ? encoded(*frame) : bytes{};
        out.put_frame(body.data(), body.size());
    }
    const std::string path = seed_path("rre_layer", name);
    try {
        if (!out.save(path)) ++g_failures;
        out.close();
    } catch (const platform::CException&) {
        ++g_failures;
    }
    write("layer_image", name, read(path));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: plotwright-fuzz-seeds DIR\n");
        return 1;
    }
    g_folder = argv[1];
    shapefiles();
    tables();
    texts();
    bitmaps();
    jpegs();
    rre("colour-2x2.rre", 2, 2, 16, 8, 24);
    rre("grey-3x1.rre", 3, 1, 8, 8, 8);
    rre("single.rre", 1, 1, 24, 16, 24);
    if (g_failures) std::fprintf(stderr, "plotwright-fuzz-seeds: %d seeds could not be written\n", g_failures);
    return g_failures ? 2 : 0;
}
