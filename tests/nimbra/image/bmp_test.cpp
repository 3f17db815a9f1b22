// Windows bitmaps: every variant other programs write, our own round trip, and bad files.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "nimbra/image/bmp_image.h"
#include "platform/endian.h"
#include "platform/mem_file.h"
#include "tests/nimbra/image/peer_tools.h"
#include "tests/support/files.h"

using namespace image_test;
using tarvel_tech::nimbra::bmp_image;
using tarvel_tech::nimbra::RGBQUAD;

namespace {

constexpr int source_width = 61;  // odd, so rows carry padding at every depth
constexpr int source_height = 37;

struct variant {
    const char* name;
    std::vector<std::string> options;  // ImageMagick options and the output format prefix
    int header_size;
    int file_bits;
    int compression;
    int image_bits;   // depth of the decoded image
    int red_bits;     // significant bits per channel of the file, 8 when exact
    int green_bits;
};

const variant variants[] = {
    {"1-bit", {"-type", "bilevel", "BMP3:"}, 40, 1, 0, 1, 8, 8},
    {"4-bit", {"-colors", "16", "-type", "palette", "BMP3:"}, 40, 4, 0, 4, 8, 8},
    {"8-bit", {"-colors", "200", "-type", "palette", "-compress", "None", "BMP3:"}, 40, 8, 0, 8, 8, 8},
    {"8-bit run-length", {"-colors", "200", "-type", "palette", "-compress", "RLE", "BMP3:"}, 40, 8, 1, 8, 8, 8},
    {"8-bit run-length, long header", {"-colors", "200", "-type", "palette", "-compress", "RLE", ""}, 124, 8, 1, 8, 8, 8},
    {"16-bit 555", {"-define", "bmp:subtype=RGB555", ""}, 124, 16, 3, 24, 5, 5},
    {"16-bit 565", {"-define", "bmp:subtype=RGB565", ""}, 124, 16, 3, 24, 5, 6},
    {"24-bit", {"-type", "truecolor", "BMP3:"}, 40, 24, 0, 24, 8, 8},
    {"24-bit, long header", {"-type", "truecolor", ""}, 124, 24, 0, 24, 8, 8},
    {"32-bit with bit fields", {"-alpha", "set", ""}, 124, 32, 3, 24, 8, 8},
    {"core header 4-bit", {"-colors", "16", "-type", "palette", "BMP2:"}, 12, 4, 0, 4, 8, 8},
    {"core header 8-bit", {"-colors", "200", "-type", "palette", "BMP2:"}, 12, 8, 0, 8, 8, 8},
    {"core header 24-bit", {"-type", "truecolor", "BMP2:"}, 12, 24, 0, 24, 8, 8},
};

std::string make_variant(const test_support::temp_dir& dir, const variant& v) {
    const std::string source = dir.file("source.ppm");
    write_ppm(source, structured_picture(source_width, source_height));
    std::vector<std::string> args{source};
    args.insert(args.end(), v.options.begin(), v.options.end() - 1);
    const std::string out = dir.file("out.bmp");
    args.push_back(v.options.back() + out);
    run_tool("convert", args);
    return out;
}

// Keeps the significant bits of every channel, as a file of few bits per channel holds them.
raster significant(raster r, int red_bits, int green_bits) {
    const int bits[3] = {red_bits, green_bits, red_bits};
    for (std::size_t i = 0; i < r.bytes.size(); ++i)
        r.bytes[i] = static_cast<std::uint8_t>(r.bytes[i] & (0xFF << (8 - bits[i % 3])));
    return r;
}

bmp_image decode_bytes(const std::vector<std::uint8_t>& bytes, bool* ok = nullptr) {
    bmp_image img;
    const bool done = img.decode(bytes.data(), bytes.size());
    if (ok) *ok = done;
    return img;
}

void put_le32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) { platform::endian::put_le32(&b[at], v); }
void put_le16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) { platform::endian::put_le16(&b[at], v); }

// A bitmap file built field by field: header, palette and pixel data as given.
std::vector<std::uint8_t> bitmap_file(int width, int height, int bits, int compression,
                                      const std::vector<std::uint8_t>& palette, const std::vector<std::uint8_t>& data,
                                      std::uint32_t colours_used = 0) {
    std::vector<std::uint8_t> b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    put_le32(b, 2, static_cast<std::uint32_t>(54 + palette.size() + data.size()));
    put_le32(b, 10, static_cast<std::uint32_t>(54 + palette.size()));
    put_le32(b, 14, 40);
    put_le32(b, 18, static_cast<std::uint32_t>(width));
    put_le32(b, 22, static_cast<std::uint32_t>(height));
    put_le16(b, 26, 1);
    put_le16(b, 28, static_cast<std::uint16_t>(bits));
    put_le32(b, 30, static_cast<std::uint32_t>(compression));
    put_le32(b, 34, static_cast<std::uint32_t>(data.size()));
    put_le32(b, 38, 2835);
    put_le32(b, 42, 2835);
    put_le32(b, 46, colours_used);
    b.insert(b.end(), palette.begin(), palette.end());
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

// A 256-entry palette where entry i is (i, i, i).
std::vector<std::uint8_t> grey_palette(int count = 256) {
    std::vector<std::uint8_t> p;
    for (int i = 0; i < count; ++i) p.insert(p.end(), {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0});
    return p;
}

// Indices of an 8- or 4-bit image, top row first.
std::vector<int> indices_of(const bmp_image& img) {
    std::vector<int> out;
    for (int y = img.get_info().biHeight - 1; y >= 0; --y)
        for (int x = 0; x < img.get_info().biWidth; ++x) out.push_back(img.get_index(x, y));
    return out;
}

}  // namespace

TEST(BmpDecode, EveryVariantOtherWritersProduceShowsAsImageMagickReadsIt) {
    for (const variant& v : variants) {
        SCOPED_TRACE(v.name);
        test_support::temp_dir dir;
        const std::string path = make_variant(dir, v);
        const auto bytes = test_support::read_bytes(path);
        ASSERT_GT(bytes.size(), 54u);
        // The file is the variant it is meant to be.
        ASSERT_EQ(platform::endian::get_le32(&bytes[14]), static_cast<std::uint32_t>(v.header_size));
        if (v.header_size != 12) {
            ASSERT_EQ(platform::endian::get_le16(&bytes[28]), v.file_bits);
            ASSERT_EQ(platform::endian::get_le32(&bytes[30]), static_cast<std::uint32_t>(v.compression));
        }
        bmp_image img;
        ASSERT_TRUE(img.load(path));
        EXPECT_EQ(img.get_info().biBitCount, v.image_bits);
        EXPECT_EQ(img.get_info().biWidth, source_width);
        const raster expected = significant(imagemagick_pixels(path), v.red_bits, v.green_bits);
        EXPECT_EQ(max_difference(pixels_of(img), expected), 0);
    }
}

TEST(BmpDecode, TopDownRowsAndAMissingFileHeaderDecodeTheSame) {
    test_support::temp_dir dir;
    for (const variant* v : {&variants[2], &variants[7]}) {
        SCOPED_TRACE(v->name);
        const auto bytes = test_support::read_bytes(make_variant(dir, *v));
        const bmp_image plain = decode_bytes(bytes);
        ASSERT_NE(*plain, nullptr);

        // The same picture with negative height and its rows in the other order.
        std::vector<std::uint8_t> top_down = bytes;
        const std::uint32_t offset = platform::endian::get_le32(&bytes[10]);
        const std::size_t stride = plain.get_exinfo().line_bytes;
        put_le32(top_down, 22, static_cast<std::uint32_t>(-source_height));
        for (int y = 0; y < source_height; ++y)
            std::memcpy(&top_down[offset + y * stride], &bytes[offset + (source_height - 1 - y) * stride], stride);
        bool ok = false;
        const bmp_image flipped = decode_bytes(top_down, &ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(max_difference(pixels_of(flipped), pixels_of(plain)), 0);

        // The information header at the start of the data.
        const std::vector<std::uint8_t> bare(bytes.begin() + 14, bytes.end());
        const bmp_image headless = decode_bytes(bare, &ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(max_difference(pixels_of(headless), pixels_of(plain)), 0);
    }
}

TEST(BmpDecode, The108ByteHeaderReadsLikeTheLongerOne) {
    test_support::temp_dir dir;
    const auto bytes = test_support::read_bytes(make_variant(dir, variants[9]));  // 32-bit, 124-byte header
    std::vector<std::uint8_t> shorter(bytes.begin(), bytes.begin() + 14 + 108);
    shorter.insert(shorter.end(), bytes.begin() + 14 + 124, bytes.end());
    put_le32(shorter, 14, 108);
    put_le32(shorter, 10, platform::endian::get_le32(&bytes[10]) - 16);
    bool ok = false;
    const bmp_image a = decode_bytes(shorter, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(max_difference(pixels_of(a), pixels_of(decode_bytes(bytes))), 0);
}

TEST(BmpDecode, SixteenAndThirtyTwoBitLayouts) {
    // 5-5-5 without masks, no bit replication.
    std::vector<std::uint8_t> data = {0xFF, 0x7F, 0x1F, 0x00};
    bool ok = false;
    bmp_image a = decode_bytes(bitmap_file(2, 1, 16, 0, {}, data), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(a.get_color(0, 0), (RGBQUAD{248, 248, 248, 0}));
    EXPECT_EQ(a.get_color(1, 0), (RGBQUAD{248, 0, 0, 0}));

    // 32-bit with bit fields: the masks after the 40-byte header are honoured.
    std::vector<std::uint8_t> masks_and_pixel;
    test_support::append_le32(masks_and_pixel, 0x000000FF);  // red in the first byte
    test_support::append_le32(masks_and_pixel, 0x0000FF00);
    test_support::append_le32(masks_and_pixel, 0x00FF0000);
    masks_and_pixel.insert(masks_and_pixel.end(), {10, 20, 30, 0});
    auto file = bitmap_file(1, 1, 32, 3, masks_and_pixel, {});
    put_le32(file, 10, 54 + 12);
    bmp_image b = decode_bytes(file, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(b.get_color(0, 0), (RGBQUAD{30, 20, 10, 0}));

    // A 40-byte header announcing bit fields with the pixels right behind it: plain 5-5-5.
    auto no_room = bitmap_file(2, 1, 16, 3, {}, data);
    bmp_image c = decode_bytes(no_room, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(c.get_color(1, 0), (RGBQUAD{248, 0, 0, 0}));

    // Compressions that do not belong to the depth.
    decode_bytes(bitmap_file(1, 1, 24, 1, {}, {1, 2, 3, 0}), &ok);
    EXPECT_FALSE(ok);
    decode_bytes(bitmap_file(1, 1, 32, 2, {}, {1, 2, 3, 0}), &ok);
    EXPECT_FALSE(ok);
}

TEST(BmpDecode, RunLengthDataStaysInsideThePixels) {
    // 4 x 3, 8 bits. Bottom row: a run of 6 (clipped at the edge, never wrapped), end of
    // line. Middle: absolute run of 3 (padded), then a delta straight up one row. Top:
    // one pixel, end of bitmap.
    const std::vector<std::uint8_t> rle8 = {6, 7, 0, 0, 0, 3, 1, 2, 3, 0, 0, 2, 0, 1, 1, 9, 0, 1};
    bool ok = false;
    bmp_image a = decode_bytes(bitmap_file(4, 3, 8, 1, grey_palette(), rle8), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(indices_of(a), (std::vector<int>{0, 0, 0, 9, 1, 2, 3, 0, 7, 7, 7, 7}));

    // 4-bit: a run alternating two nibbles, an absolute run of 3 nibbles (2 bytes, no pad).
    const std::vector<std::uint8_t> rle4 = {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 1};
    bmp_image b = decode_bytes(bitmap_file(5, 2, 4, 2, grey_palette(16), rle4), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(indices_of(b), (std::vector<int>{3, 4, 5, 0, 0, 1, 2, 1, 2, 1}));

    // Deltas far outside the picture and runs after them write nothing.
    const std::vector<std::uint8_t> wild = {0, 2, 255, 255, 200, 5, 0, 0, 0, 1};
    decode_bytes(bitmap_file(4, 3, 8, 1, grey_palette(), wild), &ok);
    EXPECT_TRUE(ok);
    // Data that ends before the picture does is a failure.
    decode_bytes(bitmap_file(4, 3, 8, 1, grey_palette(), {4, 1, 0, 0}), &ok);
    EXPECT_FALSE(ok);
    decode_bytes(bitmap_file(4, 3, 8, 1, grey_palette(), {0, 5, 1, 2}), &ok);
    EXPECT_FALSE(ok);
}

TEST(BmpEncode, RoundTripKeepsPixelsPaletteAndResolution) {
    for (int bits : {1, 4, 8, 24}) {
        SCOPED_TRACE(bits);
        bmp_image img;
        ASSERT_NE(img.create(source_width, source_height, bits, 0), nullptr);
        if (bits <= 8)
            for (int i = 0; i < (1 << bits); ++i)
                img.get_palette().replace_index(i, std::uint8_t(i * 7), std::uint8_t(255 - i), std::uint8_t(i * 3));
        const raster picture = structured_picture(source_width, source_height);
        fill_image(img, picture);

        std::unique_ptr<std::uint8_t[]> bytes;
        std::size_t length = 0;
        ASSERT_TRUE(img.encode(bytes, length));
        ASSERT_EQ(length, 14 + img.size());
        EXPECT_EQ(platform::endian::get_le32(bytes.get() + 2), length);
        EXPECT_EQ(platform::endian::get_le32(bytes.get() + 38), 2835u);
        bmp_image back;
        ASSERT_TRUE(back.decode(bytes.get(), length));
        EXPECT_EQ(back.get_exinfo().xdpi, 72);
        ASSERT_EQ(back.size(), img.size());
        EXPECT_EQ(std::memcmp(*back, *img, img.size()), 0);

        // Another reader sees the same picture.
        test_support::temp_dir dir;
        ASSERT_TRUE(img.save(dir.file("ours.bmp")));
        EXPECT_EQ(max_difference(imagemagick_pixels(dir.file("ours.bmp")), pixels_of(img)), 0);
    }
}

TEST(BmpDecode, BadHeadersFailWithoutAllocatingForThem) {
    bool ok = true;
    // Dimensions far beyond the data: no allocation is tried for them.
    decode_bytes(bitmap_file(100000, 100000, 24, 0, {}, {1, 2, 3}), &ok);
    EXPECT_FALSE(ok);
    decode_bytes(bitmap_file(0x7FFFFFFF, 0x7FFFFFFF, 32, 0, {}, {1, 2, 3}), &ok);
    EXPECT_FALSE(ok);
    decode_bytes(bitmap_file(60000, 60000, 8, 1, grey_palette(), {0, 1}), &ok);
    EXPECT_FALSE(ok);
    decode_bytes(bitmap_file(0, 1, 24, 0, {}, {1, 2, 3, 0}), &ok);
    EXPECT_FALSE(ok);
    decode_bytes(bitmap_file(-1, 1, 24, 0, {}, {1, 2, 3, 0}), &ok);
    EXPECT_FALSE(ok);
    decode_bytes(bitmap_file(1, 0, 24, 0, {}, {1, 2, 3, 0}), &ok);
    EXPECT_FALSE(ok);
    decode_bytes(bitmap_file(1, 1, 2, 0, {}, {1, 2, 3, 0}), &ok);  // no such depth
    EXPECT_FALSE(ok);
    // A palette that runs past the file.
    decode_bytes(bitmap_file(1, 1, 8, 0, grey_palette(10), {}), &ok);
    EXPECT_FALSE(ok);
    // A header size no writer uses.
    auto odd = bitmap_file(1, 1, 24, 0, {}, {1, 2, 3, 0});
    put_le32(odd, 14, 64);
    decode_bytes(odd, &ok);
    EXPECT_FALSE(ok);
    decode_bytes({}, &ok);
    EXPECT_FALSE(ok);
    bmp_image none;
    EXPECT_FALSE(none.decode(static_cast<platform::CFile*>(nullptr)));
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t length = 0;
    EXPECT_FALSE(none.encode(bytes, length));
}

TEST(BmpDecode, EveryTruncationOfRealFilesFailsCleanly) {
    test_support::temp_dir dir;
    for (const variant* v : {&variants[0], &variants[3], &variants[5], &variants[11]}) {
        SCOPED_TRACE(v->name);
        const auto bytes = test_support::read_bytes(make_variant(dir, *v));
        const std::uint32_t offset = platform::endian::get_le32(&bytes[10]);
        for (std::size_t n = 0; n < bytes.size(); n += (n < offset + 8 ? 1 : 97)) {
            bool ok = true;
            decode_bytes(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + n), &ok);
            // Only the padding of the last row may be missing.
            if (n + 3 < bytes.size()) {
                EXPECT_FALSE(ok) << n;
            }
        }
    }
}

TEST(BmpDecode, GarbageNeverCrashes) {
    std::mt19937 random(1234);
    auto valid = bitmap_file(13, 7, 8, 1, grey_palette(), {5, 1, 0, 3, 1, 2, 3, 0, 0, 2, 3, 3, 4, 9, 0, 0, 0, 1});
    for (int round = 0; round < 2000; ++round) {
        auto bytes = valid;
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < flips; ++i) bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        bmp_image img;
        img.decode(bytes.data(), bytes.size());
    }
}
