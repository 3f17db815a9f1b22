// The packed-bitmap model: layout, pixels, palette, flip, excise and the iterator.
#include <gtest/gtest.h>

#include <cstring>

#include "nimbra/image/bmp_image.h"
#include "nimbra/image/image_iterator.h"
#include "nimbra/image/jpg_image.h"
#include "platform/endian.h"

using tarvel_tech::nimbra::__image;
using tarvel_tech::nimbra::bmp_image;
using tarvel_tech::nimbra::image;
using tarvel_tech::nimbra::image_iterator;
using tarvel_tech::nimbra::jpg_image;
using tarvel_tech::nimbra::RGBQUAD;

TEST(ImageModel, InitialStateAndCopyGivesAnEmptyImageOfTheSameKind) {
    jpg_image j;
    EXPECT_EQ(j.get_info().biSize, 40u);
    EXPECT_EQ(j.get_info().biXPelsPerMeter, 2835);
    EXPECT_EQ(j.get_exinfo().quality, 75);
    EXPECT_EQ(j.get_exinfo().xdpi, 72);
    EXPECT_EQ(j.get_exinfo().image_type, __image::jpg_type);
    EXPECT_EQ(*j, nullptr);
    ASSERT_NE(j.create(10, 10, 24, 2), nullptr);
    jpg_image copy(j);
    EXPECT_EQ(*copy, nullptr);
    EXPECT_EQ(copy.get_info().biWidth, 0);
    EXPECT_EQ(copy.get_exinfo().image_type, __image::jpg_type);
    auto other = j.clone();
    EXPECT_NE(dynamic_cast<jpg_image*>(other.get()), nullptr);
    EXPECT_EQ(**other, nullptr);
}

TEST(ImageModel, CreateLaysOutHeaderPaletteAndRows) {
    bmp_image a;
    ASSERT_NE(a.create(100, 10, 24, 2), nullptr);
    EXPECT_EQ(a.get_exinfo().line_bytes, 300u);
    EXPECT_EQ(a.get_info().biSizeImage, 3000u);
    EXPECT_EQ(a.size(), 3040u);
    EXPECT_EQ(a.get_exinfo().image_type, 2);
    // The block starts with the header, field by field.
    EXPECT_EQ(platform::endian::get_le32(*a), 40u);
    EXPECT_EQ(platform::endian::get_le_i32(*a + 4), 100);
    EXPECT_EQ(platform::endian::get_le16(*a + 14), 24);
    EXPECT_EQ(a.begin(), *a + 40);

    bmp_image b;
    ASSERT_NE(b.create(3, 1, 1, 0), nullptr);
    EXPECT_EQ(b.get_exinfo().line_bytes, 4u);
    EXPECT_EQ(b.get_info().biClrUsed, 2u);
    EXPECT_EQ(b.size(), 52u);
    EXPECT_EQ(b.get_palette().get_color(1), RGBQUAD{});  // palette zeroed

    bmp_image c;
    ASSERT_NE(c.create(5, 5, 16, 0), nullptr);
    EXPECT_EQ(c.get_info().biBitCount, 24);
    EXPECT_EQ(c.get_info().biClrUsed, 0u);
    ASSERT_NE(c.create(5, 5, 3, 0), nullptr);
    EXPECT_EQ(c.get_info().biBitCount, 4);
    EXPECT_EQ(c.get_info().biClrUsed, 16u);
}

TEST(ImageModel, CreateRefusesEmptyAndOversizedPictures) {
    bmp_image a;
    EXPECT_EQ(a.create(0, 10, 24, 0), nullptr);
    EXPECT_EQ(a.create(10, -1, 24, 0), nullptr);
    // 3 x 70000 x 70000 bytes cannot be described by the header's 32-bit size.
    EXPECT_EQ(a.create(70000, 70000, 24, 0), nullptr);
    EXPECT_EQ(*a, nullptr);
}

TEST(ImageModel, IndexedPixelsPackIntoBytesAndNibbles) {
    bmp_image four;
    four.create(4, 2, 4, 0);
    four.clear();
    four.set_index(0, 0, 5);
    four.set_index(1, 0, 10);
    EXPECT_EQ(four.begin()[0], 0x5A);
    four.set_index(1, 0, 0x13);  // index mod 16
    EXPECT_EQ(four.begin()[0], 0x53);
    EXPECT_EQ(four.get_index(0, 0), 5);
    EXPECT_EQ(four.get_index(1, 0), 3);

    bmp_image one;
    one.create(10, 1, 1, 0);
    one.clear();
    one.set_index(0, 0, 1);
    one.set_index(9, 0, 3);  // index mod 2
    EXPECT_EQ(one.begin()[0], 0x80);
    EXPECT_EQ(one.begin()[1], 0x40);
    EXPECT_EQ(one.get_index(9, 0), 1);
    EXPECT_EQ(one.get_index(8, 0), 0);
}

TEST(ImageModel, OutsidePixelsAnswerTheBackground) {
    bmp_image eight;
    eight.create(4, 4, 8, 0);
    eight.get_palette().replace_index(3, 1, 2, 3);
    eight.get_exinfo().background_index = 3;
    EXPECT_EQ(eight.get_index(4, 0), 3);
    EXPECT_EQ(eight.get_index(-1, 0), 3);  // negative is outside, never a byte before the row
    EXPECT_EQ(eight.get_color(0, 9).rgbRed, 1);
    eight.get_exinfo().background_index = -1;
    EXPECT_EQ(eight.get_index(4, 0), 0);
    eight.get_exinfo().background_color = RGBQUAD{9, 8, 7, 6};
    EXPECT_EQ(eight.get_color(0, 9), (RGBQUAD{9, 8, 7, 6}));
    eight.set_index(-1, 0, 7);  // no effect, no crash
    eight.set_color(100, 100, RGBQUAD{});

    bmp_image rgb;
    rgb.create(2, 2, 24, 0);
    rgb.get_exinfo().background_color = RGBQUAD{1, 2, 3, 4};
    rgb.get_exinfo().background_index = 0;
    EXPECT_EQ(rgb.get_color(2, 0), (RGBQUAD{1, 2, 3, 4}));  // 24-bit ignores the index
    rgb.set_color(1, 1, tarvel_tech::nimbra::COLORREF{0x00102030});
    EXPECT_EQ(rgb.get_color(1, 1), (RGBQUAD{0x10, 0x20, 0x30, 4}));
}

TEST(ImageModel, GreyValuesAndNearestColours) {
    bmp_image rgb;
    rgb.create(3, 1, 24, 0);
    rgb.set_color(0, 0, RGBQUAD{0, 0, 255, 0});
    rgb.set_color(1, 0, RGBQUAD{0, 255, 0, 0});
    rgb.set_color(2, 0, RGBQUAD{255, 0, 0, 0});
    EXPECT_EQ(rgb.get_gray(0, 0), 76);
    EXPECT_EQ(rgb.get_gray(1, 0), 150);
    EXPECT_EQ(rgb.get_gray(2, 0), 28);

    bmp_image grey;
    grey.create(2, 1, 8, 0);
    grey.get_palette().make_gray();
    EXPECT_EQ(grey.get_palette().nearest_index(RGBQUAD{10, 200, 60, 0}), 90);
    grey.set_color(0, 0, RGBQUAD{255, 255, 255, 0});
    EXPECT_EQ(grey.get_index(0, 0), 255);

    // On equal distances the lower index wins.
    bmp_image two;
    two.create(1, 1, 1, 0);
    two.get_palette().replace_index(0, 0, 0, 10);
    two.get_palette().replace_index(1, 0, 0, 30);
    EXPECT_EQ(two.get_palette().nearest_index(RGBQUAD{20, 0, 0, 0}), 0);
    EXPECT_EQ(two.get_palette().nearest_index(RGBQUAD{21, 0, 0, 0}), 1);
}

TEST(ImagePalette, ReplaceBlendGreyAndSwap) {
    bmp_image four;
    four.create(2, 1, 4, 0);
    auto& p = four.get_palette();
    p.make_gray();
    EXPECT_EQ(p.get_color(1).rgbRed, 17);
    EXPECT_EQ(p.get_color(15).rgbBlue, 255);
    EXPECT_FALSE(p.is_gray_scale());  // entry i must be grey i
    EXPECT_EQ(p.get_size(), 64u);
    EXPECT_EQ(p.get_color(16), RGBQUAD{});
    EXPECT_EQ(p.get_color(256 + 1).rgbRed, 17);  // index mod 256

    const std::uint8_t reds[3] = {1, 2, 3};
    const std::uint8_t greens[3] = {4, 5, 6};
    p.replace(3, reds, greens);
    EXPECT_EQ(p.get_color(2), (RGBQUAD{6, 6, 3, 0}));  // blues default to greens
    p.replace_index(0, RGBQUAD{1, 1, 1, 7});
    EXPECT_TRUE(p.is_valid());
    const tarvel_tech::nimbra::COLORREF refs[1] = {0x00332211};
    p.replace(refs, 1);
    EXPECT_EQ(p.get_color(0), (RGBQUAD{0x33, 0x22, 0x11, 7}));  // the reserved byte stays
    p.replace_index(99, 1, 2, 3);                               // beyond the palette: nothing

    p.replace_index(1, 0, 0, 0);
    p.blend(0x00FFFFFF, 150);  // capped at 100
    EXPECT_EQ(p.get_color(1), (RGBQUAD{255, 255, 255, 0}));
    p.replace_index(1, 100, 100, 100);
    p.blend(0x00000000, 25);
    EXPECT_EQ(p.get_color(1).rgbRed, 75);

    four.set_index(0, 0, 1);
    four.set_index(1, 0, 2);
    const RGBQUAD first = four.get_color(0, 0), second = four.get_color(1, 0);
    p.swap_index(1, 2);
    EXPECT_EQ(four.get_index(0, 0), 2);
    EXPECT_EQ(four.get_color(0, 0), first);
    EXPECT_EQ(four.get_color(1, 0), second);

    bmp_image ramp;
    ramp.create(1, 1, 8, 0);
    ramp.get_palette().make_gray();
    EXPECT_TRUE(ramp.get_palette().is_gray_scale());
    bmp_image none;
    EXPECT_FALSE(none.get_palette().is_indexed());
    EXPECT_EQ(none.get_palette().begin(), nullptr);
}

TEST(ImageModel, ResolutionAndByteOrder) {
    bmp_image a;
    a.set_xdpi(96);
    EXPECT_EQ(a.get_info().biXPelsPerMeter, 3780);
    EXPECT_EQ(a.get_exinfo().xdpi, 96);
    a.create(2, 1, 24, 0);
    a.set_ydpi(300);
    EXPECT_EQ(platform::endian::get_le_i32(*a + 28), 11811);  // the block's header follows

    std::uint8_t row[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    a.rgb2bgr(row, 100);  // limited to line_bytes (8): whole pixels only
    const std::uint8_t expected[8] = {3, 2, 1, 6, 5, 4, 7, 8};
    EXPECT_EQ(std::memcmp(row, expected, 8), 0);
}

namespace {

// A 20 x 20 8-bit picture whose pixel (x, y) in picture coordinates is x + 20 * (y % 10).
void number(bmp_image& img) {
    img.create(20, 20, 8, 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) img.set_index(x, 19 - y, x + 20 * (y % 10));
}

}  // namespace

TEST(ImageModel, ExciseCutsPictureRectangles) {
    bmp_image src;
    src.create(20, 20, 8, 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) src.set_index(x, 19 - y, (x + 7 * y) % 256);
    src.get_palette().replace_index(5, 1, 2, 3);
    src.get_exinfo().background_index = 5;

    auto top = src.excise(0, 0, 10, 5);
    ASSERT_TRUE(top);
    EXPECT_NE(dynamic_cast<bmp_image*>(top.get()), nullptr);
    EXPECT_EQ(top->get_info().biWidth, 10);
    EXPECT_EQ(top->get_info().biHeight, 5);
    for (int y = 0; y < 5; ++y)  // the top picture rows are memory rows 15 to 19
        for (int x = 0; x < 10; ++x) EXPECT_EQ(top->get_index(x, 4 - y), (x + 7 * y) % 256);
    EXPECT_EQ(top->get_palette().get_color(5).rgbRed, 1);
    EXPECT_EQ(top->get_exinfo().background_index, 5);

    EXPECT_FALSE(src.excise(5, 5, 5, 9));
    auto all = src.excise(-5, -5, 30, 30);
    ASSERT_TRUE(all);
    EXPECT_EQ(std::memcmp(all->begin(), src.begin(), src.get_info().biSizeImage), 0);
    auto reversed = src.excise(12, 9, 3, 2);  // corners in any order
    ASSERT_TRUE(reversed);
    EXPECT_EQ(reversed->get_info().biWidth, 9);
    EXPECT_EQ(reversed->get_index(0, 6), (3 + 7 * 2) % 256);

    bmp_image empty;
    EXPECT_FALSE(empty.excise(0, 0, 1, 1));
}

TEST(ImageModel, ExciseOfPackedDepthsAndTheRightEdge) {
    bmp_image four;
    four.create(9, 3, 4, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 9; ++x) four.set_index(x, y, (x + y) % 16);
    auto cut = four.excise(3, 1, 9, 3);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->get_info().biWidth, 6);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(cut->get_index(x, y), (x + 3 + y) % 16);

    // A cut at the right edge of the last memory row reads nothing past the block.
    bmp_image rgb;
    rgb.create(7, 2, 24, 0);
    rgb.clear();
    rgb.set_color(6, 1, RGBQUAD{1, 2, 3, 0});
    auto corner = rgb.excise(5, 0, 7, 1);
    ASSERT_TRUE(corner);
    EXPECT_EQ(corner->get_color(1, 0).rgbRed, 3);
}

TEST(ImageModel, FlipTwiceRestoresAndTakeOverMovesThePixels) {
    bmp_image img;
    number(img);
    const std::vector<std::uint8_t> before(img.begin(), img.begin() + img.get_info().biSizeImage);
    ASSERT_TRUE(img.flip());
    EXPECT_EQ(img.get_index(3, 0), 3);
    EXPECT_EQ(img.get_index(3, 19), 3 + 20 * 9);
    img.flip();
    EXPECT_TRUE(std::equal(before.begin(), before.end(), img.begin()));

    bmp_image line;
    line.create(3, 1, 8, 0);
    line.set_index(0, 0, 9);
    line.flip();
    EXPECT_EQ(line.get_index(0, 0), 9);
    bmp_image none;
    EXPECT_FALSE(none.flip());

    jpg_image target;
    img.set_xdpi(150);
    target.take_over(img);
    EXPECT_EQ(*img, nullptr);
    EXPECT_EQ(img.get_info().biWidth, 0);
    EXPECT_EQ(target.get_exinfo().image_type, __image::jpg_type);
    EXPECT_EQ(target.get_exinfo().xdpi, 150);
    EXPECT_EQ(target.get_index(3, 0), 3 + 20 * 9);
    auto owned = target.detach();
    EXPECT_TRUE(owned);
    EXPECT_EQ(*target, nullptr);
}

TEST(ImageIterator, WalksBytesRowsAndSteps) {
    bmp_image img;
    img.create(3, 3, 8, 0);  // line_bytes 4
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) img.row(y)[x] = static_cast<std::uint8_t>(10 * y + x);
    image_iterator it(&img);
    EXPECT_EQ(static_cast<__image*>(it), &img);
    EXPECT_TRUE(it.is_valid());
    EXPECT_EQ(*it, 0);
    for (int i = 0; i < 4; ++i) ++it;
    EXPECT_EQ(it.get_row_pos(), 1);
    EXPECT_EQ(*it, 10);
    it.begin();
    EXPECT_EQ(it.get_row_pos(), 2);
    EXPECT_EQ(*it, 20);
    int count = 1;
    while (it.next_byte()) ++count;
    EXPECT_EQ(count, 4);  // the top row has 4 bytes and no row follows it
    EXPECT_EQ(*it, 0);    // past the rows: a scratch zero

    it.reset();
    it.set_steps(2, 2);
    EXPECT_TRUE(it.next_step());
    EXPECT_EQ(*it, 2);
    EXPECT_TRUE(it.next_step());  // col 4 reaches line_bytes: row 2
    EXPECT_EQ(it.get_row_pos(), 2);
    EXPECT_EQ(*it, 20);
    it.next_step();
    EXPECT_FALSE(it.next_step());

    EXPECT_TRUE(it.move_to(1));
    EXPECT_FALSE(it.move_to(4));
    std::uint8_t buffer[16] = {};
    it.get_row(buffer, sizeof buffer);  // never more than a row
    EXPECT_EQ(buffer[3], 13);
    EXPECT_EQ(buffer[4], 0);
    const std::uint8_t fresh[16] = {7, 7, 7, 7, 7, 7, 7, 7};
    it.set_row(fresh, 0);  // 0: a whole row
    EXPECT_EQ(img.row(1)[3], 7);
    EXPECT_EQ(img.row(2)[0], 20);

    image_iterator empty(nullptr);
    EXPECT_FALSE(empty.is_valid());
    EXPECT_EQ(*empty, 0);
}
