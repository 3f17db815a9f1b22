// GDAL behind the pictures it reads, in a module of its own: loading GDAL and the libraries
// it needs costs tens of megabytes, paid only by a program that opens such a picture.

#include "raster/gdal_module.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <system_error>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>
#include <gdal_alg.h>
#include <ogr_srs_api.h>

#include "nimbra/image/bmp_image.h"

namespace model {

namespace nimbra = tarvel_tech::nimbra;

namespace {

// A compressed picture cannot hold more pixel bytes than this many times its own size
// (deflate's limit is about 1032), so a header claiming more is refused before anything is
// allocated; small pictures pass whatever they claim up to the floor.
constexpr std::uint64_t kMaxExpansion = 1100;
constexpr std::uint64_t kExpansionFloor = 64u << 20;
// The longest .prj read: a definition of a system fits in a few kilobytes.
constexpr std::streamsize kMaxPrjBytes = 64 * 1024;

void register_drivers() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

// GDAL's complaints are kept from standard error while it works; the last one is the cause
// of a failure.
class quiet_errors {
public:
    quiet_errors() {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~quiet_errors() { CPLPopErrorHandler(); }
    quiet_errors(const quiet_errors&) = delete;
    quiet_errors& operator=(const quiet_errors&) = delete;

    static std::string last(const std::string& fallback) {
        const char* message = CPLGetLastErrorMsg();
        return message && *message ? std::string(message) : fallback;
    }
};

struct dataset_closer {
    void operator()(void* dataset) const {
        if (dataset) GDALClose(static_cast<GDALDatasetH>(dataset));
    }
};
using dataset_ptr = std::unique_ptr<void, dataset_closer>;

// Only the drivers of the pictures a map takes: GDAL's other drivers have no business with
// a file named like a picture.
dataset_ptr open_picture(const std::string& path, bool pixels) {
    register_drivers();
    static const char* const pixel_drivers[] = {"PNG", "GTiff", nullptr};
    static const char* const place_drivers[] = {"PNG", "GTiff", "JPEG", "BMP", nullptr};
    return dataset_ptr(GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY,
                                  pixels ? pixel_drivers : place_drivers, nullptr, nullptr));
}

std::unique_ptr<nimbra::image> refuse(std::string* cause, const std::string& why) {
    if (cause) *cause = why;
    return nullptr;
}

// The bytes of one row in blue, green, red order from the dataset's bands: a palette spread
// through its table, grey repeated, colour bands reversed.
class row_reader {
public:
    row_reader(GDALDatasetH dataset, int width) : m_dataset(dataset), m_nWidth(width) {
        GDALRasterBandH first = GDALGetRasterBand(dataset, 1);
        const int bands = GDALGetRasterCount(dataset);
        GDALColorTableH table = GDALGetRasterColorTable(first);
        if (table && GDALGetRasterColorInterpretation(first) == GCI_PaletteIndex) {
            m_palette.fill({0, 0, 0});
            const int entries = std::min(GDALGetColorEntryCount(table), 256);
            for (int i = 0; i < entries; ++i) {
                const GDALColorEntry* e = GDALGetColorEntry(table, i);
                const auto byte = [](short v) { return static_cast<std::uint8_t>(std::clamp<short>(v, 0, 255)); };
                m_palette[static_cast<std::size_t>(i)] = {byte(e->c3), byte(e->c2), byte(e->c1)};
            }
            m_indices.resize(static_cast<std::size_t>(width));
            m_bPalette = true;
        } else if (bands >= 3) {
            m_bands = {3, 2, 1};
        } else {
            m_bands = {1, 1, 1};
        }
    }

    bool read(int y, std::uint8_t* row) {
        if (!m_bPalette)
            return GDALDatasetRasterIO(m_dataset, GF_Read, 0, y, m_nWidth, 1, row, m_nWidth, 1, GDT_Byte, 3,
                                       m_bands.data(), 3, 0, 1) == CE_None;
        if (GDALRasterIO(GDALGetRasterBand(m_dataset, 1), GF_Read, 0, y, m_nWidth, 1, m_indices.data(), m_nWidth, 1,
                         GDT_Byte, 0, 0) != CE_None)
            return false;
        for (int x = 0; x < m_nWidth; ++x) {
            const auto& colour = m_palette[m_indices[static_cast<std::size_t>(x)]];
            std::copy(colour.begin(), colour.end(), row + 3 * x);
        }
        return true;
    }

private:
    GDALDatasetH m_dataset;
    int m_nWidth;
    bool m_bPalette = false;
    std::array<int, 3> m_bands{};
    std::array<std::array<std::uint8_t, 3>, 256> m_palette{};
    std::vector<std::uint8_t> m_indices;
};

// The coordinate system of a .prj beside the picture, for pictures placed by a world file.
std::string companion_prj(const std::string& path) {
    for (const char* extension : {".prj", ".PRJ"}) {
        std::ifstream in(std::filesystem::path(path).replace_extension(extension), std::ios::binary);
        if (!in) continue;
        std::string text(static_cast<std::size_t>(kMaxPrjBytes), '\0');
        in.read(text.data(), kMaxPrjBytes);
        text.resize(static_cast<std::size_t>(in.gcount()));
        return text;
    }
    return {};
}

std::string crs_of(GDALDatasetH dataset) {
    OGRSpatialReferenceH srs = GDALGetSpatialRef(dataset);
    if (!srs) srs = GDALGetGCPSpatialRef(dataset);
    if (!srs) return {};
    char* wkt = nullptr;
    const char* const options[] = {"FORMAT=WKT2_2019", nullptr};
    std::string text;
    if (OSRExportToWktEx(srs, &wkt, options) == OGRERR_NONE && wkt) text = wkt;
    CPLFree(wkt);
    return text;
}

bool read_size(const std::string& path, int& width, int& height) {
    quiet_errors quiet;
    const dataset_ptr dataset = open_picture(path, true);
    if (!dataset) return false;
    width = GDALGetRasterXSize(dataset.get());
    height = GDALGetRasterYSize(dataset.get());
    return width > 0 && height > 0;
}

std::unique_ptr<nimbra::image> read_pixels(const std::string& path, std::string* cause) {
    quiet_errors quiet;
    const dataset_ptr dataset = open_picture(path, true);
    if (!dataset) return refuse(cause, quiet_errors::last("GDAL cannot open it"));
    GDALDatasetH ds = dataset.get();
    const int width = GDALGetRasterXSize(ds), height = GDALGetRasterYSize(ds);
    if (GDALGetRasterCount(ds) < 1 || width <= 0 || height <= 0) return refuse(cause, "it holds no picture");
    for (int band = 1; band <= GDALGetRasterCount(ds); ++band)
        if (GDALGetRasterDataType(GDALGetRasterBand(ds, band)) != GDT_Byte)
            return refuse(cause, "its samples have more than 8 bits");

    std::error_code ec;
    const std::uint64_t file_bytes = std::filesystem::file_size(path, ec);
    const std::uint64_t pixel_bytes = std::uint64_t{3} * static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (ec || pixel_bytes > std::max(kExpansionFloor, kMaxExpansion * file_bytes))
        return refuse(cause, "it claims more pixels than its bytes can hold");

    auto picture = std::make_unique<nimbra::bmp_image>();
    if (!picture->create(width, height, 24, nimbra::__image::bmp_type))
        return refuse(cause, "there is no memory for its pixels");
    row_reader reader(ds, width);
    for (int y = 0; y < height; ++y)
        if (!reader.read(y, picture->row(height - 1 - y)))  // rows are kept bottom-up
            return refuse(cause, quiet_errors::last("a row cannot be read"));
    return picture;
}

bool read_place(const std::string& path, picture_place& place) {
    quiet_errors quiet;
    const dataset_ptr dataset = open_picture(path, false);
    if (!dataset) return false;
    GDALDatasetH ds = dataset.get();
    place = {};
    place.width = GDALGetRasterXSize(ds);
    place.height = GDALGetRasterYSize(ds);
    if (place.width <= 0 || place.height <= 0) return false;

    // Corners and centre; GDAL counts pixel positions from the picture's corner, footholds
    // from the centre of the upper-left pixel.
    const int right = place.width - 1, bottom = place.height - 1;
    const int pixels[5][2] = {{0, 0}, {right, 0}, {0, bottom}, {right, bottom}, {place.width / 2, place.height / 2}};
    double x[5], y[5], z[5] = {};
    for (int i = 0; i < 5; ++i) x[i] = pixels[i][0] + 0.5, y[i] = pixels[i][1] + 0.5;

    double gt[6];
    if (GDALGetGeoTransform(ds, gt) == CE_None) {
        for (int i = 0; i < 5; ++i) {
            const double p = x[i], l = y[i];
            x[i] = gt[0] + p * gt[1] + l * gt[2];
            y[i] = gt[3] + p * gt[4] + l * gt[5];
        }
    } else if (GDALGetGCPCount(ds) >= 3) {
        // Tie points only: the first-order fit through them, at the same pixels.
        void* fit = GDALCreateGCPTransformer(GDALGetGCPCount(ds), GDALGetGCPs(ds), 1, FALSE);
        if (!fit) return false;
        int success[5] = {};
        const bool done = GDALGCPTransform(fit, FALSE, 5, x, y, z, success) != 0;
        GDALDestroyGCPTransformer(fit);
        if (!done || !std::all_of(success, success + 5, [](int s) { return s != 0; })) return false;
    } else {
        return false;
    }
    for (int i = 0; i < 5; ++i) {
        place.plane.emplace_back(pixels[i][0], pixels[i][1]);
        place.ground.emplace_back(x[i], y[i], 0.0);
    }
    place.crs = crs_of(ds);
    if (place.crs.empty()) place.crs = companion_prj(path);
    return true;
}

}  // namespace

}  // namespace model

extern "C" __attribute__((visibility("default"))) const void* plotwright_gdal_entry_points() {
    static const model::gdal_entry_points points{model::kGdalEntryPointsVersion, model::read_pixels, model::read_size,
                                                 model::read_place};
    return &points;
}
