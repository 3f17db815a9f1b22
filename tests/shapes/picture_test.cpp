// Icon pictures: 5-6-5 colours, 8-bit bitmap files, the document's pixel block.
#include <gtest/gtest.h>

#include "platform/endian.h"
#include "platform/mem_file.h"
#include "shapes/picture.h"
#include "tests/support/files.h"
#include "tests/support/recording_dc.h"

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

TEST(Picture, ColourReferencesReduceToTheirTopBits) {
    EXPECT_EQ(CPicture(nullptr, RGB(255, 0, 0), 1, 1).get_pixels()[0], 0xF800);
    EXPECT_EQ(CPicture(nullptr, RGB(0, 255, 0), 1, 1).get_pixels()[0], 0x07E0);
    EXPECT_EQ(CPicture(nullptr, RGB(0, 0, 255), 1, 1).get_pixels()[0], 0x001F);
    CPicture grey(nullptr, RGB(0x84, 0x82, 0x88), 3, 2);
    EXPECT_EQ(grey.get_width(), 3u);
    EXPECT_EQ(grey.get_pixels()[5], (0x84 >> 3) << 11 | (0x82 >> 2) << 5 | (0x88 >> 3));
}

TEST(Picture, LoadsEightBitFilesRowsAndPaletteInPlace) {
    test_support::temp_dir dir;
    // Width 5: rows carry 3 bytes of padding each.
    test_support::write_bytes(dir.file("icon.bmp"), bitmap8(5, 3, [](int x, int y) { return y == 0 ? 255 : x == 4 ? 1 : 0; }));
    CPicture picture(nullptr);
    ASSERT_TRUE(picture.load(dir.file("icon.bmp")));
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
    ASSERT_TRUE(picture.load(dir.file("short.bmp")));
    EXPECT_EQ(picture.get_pixels()[1], 0xF800);

    auto whole = bitmap8(16, 16, [](int x, int y) { return x + y; });
    auto cut = whole;
    cut.resize(whole.size() - 1);
    test_support::write_bytes(dir.file("cut.bmp"), cut);
    EXPECT_FALSE(CPicture(nullptr).load(dir.file("cut.bmp")));

    auto deep = whole;
    deep[28] = 24;
    test_support::write_bytes(dir.file("deep.bmp"), deep);
    EXPECT_FALSE(CPicture(nullptr).load(dir.file("deep.bmp")));

    auto huge = whole;
    platform::endian::put_le32(&huge[18], 0x7FFFFFFF);
    test_support::write_bytes(dir.file("huge.bmp"), huge);
    EXPECT_FALSE(CPicture(nullptr).load(dir.file("huge.bmp")));
    EXPECT_FALSE(CPicture(nullptr).load(dir.file("missing.bmp")));
}

TEST(Picture, DocumentBlockIsLastPixelFirstAndComesBackInPlace) {
    std::vector<std::uint16_t> pixels(16 * 16);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint16_t>(i * 37);
    CPicture icon(nullptr, pixels, 16, 16);
    platform::CMemFile file;
    icon.write(file);
    ASSERT_EQ(file.GetLength(), 512u);
    const std::uint8_t* bytes = file.GetBuffer();
    EXPECT_EQ(platform::endian::get_le16(bytes), pixels.back());

    std::vector<std::uint16_t> block(256);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = platform::endian::get_le16(bytes + 2 * i);
    CPicture back(nullptr);
    back.set_size(16, 16);
    back.set_pixels(block.data());
    EXPECT_EQ(std::vector<std::uint16_t>(back.get_pixels(), back.get_pixels() + 256), pixels);
}
