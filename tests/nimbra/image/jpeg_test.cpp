// JPEG through libjpeg: what djpeg decodes, what djpeg reads back, and failures.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

#include "nimbra/image/bmp_image.h"
#include "nimbra/image/jpg_image.h"
#include "platform/exceptions.h"
#include "platform/mem_file.h"
#include "tests/nimbra/image/jpeg_bytes.h"
#include "tests/nimbra/image/peer_tools.h"
#include "tests/support/files.h"

using namespace image_test;
using tarvel_tech::nimbra::jpg_image;

namespace {

constexpr int width = 67;  // neither a multiple of 8 nor of 4: partial blocks and row padding
constexpr int height = 45;

// A JPEG made by cjpeg from the structured picture with the given options.
std::string cjpeg_file(const test_support::temp_dir& dir, const std::vector<std::string>& options) {
    write_ppm(dir.file("source.ppm"), structured_picture(width, height));
    std::vector<std::string> args = options;
    args.insert(args.end(), {"-outfile", dir.file("made.jpg"), dir.file("source.ppm")});
    run_tool("cjpeg", args);
    return dir.file("made.jpg");
}

// The picture as djpeg sees it, as RGB for comparing with pixels_of.
raster as_rgb(const raster& r) {
    if (r.channels == 3) return r;
    raster out{r.width, r.height, 3, {}};
    for (std::uint8_t v : r.bytes) out.bytes.insert(out.bytes.end(), {v, v, v});
    return out;
}

// A file whose reads fail after a number of bytes, as a disk error would.
class failing_file : public platform::CMemFile {
public:
    failing_file(const std::uint8_t* bytes, std::size_t size, std::size_t good)
        : platform::CMemFile(bytes, size), good_(good) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        if (GetPosition() + count > good_) throw platform::CFileException(platform::CFileException::hardIO, "disk");
        return platform::CMemFile::Read(buffer, count);
    }

private:
    std::size_t good_;
};

}  // namespace

TEST(JpegDecode, PixelsEqualDjpegForFilesOtherProgramsWrite) {
    struct variant {
        const char* name;
        std::vector<std::string> cjpeg_options;
        int bits;
    };
    const variant variants[] = {
        {"colour", {"-quality", "85"}, 24},
        {"greyscale", {"-grayscale"}, 8},
        {"progressive", {"-progressive"}, 24},
        {"restart markers", {"-restart", "1", "-sample", "1x1"}, 24},
        {"optimised, 4:4:4", {"-optimize", "-sample", "1x1"}, 24},
    };
    for (const variant& v : variants) {
        SCOPED_TRACE(v.name);
        test_support::temp_dir dir;
        const std::string path = cjpeg_file(dir, v.cjpeg_options);
        jpg_image img;
        ASSERT_TRUE(img.load(path));
        EXPECT_EQ(img.get_info().biBitCount, v.bits);
        EXPECT_EQ(img.get_exinfo().image_type, 2);
        EXPECT_EQ(max_difference(pixels_of(img), as_rgb(djpeg_pixels(path))), 0);
        if (v.bits == 8) {
            EXPECT_TRUE(img.get_palette().is_gray_scale());
        }
    }
}

TEST(JpegDecode, CmykFromImageMagickShowsItsColours) {
    test_support::temp_dir dir;
    write_ppm(dir.file("source.ppm"), structured_picture(width, height));
    run_tool("convert", {dir.file("source.ppm"), "-colorspace", "CMYK", dir.file("cmyk.jpg")});
    jpg_image img;
    ASSERT_TRUE(img.load(dir.file("cmyk.jpg")));
    EXPECT_EQ(img.get_info().biBitCount, 24);
    // djpeg rounds C x K / 255 where the library truncates: at most one step apart.
    EXPECT_LE(max_difference(pixels_of(img), djpeg_pixels(dir.file("cmyk.jpg"))), 1);
}

TEST(JpegEncode, DjpegReadsWhatTheLibraryWrites) {
    test_support::temp_dir dir;
    const raster picture = structured_picture(width, height);
    jpg_image img;
    ASSERT_NE(img.create(width, height, 24, 2), nullptr);
    fill_image(img, picture);
    img.get_exinfo().quality = 92;
    ASSERT_TRUE(img.save(dir.file("ours.jpg")));

    const raster seen = djpeg_pixels(dir.file("ours.jpg"));
    jpg_image back;
    ASSERT_TRUE(back.load(dir.file("ours.jpg")));
    EXPECT_EQ(max_difference(pixels_of(back), seen), 0);
    // cjpeg compresses the same pixels with the same settings to the same picture: rows
    // and colours went to libjpeg in the right order.
    EXPECT_EQ(max_difference(seen, djpeg_pixels(cjpeg_file(dir, {"-quality", "92"}))), 0);
    EXPECT_EQ(back.get_exinfo().xdpi, 72);

    // The memory form answers exactly the JPEG data.
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t length = 0;
    ASSERT_TRUE(img.encode(bytes, length));
    const auto file = test_support::read_bytes(dir.file("ours.jpg"));
    ASSERT_EQ(length, file.size());
    EXPECT_EQ(std::memcmp(bytes.get(), file.data(), length), 0);

    // A one-pixel picture's JPEG is longer than its bitmap; the memory form still holds it.
    jpg_image dot;
    dot.create(1, 1, 24, 2);
    ASSERT_TRUE(dot.encode(bytes, length));
    EXPECT_GT(length, 14 + dot.size());
    EXPECT_EQ(bytes[length - 1], 0xD9);
}

TEST(JpegEncode, GreyRampsWriteOneComponentAndColourPalettesAreRefused) {
    test_support::temp_dir dir;
    jpg_image grey;
    grey.create(16, 8, 8, 2);
    grey.get_palette().make_gray();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) grey.set_index(x, y, x * 16);
    ASSERT_TRUE(grey.save(dir.file("grey.jpg")));
    const raster seen = djpeg_pixels(dir.file("grey.jpg"));
    EXPECT_EQ(seen.channels, 1);
    EXPECT_LE(max_difference(as_rgb(seen), pixels_of(grey)), 3);

    jpg_image colour;
    colour.create(4, 4, 8, 2);
    colour.get_palette().replace_index(1, 255, 0, 0);
    EXPECT_FALSE(colour.save(dir.file("colour.jpg")));
    EXPECT_STREQ(jpg_image::get_last_error(), "JPEG can save only RGB or GreyScale images");
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t length = 0;
    EXPECT_FALSE(colour.encode(bytes, length));
    EXPECT_FALSE(bytes);
}

TEST(JpegDecode, DotsPerCentimetreBecomeDotsPerInch) {
    jpg_image img;
    img.create(8, 8, 24, 2);
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t length = 0;
    ASSERT_TRUE(img.encode(bytes, length));
    // The JFIF segment: FF D8, FF E0, length, "JFIF\0", version, then unit and densities.
    ASSERT_EQ(std::memcmp(bytes.get() + 6, "JFIF", 4), 0);
    EXPECT_EQ(bytes[13], 1);
    bytes[13] = 2;
    bytes[14] = 0;
    bytes[15] = 40;
    bytes[16] = 0;
    bytes[17] = 118;
    jpg_image back;
    ASSERT_TRUE(back.decode(bytes.get(), length));
    EXPECT_EQ(back.get_exinfo().xdpi, 101);
    EXPECT_EQ(back.get_exinfo().ydpi, 299);
}

// The rows a failure message says are present ("R of H rows present"); at_most when the
// size was refused before decoding.
static int rows_present(const std::string& message, int height, bool* at_most = nullptr) {
    const std::string tail = " of " + std::to_string(height) + " rows present";
    const std::size_t end = message.find(tail);
    if (message.rfind("Premature end of JPEG file", 0) != 0 || end == std::string::npos) {
        ADD_FAILURE() << message;
        return -1;
    }
    std::size_t begin = end;
    while (begin > 0 && std::isdigit(static_cast<unsigned char>(message[begin - 1]))) --begin;
    if (at_most) *at_most = message.compare(0, begin, "Premature end of JPEG file: at most ") == 0;
    return std::stoi(message.substr(begin, end - begin));
}

TEST(JpegDecode, CutDataFailsWithTheRowsPresentAsDjpegShowsThem) {
    constexpr int tall = 157;  // ten 16-row bands of 4:2:0 colour, twenty 8-row ones of grey
    test_support::temp_dir dir;
    write_ppm(dir.file("tall.ppm"), structured_picture(width, tall));
    for (const bool grey : {false, true}) {
        SCOPED_TRACE(grey ? "greyscale" : "colour");
        const int band = grey ? 8 : 16;
        std::vector<std::string> args{"-outfile", dir.file("whole.jpg"), dir.file("tall.ppm")};
        if (grey) args.insert(args.begin(), "-grayscale");
        run_tool("cjpeg", args);
        const auto whole = test_support::read_bytes(dir.file("whole.jpg"));
        // Without fancy upsampling a row depends on its own band only.
        const raster reference = djpeg_pixels(dir.file("whole.jpg"), {"-nosmooth"});
        const std::size_t row_bytes = static_cast<std::size_t>(width) * reference.channels;

        const std::size_t data = jpeg_scan_data_start(whole);
        ASSERT_GT(data, 0u);
        for (int k = 0; k < 8; ++k) {
            SCOPED_TRACE(k);
            std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(data + (whole.size() - 2 - data) * k / 8));
            jpg_image img;
            EXPECT_FALSE(img.decode(cut.data(), cut.size()));
            bool at_most = false;
            const int present = rows_present(jpg_image::get_last_error(), tall, &at_most);
            if (at_most) {
                EXPECT_EQ(k, 0);  // no data at all: refused by its size alone
                continue;
            }
            // An end marker put after the cut changes nothing.
            auto ended = cut;
            ended.insert(ended.end(), {0xFF, 0xD9});
            EXPECT_FALSE(img.decode(ended.data(), ended.size()));
            EXPECT_EQ(rows_present(jpg_image::get_last_error(), tall), present);
            // djpeg fills what is missing with grey: the rows present are those it shows as
            // in the whole file, and the next band is not.
            ASSERT_EQ(present % band, 0);
            test_support::write_bytes(dir.file("cut.jpg"), cut);
            const raster seen = djpeg_pixels(dir.file("cut.jpg"), {"-nosmooth"});
            ASSERT_EQ(seen.bytes.size(), reference.bytes.size());
            EXPECT_EQ(std::memcmp(seen.bytes.data(), reference.bytes.data(), row_bytes * present), 0);
            const int next = std::min(band, tall - present);
            EXPECT_NE(std::memcmp(seen.at(0, present), reference.at(0, present), row_bytes * next), 0);
        }

        // A file that lacks no more than its end marker holds every row.
        std::vector<std::uint8_t> unended(whole.begin(), whole.end() - 2);
        jpg_image img;
        ASSERT_TRUE(img.decode(unended.data(), unended.size())) << jpg_image::get_last_error();
        EXPECT_EQ(max_difference(pixels_of(img), as_rgb(djpeg_pixels(dir.file("whole.jpg")))), 0);
    }

    // A progressive file cut in a later scan names that scan.
    const auto progressive = test_support::read_bytes(cjpeg_file(dir, {"-progressive"}));
    std::vector<std::uint8_t> cut(progressive.begin(), progressive.begin() + static_cast<std::ptrdiff_t>(progressive.size() * 3 / 4));
    jpg_image img;
    EXPECT_FALSE(img.decode(cut.data(), cut.size()));
    EXPECT_NE(std::string(jpg_image::get_last_error()).find("in scan"), std::string::npos) << jpg_image::get_last_error();
    EXPECT_GE(rows_present(jpg_image::get_last_error(), height), 0);
}

TEST(JpegDecode, DeclaredSizeMustBeCarriedByTheData) {
    test_support::temp_dir dir;
    struct bad {
        const char* name;
        std::vector<std::string> options;
        int size;
    };
    // Frame headers that declare far more than their few hundred bytes of data carry, with
    // and without that data: each is refused before the picture is allocated.
    const bad hostile[] = {
        {"greyscale", {"-grayscale"}, 65500},
        {"colour", {}, 30000},
        {"progressive", {"-progressive"}, 20000},
        {"arithmetic", {"-arithmetic", "-grayscale"}, 65500},
    };
    for (const bad& b : hostile) {
        SCOPED_TRACE(b.name);
        auto bytes = test_support::read_bytes(cjpeg_file(dir, b.options));
        ASSERT_TRUE(set_jpeg_frame_size(bytes, b.size, b.size));
        std::vector<std::uint8_t> headers_only(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(jpeg_scan_data_start(bytes)));
        for (const auto* file : {&bytes, &headers_only}) {
            jpg_image img;
            EXPECT_FALSE(img.decode(file->data(), file->size()));
            bool at_most = false;
            EXPECT_LT(rows_present(jpg_image::get_last_error(), b.size, &at_most), b.size / 100);
            EXPECT_TRUE(at_most);
            EXPECT_FALSE(img.begin());
        }
    }

    // Flat pictures come as close to the bound as honest files can: an optimised Huffman
    // code spends exactly one bit on each DC and one on each end of block.
    const int side = 2048;
    std::vector<std::uint8_t> flat = {'P', '5', '\n', '2', '0', '4', '8', ' ', '2', '0', '4', '8', '\n', '2', '5', '5', '\n'};
    flat.resize(flat.size() + static_cast<std::size_t>(side) * side, 77);
    test_support::write_bytes(dir.file("flat.pgm"), flat);
    for (const char* option : {"-optimize", "-progressive", "-arithmetic"}) {
        SCOPED_TRACE(option);
        run_tool("cjpeg", {option, "-outfile", dir.file("flat.jpg"), dir.file("flat.pgm")});
        jpg_image img;
        ASSERT_TRUE(img.load(dir.file("flat.jpg"))) << jpg_image::get_last_error();
        EXPECT_EQ(img.get_info().biWidth, side);
        EXPECT_EQ(img.get_index(side - 1, 0), 77);
    }
}

TEST(JpegDecode, FilesLibjpegRejectsAnswerFalseWithItsMessage) {
    jpg_image img;
    const std::uint8_t nothing[1] = {};
    EXPECT_FALSE(img.decode(nothing, 0));
    EXPECT_STREQ(jpg_image::get_last_error(), "Empty input file");

    const std::uint8_t bitmap[4] = {'B', 'M', 0, 0};
    EXPECT_FALSE(img.decode(bitmap, sizeof bitmap));
    EXPECT_STREQ(jpg_image::get_last_error(), "Not a JPEG file: starts with 0x42 0x4d");

    // Only the start of a header: libjpeg gives up on the missing frame.
    const std::uint8_t start[2] = {0xFF, 0xD8};
    EXPECT_FALSE(img.decode(start, sizeof start));
    EXPECT_NE(std::strlen(jpg_image::get_last_error()), 0u);
    EXPECT_FALSE(img.decode(static_cast<platform::CFile*>(nullptr)));
    EXPECT_FALSE(img.save(std::string("/nonexistent-dir/x.jpg")));
}

TEST(JpegDecode, GarbageAfterAValidHeaderNeverCrashes) {
    test_support::temp_dir dir;
    const auto whole = test_support::read_bytes(cjpeg_file(dir, {"-progressive"}));
    std::uint32_t seed = 99;
    for (int round = 0; round < 300; ++round) {
        auto bytes = whole;
        for (int i = 0; i < 6; ++i) {
            seed = seed * 1103515245u + 12345u;
            bytes[(seed >> 8) % bytes.size()] = static_cast<std::uint8_t>(seed >> 24);
        }
        jpg_image img;
        img.decode(bytes.data(), bytes.size());
    }
}

TEST(JpegDecode, PlatformErrorsLeaveThroughTheCodecAfterCleanUp) {
    test_support::temp_dir dir;
    const auto whole = test_support::read_bytes(cjpeg_file(dir, {}));
    failing_file file(whole.data(), whole.size(), 100);
    jpg_image img;
    EXPECT_THROW(img.decode(&file), platform::CFileException);

    // A destination that cannot take the bytes: the memory window is too small.
    jpg_image big;
    big.create(64, 64, 24, 2);
    big.clear();
    std::vector<std::uint8_t> small(100);
    platform::CMemFile window(small.data(), small.size());
    EXPECT_THROW(big.encode(&window), platform::CFileException);
}
