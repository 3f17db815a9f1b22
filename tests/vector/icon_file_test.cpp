// Icon files of the icon folder, decoded by the library's bitmap codec into 5-6-5 pictures.
#include <gtest/gtest.h>

#include "platform/endian.h"
#include "shapes/picture.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/recording_dc.h"
#include "vector/layer_icons.h"

using namespace model;

using platform::RGB;

namespace {

// An 8-bit bitmap file: palette entry i is (i, i, i) except 255, which is white, and entry 1,
// which is pure red; rows bottom-up, padded to 4 bytes. Pixel (x, y from the top) has index
// index_of(x, y).
std::vector<std::uint8_t> bitmap8(int width, int height, int (*index_of)(int, int), int colours = 256) {
    using namespace platform::endian;
    const int stride = (width + 3) & ~3;
    const int palette = 4 * colours;
    std::vector<std::uint8_t> f(14 + 40 + palette + stride * height);
    f[0] = 'B';
    f[1] = 'M';
    put_le32(&f[2], static_cast<std::uint32_t>(f.size()));
    put_le32(&f[10], static_cast<std::uint32_t>(14 + 40 + palette));
    put_le32(&f[14], 40);
    put_le32(&f[18], static_cast<std::uint32_t>(width));
    put_le32(&f[22], static_cast<std::uint32_t>(height));
    put_le16(&f[26], 1);
    put_le16(&f[28], 8);
    put_le32(&f[46], colours == 256 ? 0u : static_cast<std::uint32_t>(colours));
    for (int i = 0; i < colours; ++i) {
        std::uint8_t* q = &f[54 + 4 * static_cast<std::size_t>(i)];
        q[0] = q[1] = q[2] = static_cast<std::uint8_t>(i);
    }
    if (colours > 1) {
        std::uint8_t* red = &f[54 + 4];
        red[0] = 0, red[1] = 0, red[2] = 255;
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            f[54 + palette + static_cast<std::size_t>(height - 1 - y) * stride + x] =
                static_cast<std::uint8_t>(index_of(x, y));
    return f;
}

}  // namespace

TEST(Picture, LoadsEightBitFilesRowsAndPaletteInPlace) {
    test_support::temp_dir dir;
    // Width 5: rows carry 3 bytes of padding each.
    test_support::write_bytes(dir.file("icon.bmp"), bitmap8(5, 3, [](int x, int y) { return y == 0 ? 255 : x == 4 ? 1 : 0; }));
    CPicture picture(nullptr);
    ASSERT_TRUE(load_icon(picture, dir.file("icon.bmp")));
    EXPECT_EQ(picture.get_bit_count(), 8);
    ASSERT_EQ(picture.get_width(), 5u);
    ASSERT_EQ(picture.get_height(), 3u);
    const std::uint16_t* p = picture.get_pixels();
    // Kept bottom row first: the top row (white) is the last one.
    EXPECT_EQ(p[2 * 5 + 0], 0xFFFF);
    EXPECT_EQ(p[2 * 5 + 4], 0xFFFF);
    EXPECT_EQ(p[0 * 5 + 4], 0xF800);  // red: 255 * 31 / 255 in the top five bits
    EXPECT_EQ(p[0 * 5 + 0], 0x0000);

    test_support::recording_dc dc;
    picture.draw(&dc, 10, 20);
    EXPECT_EQ(dc.texts(), std::vector<std::string>{"Bitmap565 10 20 5 3"});
}

TEST(Picture, ShortPalettesAndBadFiles) {
    test_support::temp_dir dir;
    test_support::write_bytes(dir.file("short.bmp"), bitmap8(4, 1, [](int x, int) { return x % 2; }, 2));
    CPicture picture(nullptr);
    ASSERT_TRUE(load_icon(picture, dir.file("short.bmp")));
    EXPECT_EQ(picture.get_pixels()[1], 0xF800);

    CPicture unread(nullptr);
    auto whole = bitmap8(16, 16, [](int x, int y) { return x + y; });
    auto cut = whole;
    cut.resize(whole.size() - 1);
    test_support::write_bytes(dir.file("cut.bmp"), cut);
    EXPECT_FALSE(load_icon(unread, dir.file("cut.bmp")));

    auto deep = whole;
    deep[28] = 24;
    test_support::write_bytes(dir.file("deep.bmp"), deep);
    EXPECT_FALSE(load_icon(unread, dir.file("deep.bmp")));

    auto huge = whole;
    platform::endian::put_le32(&huge[18], 0x7FFFFFFF);
    test_support::write_bytes(dir.file("huge.bmp"), huge);
    EXPECT_FALSE(load_icon(unread, dir.file("huge.bmp")));
    EXPECT_FALSE(load_icon(unread, dir.file("missing.bmp")));
}

// Icons read through the library's codec take every layout it reads: rows top-down, and
// run-length rows as ImageMagick writes them, give the pixels of the plain file.
TEST(Picture, TopDownAndRunLengthIconsReadAsThePlainOne) {
    test_support::temp_dir dir;
    const auto index_of = [](int x, int y) { return (7 * x + 13 * y) % 256; };
    auto plain = bitmap8(8, 6, index_of);
    test_support::write_bytes(dir.file("plain.bmp"), plain);
    CPicture expected(nullptr);
    ASSERT_TRUE(load_icon(expected, dir.file("plain.bmp")));
    const std::vector<std::uint16_t> pixels(expected.get_pixels(), expected.get_pixels() + 48);

    // Top-down: a negative height and the rows in the other order.
    auto top_down = plain;
    platform::endian::put_le32(&top_down[22], static_cast<std::uint32_t>(-6));
    const std::size_t rows = 14 + 40 + 1024;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) top_down[rows + std::size_t(y) * 8 + std::size_t(x)] = std::uint8_t(index_of(x, y));
    test_support::write_bytes(dir.file("top-down.bmp"), top_down);
    const auto convert = test_support::run_process(test_support::find_program("convert"),
                                                   {dir.file("plain.bmp"), "-type", "palette", "-compress", "RLE",
                                                    "BMP3:" + dir.file("rle.bmp")});
    ASSERT_EQ(convert.exit_code, 0) << convert.err;

    for (const std::string name : {"top-down.bmp", "rle.bmp"}) {
        CPicture picture(nullptr);
        ASSERT_TRUE(load_icon(picture, dir.file(name))) << name;
        ASSERT_EQ(picture.get_width() * picture.get_height(), 48u) << name;
        EXPECT_EQ(std::vector<std::uint16_t>(picture.get_pixels(), picture.get_pixels() + 48), pixels) << name;
    }
}
