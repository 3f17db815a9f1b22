// The export that reads its picture band by band, on one thread or several, against the one
// that cuts the picture decoded whole: the same bytes for every kind of picture file, and the
// same failure for a damaged one.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "georef/tr_rss.h"
#include "map/sf_map.h"
#include "nimbra/image/bmp_image.h"
#include "nimbra/image/jpg_image.h"
#include "nimbra/layer/write_layer.h"
#include "platform/file_io.h"
#include "platform/mem_file.h"
#include "raster/band_frames.h"
#include "raster/layer_rre.h"
#include "raster/register_layers.h"
#include "raster/rre_export.h"
#include "tests/raster/pictures.h"
#include "tests/support/files.h"
#include "tests/support/recording_ui_service.h"

using namespace model;
namespace nimbra = tarvel_tech::nimbra;

namespace {

georef::CTrRSS tilted() {
    georef::CTrRSS tr;
    georef::CPt pixels[3] = {{0.0, 0.0, 0.0}, {500.0, 30.0, 0.0}, {-20.0, 400.0, 0.0}};
    georef::CPt ground[3] = {{37.6, 55.8, 0.0}, {37.7, 55.79, 0.0}, {37.59, 55.75, 0.0}};
    tr.Fit(pixels, ground, 3);
    return tr;
}

// The picture files of one size: colour and grey JPEG, 24-bit and 8-bit palette BMP.
std::vector<std::string> picture_files(const test_support::temp_dir& dir, int width, int height) {
    const std::string stem = dir.file(std::to_string(width) + "x" + std::to_string(height));
    nimbra::jpg_image colour = raster_test::ramp_picture(width, height);
    raster_test::save_jpeg(colour, stem + ".jpg");
    nimbra::bmp_image bitmap;
    bitmap.take_over(colour);
    EXPECT_TRUE(bitmap.save(stem + ".bmp"));

    nimbra::jpg_image grey;
    nimbra::bmp_image indexed;
    EXPECT_TRUE(grey.create(width, height, 8, nimbra::image::jpg_type));
    EXPECT_TRUE(indexed.create(width, height, 8, nimbra::image::bmp_type));
    grey.get_palette().make_gray();
    const nimbra::COLORREF colours[4] = {0x000000FF, 0x0000FF00, 0x00FF0000, 0x00FFFFFF};
    indexed.get_palette().replace(colours, 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            grey.set_index(x, y, (x * 7 + y * 3) % 256);
            indexed.set_index(x, y, (x / 13 + y / 17) % 4);
        }
    EXPECT_TRUE(grey.save(stem + "-grey.jpeg"));
    EXPECT_TRUE(indexed.save(stem + "-indexed.BMP"));
    return {stem + ".jpg", stem + ".bmp", stem + "-grey.jpeg", stem + "-indexed.BMP"};
}

// The layer as the in-memory routine writes it, behind a few bytes of a host file.
std::vector<std::uint8_t> written_whole(const std::string& path) {
    std::unique_ptr<nimbra::image> picture;
    if (picture_kind_of(path) == picture_kind::jpeg)
        picture = std::make_unique<nimbra::jpg_image>();
    else
        picture = std::make_unique<nimbra::bmp_image>();
    EXPECT_TRUE(picture->load(path)) << path;
    picture_frames frames(*picture, 60);
    nimbra::write_layer layer;
    EXPECT_TRUE(build_rre_layer(frames, tilted(), layer)) << path;
    platform::CMemFile file;
    file.Write("host", 4);
    EXPECT_TRUE(layer.save(&file));
    return {file.GetBuffer(), file.GetBuffer() + file.GetLength()};
}

std::vector<std::uint8_t> written_streaming(const std::string& path, int threads, std::string* cause = nullptr,
                                            bool* unreadable = nullptr) {
    std::string why;
    std::unique_ptr<band_frames> frames = band_frames::open(path, picture_kind_of(path), 60, threads, why);
    // A picture refused by its header is as unreadable as one that fails further on.
    if (!frames) {
        if (cause) *cause = why;
        if (unreadable) *unreadable = true;
        return {};
    }
    platform::CMemFile file;
    file.Write("host", 4);
    const bool written = stream_rre_layer(*frames, tilted(), file, cause);
    if (unreadable) *unreadable = frames->picture_unreadable();
    if (!written) return {};
    return {file.GetBuffer(), file.GetBuffer() + file.GetLength()};
}

}  // namespace

TEST(StreamedExport, WritesTheBytesOfTheWholePictureExport) {
    test_support::recording_ui ui;
    test_support::temp_dir dir;
    // Grids of one frame and of many; strips left out on the right and at the bottom, or
    // none; a frame row shorter than a band of libjpeg's rows.
    for (auto [width, height] : {std::pair{130, 150}, std::pair{483, 517}, std::pair{240, 320}, std::pair{64, 9}}) {
        for (const std::string& path : picture_files(dir, width, height)) {
            const std::vector<std::uint8_t> expected = written_whole(path);
            for (int threads : {1, 2, 3})
                EXPECT_EQ(written_streaming(path, threads), expected) << path << " on " << threads << " threads";
        }
    }
    EXPECT_TRUE(ui.messages().empty());
}

TEST(StreamedExport, LayersExportFromTheirFileWhileItIsAsImported) {
    register_raster_layers();
    test_support::recording_ui ui;
    test_support::temp_dir dir;
    const std::string path = picture_files(dir, 410, 330)[0];
    const std::vector<std::uint8_t> expected = written_whole(path);
    auto layer_from_file = [&](bool header_only) {
        auto layer = std::make_unique<CSFLayerRRE>();
        EXPECT_EQ(header_only ? layer->import_raster_header("scan.jpg", path) : layer->ImportRaster("scan.jpg", path), 0);
        layer->m_trSnap = tilted();
        layer->set_quality(60);
        return layer;
    };
    auto document_record = [](CSFLayerRRE& layer) {
        platform::CMemFile file;
        layer.WriteDocument(file);
        return std::vector<std::uint8_t>(file.GetBuffer(), file.GetBuffer() + file.GetLength());
    };

    // Read from the file, from memory once the file has changed, or with only the header
    // read: one record, whose layer is the whole picture's.
    auto imported = layer_from_file(false);
    auto header_only = layer_from_file(true);
    EXPECT_EQ(header_only->get_picture_size(), (platform::CSize{410, 330}));
    EXPECT_FALSE(header_only->has_picture());
    const std::vector<std::uint8_t> streamed = document_record(*imported);
    EXPECT_EQ(document_record(*header_only), streamed);
    const std::size_t layer_start = 4 + 4 + 3 + 4 + 4;  // tag, name length, "RRE", index, bodies
    ASSERT_EQ(streamed.size(), layer_start + expected.size() - 4);
    EXPECT_TRUE(std::equal(expected.begin() + 4, expected.end(), streamed.begin() + layer_start));
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
    EXPECT_FALSE(imported->m_source.unchanged());
    EXPECT_EQ(document_record(*imported), streamed);
    EXPECT_FALSE(header_only->can_export());
    EXPECT_TRUE(document_record(*header_only).empty());

    // The stand-alone file of a layer with only its header read.
    CSFMap map;
    auto added = layer_from_file(true);
    added->m_pTransform = map.get_snap_transform();
    map.AddLayer(std::move(added));
    *map.get_snap_transform() = tilted();
    std::string cause;
    for (int threads : {1, 2}) {
        ASSERT_TRUE(export_raster_layer(map, dir.file("out.rre"), 60, &cause, threads)) << cause;
        EXPECT_EQ(test_support::read_bytes(dir.file("out.rre")), std::vector<std::uint8_t>(expected.begin() + 4, expected.end()));
    }
    EXPECT_TRUE(ui.messages().empty());
}

TEST(StreamedExport, DamagedPicturesFailAsTheyFailToLoad) {
    test_support::recording_ui ui;
    test_support::temp_dir dir;
    // 96 x 1000 pixels make frames down to row 979: a cut inside the frames, one in the last
    // rows below them, which only reading on after the frames finds, and bitmaps cut short.
    const std::vector<std::string> files = picture_files(dir, 96, 1000);
    for (const std::string& source : {files[0], files[1]}) {
        const std::vector<std::uint8_t> whole = test_support::read_bytes(source);
        const bool jpeg = picture_kind_of(source) == picture_kind::jpeg;
        for (const double kept : {0.4, 0.994}) {
            const std::string cut = dir.file(std::string("cut") + (jpeg ? ".jpg" : ".bmp"));
            const std::size_t length = static_cast<std::size_t>(static_cast<double>(whole.size()) * kept);
            test_support::write_bytes(cut, {whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)});
            nimbra::jpg_image as_jpeg;
            nimbra::bmp_image as_bitmap;
            ASSERT_FALSE(jpeg ? as_jpeg.load(cut) : as_bitmap.load(cut)) << cut << " " << kept;
            for (int threads : {1, 2}) {
                std::string cause;
                bool unreadable = false;
                EXPECT_TRUE(written_streaming(cut, threads, &cause, &unreadable).empty()) << kept;
                EXPECT_TRUE(unreadable) << kept << " " << cause;
                if (jpeg) {
                    EXPECT_NE(cause.find("Premature end of JPEG file"), std::string::npos) << cause;
                }
            }
        }
    }
    // Not a fault of the layer's structure: the one who reads the picture tells the operator.
    EXPECT_TRUE(ui.messages().empty());

    // A source given up half way stops its workers.
    std::string why;
    auto frames = band_frames::open(files[0], picture_kind::jpeg, 75, 2, why);
    ASSERT_TRUE(frames && frames->start(frame_grid::for_picture(96, 1000)));
    std::vector<std::uint8_t> body;
    EXPECT_TRUE(frames->next_frame(body));
    EXPECT_FALSE(body.empty());
    frames.reset();
}
