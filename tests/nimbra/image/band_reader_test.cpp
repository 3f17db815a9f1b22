// Reading a picture's header alone, and reading it in bands: both must give exactly what
// decoding the whole picture gives.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "nimbra/image/band_reader.h"
#include "nimbra/image/bmp_image.h"
#include "nimbra/image/jpg_image.h"
#include "nimbra/image/ycc_band.h"
#include "platform/endian.h"
#include "platform/mem_file.h"
#include "tests/nimbra/image/jpeg_bytes.h"
#include "tests/nimbra/image/peer_tools.h"
#include "tests/support/files.h"

using namespace image_test;
using tarvel_tech::nimbra::band_reader;
using tarvel_tech::nimbra::bmp_band_reader;
using tarvel_tech::nimbra::bmp_image;
using tarvel_tech::nimbra::image;
using tarvel_tech::nimbra::jpg_band_reader;
using tarvel_tech::nimbra::jpg_image;
using tarvel_tech::nimbra::picture_header;
using tarvel_tech::nimbra::ycc_band;

namespace {

struct sample {
    std::string name;
    std::vector<std::uint8_t> bytes;
    bool bitmap;
};

// The same bitmap stored top row first.
std::vector<std::uint8_t> top_down_twin(const std::vector<std::uint8_t>& b) {
    using namespace platform::endian;
    const std::uint32_t offset = get_le32(&b[10]);
    const std::int32_t width = get_le_i32(&b[18]), height = get_le_i32(&b[22]);
    const std::size_t stride = (static_cast<std::size_t>(width) * get_le16(&b[28]) + 31) / 32 * 4;
    std::vector<std::uint8_t> out(b);
    for (std::int32_t y = 0; y < height; ++y)
        std::memcpy(&out[offset + stride * y], &b[offset + stride * (height - 1 - y)], stride);
    put_le32(&out[22], static_cast<std::uint32_t>(-height));
    return out;
}

constexpr int width = 61, height = 83;  // odd: partial blocks, row padding at every depth

// Pictures in the kinds the codecs read, made by peer tools once for all tests.
std::vector<sample> make_samples() {
    test_support::temp_dir dir;
    write_ppm(dir.file("source.ppm"), structured_picture(width, height));
    std::vector<sample> out;
    const std::vector<std::pair<std::string, std::vector<std::string>>> jpegs = {
        {"jpeg 4:2:0", {}},
        {"jpeg 4:2:2", {"-sample", "2x1"}},
        {"jpeg grey", {"-grayscale"}},
        {"jpeg 4:4:4 restarts", {"-sample", "1x1", "-restart", "1"}},
        {"jpeg progressive", {"-progressive"}},
    };
    for (const auto& [name, options] : jpegs) {
        std::vector<std::string> args = options;
        args.insert(args.end(), {"-outfile", dir.file("made.jpg"), dir.file("source.ppm")});
        run_tool("cjpeg", args);
        out.push_back({name, test_support::read_bytes(dir.file("made.jpg")), false});
    }
    run_tool("convert", {dir.file("source.ppm"), "-colorspace", "CMYK", dir.file("cmyk.jpg")});
    out.push_back({"jpeg cmyk", test_support::read_bytes(dir.file("cmyk.jpg")), false});

    const std::vector<std::pair<std::string, std::vector<std::string>>> bitmaps = {
        {"bmp 1-bit", {"-type", "bilevel", "BMP3:"}},
        {"bmp 4-bit", {"-colors", "16", "-type", "palette", "BMP3:"}},
        {"bmp 8-bit", {"-colors", "200", "-type", "palette", "-compress", "None", "BMP3:"}},
        {"bmp 8-bit run-length", {"-colors", "200", "-type", "palette", "-compress", "RLE", "BMP3:"}},
        {"bmp 16-bit 565", {"-define", "bmp:subtype=RGB565", ""}},
        {"bmp 24-bit", {"-type", "truecolor", "BMP3:"}},
        {"bmp 32-bit", {"-alpha", "set", ""}},
        {"bmp core 8-bit", {"-colors", "200", "-type", "palette", "BMP2:"}},
    };
    for (const auto& [name, options] : bitmaps) {
        std::vector<std::string> args{dir.file("source.ppm")};
        args.insert(args.end(), options.begin(), options.end() - 1);
        args.push_back(options.back() + dir.file("made.bmp"));
        run_tool("convert", args);
        out.push_back({name, test_support::read_bytes(dir.file("made.bmp")), true});
    }
    for (const char* name : {"bmp 8-bit", "bmp 24-bit"})
        for (const sample& s : std::vector<sample>(out))
            if (s.name == name) out.push_back({s.name + " top-down", top_down_twin(s.bytes), true});
    return out;
}

const std::vector<sample>& samples() {
    static const std::vector<sample> made = make_samples();
    return made;
}

std::unique_ptr<image> codec_for(const sample& s) {
    if (s.bitmap) return std::make_unique<bmp_image>();
    return std::make_unique<jpg_image>();
}

std::unique_ptr<image> whole_picture(const sample& s) {
    auto img = codec_for(s);
    EXPECT_TRUE(img->decode(s.bytes.data(), s.bytes.size()));
    return img;
}

std::unique_ptr<band_reader> reader_for(const sample& s) {
    if (s.bitmap) return std::make_unique<bmp_band_reader>();
    return std::make_unique<jpg_band_reader>();
}

void expect_header_of(const picture_header& h, const image& whole) {
    EXPECT_EQ(h.width, whole.get_info().biWidth);
    EXPECT_EQ(h.height, whole.get_info().biHeight);
    EXPECT_EQ(h.bit_count, whole.get_info().biBitCount);
    EXPECT_EQ(h.palette_entries, whole.get_info().biClrUsed);
    EXPECT_EQ(h.xdpi, whole.get_exinfo().xdpi);
    EXPECT_EQ(h.ydpi, whole.get_exinfo().ydpi);
    EXPECT_EQ(h.image_type, whole.get_exinfo().image_type);
}

bool same_block(const image& a, const image& b) {
    return a.size() == b.size() && std::memcmp(*a, *b, a.size()) == 0;
}

}  // namespace

TEST(PictureHeader, RefusesWhatTheDecoderRefuses) {
    auto find = [&](const std::string& name) {
        for (const sample& s : samples())
            if (s.name == name) return s.bytes;
        ADD_FAILURE() << name;
        return std::vector<std::uint8_t>{};
    };
    const auto jpeg = find("jpeg 4:2:0");
    const auto rle = find("bmp 8-bit run-length");
    const auto plain = find("bmp 24-bit");
    auto huge = jpeg;
    set_jpeg_frame_size(huge, 30000, 30000);
    auto bad_compression = plain;
    bad_compression[30] = 1;
    const std::vector<sample> bad = {
        {"jpeg cut mid-scan", {jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() * 2 / 3)}, false},
        {"jpeg cut after its scan header", {jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg_scan_data_start(jpeg))}, false},
        {"jpeg declaring 30000 x 30000", huge, false},
        {"not a jpeg", plain, false},
        {"bitmap cut in its pixels", {plain.begin(), plain.end() - 200}, true},
        {"bitmap cut in its header", {plain.begin(), plain.begin() + 30}, true},
        {"24-bit bitmap with run-length compression", bad_compression, true},
        {"run-length data cut short", {rle.begin(), rle.begin() + static_cast<std::ptrdiff_t>(rle.size() / 2)}, true},
    };
    for (const sample& s : bad) {
        SCOPED_TRACE(s.name);
        EXPECT_FALSE(codec_for(s)->decode(s.bytes.data(), s.bytes.size()));
        platform::CMemFile file(s.bytes.data(), s.bytes.size());
        picture_header h;
        EXPECT_FALSE(s.bitmap ? bmp_image::read_header(&file, h) : jpg_image::read_header(&file, h));
        // The band reader refuses the file, or fails at the band where it breaks.
        platform::CMemFile again(s.bytes.data(), s.bytes.size());
        const auto reader = reader_for(s);
        jpg_image band;
        if (reader->open(&again))
            while (reader->read_band(band, 8)) {
            }
        EXPECT_FALSE(reader->at_end());
        EXPECT_FALSE(reader->get_error().empty());
    }
}

TEST(BandReader, HeaderAndBandsAreWhatTheWholeDecodeGives) {
    for (const sample& s : samples()) {
        SCOPED_TRACE(s.name);
        const auto whole = whole_picture(s);
        platform::CMemFile header_file(s.bytes.data(), s.bytes.size());
        picture_header h;
        ASSERT_TRUE(s.bitmap ? bmp_image::read_header(&header_file, h) : jpg_image::read_header(&header_file, h));
        expect_header_of(h, *whole);
        const std::size_t line = whole->get_exinfo().line_bytes;
        for (const int rows : {1, 16, 37}) {
            SCOPED_TRACE(rows);
            platform::CMemFile file(s.bytes.data(), s.bytes.size());
            const auto reader = reader_for(s);
            ASSERT_TRUE(reader->open(&file)) << reader->get_error();
            expect_header_of(reader->get_header(), *whole);
            // The band keeps its class: a JPEG band of a bitmap, as the export would use it.
            jpg_image band;
            int top = 0;
            while (reader->read_band(band, rows)) {
                const int h = band.get_info().biHeight;
                ASSERT_EQ(h, std::min(rows, height - top));
                EXPECT_EQ(band.get_info().biBitCount, whole->get_info().biBitCount);
                EXPECT_EQ(std::memcmp(*band + 40, **whole + 40, whole->get_info().biClrUsed * 4), 0);
                for (int y = 0; y < h; ++y)
                    ASSERT_EQ(std::memcmp(band.row(h - 1 - y), whole->row(height - 1 - top - y), line), 0) << top + y;
                // A frame cut from the band is the frame cut from the whole picture.
                const auto from_band = band.excise(3, 0, width - 2, h);
                const auto from_whole = whole->excise(3, top, width - 2, top + h);
                ASSERT_TRUE(from_band && from_whole);
                EXPECT_TRUE(same_block(*from_band, *from_whole));
                top += h;
            }
            EXPECT_TRUE(reader->at_end()) << reader->get_error();
            EXPECT_EQ(top, height);
        }
    }
}

// Planes turned into pixels, whole rows or any columns of them, and bands read as pixels
// through the planes: byte for byte what libjpeg's own decoding gives, at the picture's
// edges and the bands' edges alike. Pictures libjpeg would smooth differently (grey, CMYK,
// progressive, chroma two samples wide) are read as pixels.
TEST(BandReader, PlanesGiveThePixelsOfTheWholeDecode) {
    std::vector<sample> jpegs;
    for (const sample& s : samples())
        if (!s.bitmap) jpegs.push_back(s);
    test_support::temp_dir dir;
    for (const int narrow : {5, 4}) {
        write_ppm(dir.file("narrow.ppm"), structured_picture(narrow, 9));
        run_tool("cjpeg", {"-outfile", dir.file("narrow.jpg"), dir.file("narrow.ppm")});
        jpegs.push_back({"jpeg 4:2:0 " + std::to_string(narrow) + " wide", test_support::read_bytes(dir.file("narrow.jpg")), false});
    }
    for (const bool vectors : {true, false})
    for (const sample& s : jpegs) {
        SCOPED_TRACE(s.name + (ycc_band::use_vectors(vectors) ? ", vectors" : ", portable"));
        const auto whole = whole_picture(s);
        const int w = whole->get_info().biWidth, h = whole->get_info().biHeight;
        const bool planar = s.name.find("4:") != std::string::npos && s.name.find("4 wide") == std::string::npos;
        for (const int rows : {1, 2, 15, 37}) {
            SCOPED_TRACE(rows);
            platform::CMemFile file(s.bytes.data(), s.bytes.size());
            jpg_band_reader reader;
            reader.prefer_planes(true);
            ASSERT_TRUE(reader.open(&file)) << reader.get_error();
            ASSERT_EQ(reader.gives_planes(), planar);
            if (!planar) continue;
            ycc_band band;
            jpg_image pixels;
            int top = 0;
            // Every other band is read as pixels.
            for (int i = 0; !reader.at_end(); ++i) {
                int got = 0;
                if (i % 2 == 0) {
                    ASSERT_TRUE(reader.read_ycc_band(band, rows)) << reader.get_error();
                    got = band.rows;
                    for (const auto& [left, count] : std::vector<std::pair<int, int>>{{0, w}, {1, w - 2}, {2, w - 2}, {w - 3, 3}}) {
                        ASSERT_TRUE(band.to_bgr(left, count, pixels));
                        for (int y = 0; y < got; ++y)
                            ASSERT_EQ(std::memcmp(pixels.row(got - 1 - y), whole->row(h - 1 - top - y) + left * 3,
                                                  static_cast<std::size_t>(count) * 3),
                                      0)
                                << "row " << top + y << " columns from " << left;
                    }
                } else {
                    ASSERT_TRUE(reader.read_band(pixels, rows)) << reader.get_error();
                    got = pixels.get_info().biHeight;
                    for (int y = 0; y < got; ++y)
                        ASSERT_EQ(std::memcmp(pixels.row(got - 1 - y), whole->row(h - 1 - top - y),
                                              static_cast<std::size_t>(w) * 3),
                                  0)
                            << "row " << top + y;
                }
                top += got;
            }
            EXPECT_EQ(top, h);
            EXPECT_FALSE(reader.read_ycc_band(band, rows));
        }
    }
    ycc_band::use_vectors(true);
}

// Every luma and chroma value, smoothed across and down or not at all: the vector
// instructions give the portable code's pixels (which the test above holds to libjpeg's).
TEST(BandReader, PlanesGiveTheSamePixelsWithAndWithoutVectors) {
    if (!ycc_band::use_vectors(true)) GTEST_SKIP() << "no vector instructions here";
    for (const int factor : {1, 2}) {
        SCOPED_TRACE(factor);
        ycc_band band;
        band.width = 256 * 256 + 5;  // odd, to end within a vector
        band.rows = 256;
        band.h_factor = band.v_factor = factor;
        band.chroma_width = (band.width + factor - 1) / factor;
        band.chroma_height = band.rows / factor;
        band.chroma_rows = band.chroma_height;
        band.luma_stride = static_cast<std::size_t>(band.width);
        band.chroma_stride = static_cast<std::size_t>(band.chroma_width);
        const std::size_t luma = static_cast<std::size_t>(band.width) * band.rows;
        const std::size_t chroma = static_cast<std::size_t>(band.chroma_width) * band.chroma_height;
        band.luma.resize(luma + ycc_band::slack);
        band.cb.resize(chroma + ycc_band::slack);
        band.cr.resize(chroma + ycc_band::slack);
        // Luma runs through its values down the rows, the chroma pairs through theirs across.
        for (std::size_t i = 0; i < luma; ++i) band.luma[i] = static_cast<std::uint8_t>(i / band.width + i % 3);
        for (std::size_t i = 0; i < chroma; ++i) {
            band.cb[i] = static_cast<std::uint8_t>(i % band.chroma_width);
            band.cr[i] = static_cast<std::uint8_t>(i % band.chroma_width / 256 + i / band.chroma_width * 7);
        }
        jpg_image fast, portable;
        for (const auto& [left, count] : std::vector<std::pair<int, int>>{{1, band.width - 1}, {116, 116}, {3, 37}}) {
            ASSERT_TRUE(ycc_band::use_vectors(true));
            ASSERT_TRUE(band.to_bgr(left, count, fast));
            ASSERT_FALSE(ycc_band::use_vectors(false));
            ASSERT_TRUE(band.to_bgr(left, count, portable));
            for (int y = 0; y < band.rows; ++y)
                ASSERT_EQ(std::memcmp(fast.row(y), portable.row(y), static_cast<std::size_t>(count) * 3), 0)
                    << "row " << y << " columns from " << left;
        }
        ycc_band::use_vectors(true);
        // A band that does not hold what its rows are made from makes no pixels.
        const std::vector<std::function<void(ycc_band&)>> damage = {
            [](ycc_band& b) { b.luma_stride = static_cast<std::size_t>(b.width) - 1; },
            [](ycc_band& b) { b.luma.resize(b.luma.size() - ycc_band::slack); },
            [](ycc_band& b) { b.cr.resize(b.cr.size() / 2); },
            [](ycc_band& b) { b.chroma_first = 1; },
            [](ycc_band& b) { b.chroma_width += 1; },
            [](ycc_band& b) { b.h_factor = 1, b.v_factor = 2; },
            [](ycc_band& b) { b.h_factor = 3; },
        };
        for (std::size_t d = 0; d < damage.size(); ++d) {
            ycc_band broken = band;
            damage[d](broken);
            EXPECT_FALSE(broken.to_bgr(0, 16, fast)) << "damage " << d;
        }
    }
}
