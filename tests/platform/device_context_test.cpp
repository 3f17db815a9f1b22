// Drawing through the device context lands on the pixels the operations name.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/device_context.h"
#include "platform/endian.h"
#include "platform/image_dc.h"

using namespace platform;

namespace {

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF red = RGB(255, 0, 0);
constexpr COLORREF green = RGB(0, 255, 0);
constexpr COLORREF blue = RGB(0, 0, 255);

// A packed bitmap header (40 bytes) followed by a palette.
std::vector<std::uint8_t> dib_header(int width, int height, int bit_count, const std::vector<COLORREF>& palette = {}) {
    std::vector<std::uint8_t> h(40 + 4 * palette.size());
    endian::put_le32(&h[0], 40);
    endian::put_le32(&h[4], static_cast<std::uint32_t>(width));
    endian::put_le32(&h[8], static_cast<std::uint32_t>(height));
    endian::put_le16(&h[12], 1);
    endian::put_le16(&h[14], static_cast<std::uint16_t>(bit_count));
    endian::put_le32(&h[32], static_cast<std::uint32_t>(palette.size()));
    for (std::size_t i = 0; i < palette.size(); ++i) {
        h[40 + 4 * i] = static_cast<std::uint8_t>(GetBValue(palette[i]));
        h[41 + 4 * i] = static_cast<std::uint8_t>(GetGValue(palette[i]));
        h[42 + 4 * i] = static_cast<std::uint8_t>(GetRValue(palette[i]));
    }
    return h;
}

int count_pixels(const CImageDC& dc, COLORREF color) {
    int n = 0;
    for (int y = 0; y < dc.GetHeight(); ++y)
        for (int x = 0; x < dc.GetWidth(); ++x) n += dc.GetPixel(x, y) == color;
    return n;
}

}  // namespace

TEST(DeviceContext, SelectionAnswersThePreviousObject) {
    CDC dc;  // no device: keeps state, draws nothing
    CPen pen(PS_SOLID, 2, red);
    CBrush brush(green);
    CFont font(-20, 700, "DejaVu Sans");
    CPen* default_pen = dc.SelectObject(&pen);
    ASSERT_NE(default_pen, nullptr);
    EXPECT_EQ(default_pen->GetColor(), RGB(0, 0, 0));
    EXPECT_EQ(dc.SelectObject(default_pen), &pen);
    CBrush* default_brush = dc.SelectObject(&brush);
    EXPECT_EQ(dc.SelectObject(default_brush), &brush);
    CFont* default_font = dc.SelectObject(&font);
    EXPECT_EQ(dc.SelectObject(default_font), &font);
    EXPECT_EQ(dc.SetTextColor(red), RGB(0, 0, 0));
    EXPECT_EQ(dc.SetBkMode(TRANSPARENT), OPAQUE);
    EXPECT_EQ(dc.MoveTo(5, 6), (CPoint{0, 0}));
    EXPECT_EQ(dc.GetCurrentPosition(), (CPoint{5, 6}));
    EXPECT_FALSE(dc.LineTo(10, 10));
    EXPECT_FALSE(dc.TextOut(0, 0, u"x"));
}

TEST(DeviceContext, LinesRectanglesAndEllipsesLandWhereNamed) {
    CImageDC dc(40, 30);
    EXPECT_EQ(dc.GetPixel(0, 0), white);
    dc.FillSolidRect(CRect{10, 5, 20, 8}, blue);
    EXPECT_EQ(dc.GetPixel(10, 5), blue);
    EXPECT_EQ(dc.GetPixel(19, 7), blue);
    EXPECT_EQ(dc.GetPixel(20, 7), white);  // right and bottom exclusive
    EXPECT_EQ(dc.GetPixel(19, 8), white);

    CPen pen(PS_SOLID, 1, red);
    CPen* old = dc.SelectObject(&pen);
    dc.MoveTo(2, 20);
    dc.LineTo(30, 20);
    dc.SelectObject(old);
    EXPECT_EQ(dc.GetPixel(2, 20), red);
    EXPECT_EQ(dc.GetPixel(16, 20), red);
    EXPECT_EQ(dc.GetPixel(16, 19), white);
    EXPECT_EQ(dc.GetPixel(16, 21), white);

    CBrush fill(green);
    CPen outline(PS_SOLID, 1, blue);
    CImageDC round(20, 20);
    round.SelectObject(&fill);
    round.SelectObject(&outline);
    round.Ellipse(2, 2, 12, 12);
    EXPECT_EQ(round.GetPixel(7, 7), green);     // inside
    EXPECT_EQ(round.GetPixel(2, 7), blue);      // left edge of the box
    EXPECT_EQ(round.GetPixel(12, 7), white);    // right edge is outside
    EXPECT_EQ(round.GetPixel(2, 2), white);     // corners of the box are not the ellipse
    EXPECT_EQ(round.GetPixel(15, 15), white);
}

TEST(DeviceContext, PathsFillEachRingWithTheBrushAndNoOutline) {
    CImageDC dc(30, 30);
    CBrush fill(green);
    CPen pen(PS_SOLID, 1, red);
    dc.SelectObject(&fill);
    dc.SelectObject(&pen);
    const CPoint outer[] = {{2, 2}, {26, 2}, {26, 26}, {2, 26}};
    const CPoint hole[] = {{10, 10}, {18, 10}, {18, 18}, {10, 18}};
    dc.BeginPath();
    dc.Polygon(outer, 4);
    dc.Polygon(hole, 4);
    dc.EndPath();
    EXPECT_EQ(count_pixels(dc, green), 0);  // nothing drawn while the path was built
    EXPECT_TRUE(dc.FillPath());
    EXPECT_EQ(dc.GetPixel(5, 5), green);
    EXPECT_EQ(dc.GetPixel(14, 14), white);  // alternate filling leaves the hole open
    EXPECT_EQ(count_pixels(dc, red), 0);
    EXPECT_FALSE(dc.FillPath());  // the path is gone

    // Each ring filled on its own fills the hole too.
    dc.BeginPath();
    dc.Polygon(hole, 4);
    dc.EndPath();
    dc.FillPath();
    EXPECT_EQ(dc.GetPixel(14, 14), green);
}

TEST(DeviceContext, TextHonoursColourAlignmentAndBackgroundMode) {
    CImageDC dc(200, 60);
    dc.SetTextColor(red);
    dc.SetBkMode(TRANSPARENT);
    ASSERT_TRUE(dc.TextOut(10, 10, u"Label"));
    const CSize extent = dc.GetTextExtent(u"Label");
    EXPECT_GT(extent.cx, 10);
    EXPECT_GT(extent.cy, 5);
    int inside = 0, outside = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x) {
            if (dc.GetPixel(x, y) == white) continue;
            const bool in_box = x >= 10 && x < 10 + extent.cx && y >= 10 && y < 10 + extent.cy;
            (in_box ? inside : outside)++;
        }
    EXPECT_GT(inside, 10);
    EXPECT_EQ(outside, 0);

    // Opaque text fills its box with the background colour; right alignment ends at x.
    CImageDC opaque(200, 60);
    opaque.SetBkColor(blue);
    opaque.SetTextAlign(TA_RIGHT | TA_TOP);
    opaque.TextOut(150, 10, u"Label");
    EXPECT_EQ(opaque.GetPixel(150 - extent.cx, 10 + extent.cy - 1), blue);
    EXPECT_EQ(opaque.GetPixel(151, 12), white);
}

TEST(DeviceContext, WindowOriginMapsLogicalToDevicePixels) {
    CImageDC dc(20, 20);
    dc.SetWindowOrg(100, 200);
    EXPECT_EQ(dc.GetClipBox(), (CRect{100, 200, 120, 220}));
    dc.FillSolidRect(CRect{105, 205, 106, 206}, red);
    EXPECT_EQ(dc.GetPixel(105, 205), red);
    dc.SetWindowOrg(0, 0);
    EXPECT_EQ(dc.GetPixel(5, 5), red);
    dc.SetViewportOrg(-3, 0);  // as a view scrolled three pixels to the right prepares it
    EXPECT_EQ(dc.LPtoDP(CPoint{8, 5}), (CPoint{5, 5}));
}

TEST(DeviceContext, PackedBitmapsDrawUprightAndStretched) {
    // 2 x 2, 8-bit, rows bottom-up: bottom row red, green; top row blue, white.
    const auto header = dib_header(2, 2, 8, {red, green, blue, white});
    const std::uint8_t bits[] = {0, 1, 0, 0, 2, 3, 0, 0};
    CImageDC dc(10, 10);
    ASSERT_TRUE(dc.StretchDIBits(CRect{0, 0, 2, 2}, CRect{0, 0, 2, 2}, {header.data(), header.size()}, bits));
    EXPECT_EQ(dc.GetPixel(0, 0), blue);
    EXPECT_EQ(dc.GetPixel(1, 0), white);
    EXPECT_EQ(dc.GetPixel(0, 1), red);
    EXPECT_EQ(dc.GetPixel(1, 1), green);

    // Stretched twice; the source rectangle of a bottom-up bitmap counts from the bottom:
    // (0, 1, 1, 2) is the top-left pixel.
    ASSERT_TRUE(dc.StretchDIBits(CRect{4, 4, 8, 8}, CRect{0, 1, 1, 2}, {header.data(), header.size()}, bits));
    EXPECT_EQ(dc.GetPixel(4, 4), blue);
    EXPECT_EQ(dc.GetPixel(7, 7), blue);
    EXPECT_EQ(dc.GetPixel(8, 8), white);

    // 24-bit, top-down (negative height), odd width so rows are padded.
    auto header24 = dib_header(3, -1, 24);
    const std::uint8_t bits24[] = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
    CImageDC dc24(3, 1);
    ASSERT_TRUE(dc24.StretchDIBits(CRect{0, 0, 3, 1}, CRect{0, 0, 3, 1}, {header24.data(), header24.size()}, bits24));
    EXPECT_EQ(dc24.GetPixel(0, 0), red);
    EXPECT_EQ(dc24.GetPixel(1, 0), green);
    EXPECT_EQ(dc24.GetPixel(2, 0), blue);

    // Compressed rows are not drawn.
    auto rle = dib_header(2, 2, 8, {red});
    endian::put_le32(&rle[16], 1);
    EXPECT_FALSE(dc.StretchDIBits(CRect{0, 0, 2, 2}, CRect{0, 0, 2, 2}, {rle.data(), rle.size()}, bits));
}

TEST(DeviceContext, PackedBitmapMasksStandWhereTheHeaderSizeSays) {
    // Two 16-bit pixels under 5-6-5 masks: red, green. A 40-byte header has the masks behind
    // it; a 56-byte one holds them, and the swapped decoy behind it must not be taken.
    const std::uint8_t pixels[] = {0x00, 0xF8, 0xE0, 0x07};
    for (const std::uint32_t header_size : {40u, 56u}) {
        SCOPED_TRACE(header_size);
        auto h = dib_header(2, 1, 16);
        h.resize(header_size + 12);
        endian::put_le32(&h[0], header_size);
        endian::put_le32(&h[16], 3);
        const std::uint32_t masks[] = {0xF800, 0x07E0, 0x001F};
        for (int i = 0; i < 3; ++i) {
            endian::put_le32(&h[40 + 4 * i], masks[i]);
            if (header_size > 40) endian::put_le32(&h[header_size + 4 * i], masks[2 - i]);
        }
        CImageDC dc(2, 1);
        ASSERT_TRUE(dc.StretchDIBits(CRect{0, 0, 2, 1}, CRect{0, 0, 2, 1}, {h.data(), h.size()}, pixels));
        EXPECT_EQ(dc.GetPixel(0, 0), red);
        EXPECT_EQ(dc.GetPixel(1, 0), green);
    }
    // 32 bits without masks: blue, green, red, unused.
    const auto h32 = dib_header(1, 1, 32);
    const std::uint8_t pixel32[] = {10, 20, 30, 99};
    CImageDC dc(1, 1);
    ASSERT_TRUE(dc.StretchDIBits(CRect{0, 0, 1, 1}, CRect{0, 0, 1, 1}, {h32.data(), h32.size()}, pixel32));
    EXPECT_EQ(dc.GetPixel(0, 0), RGB(30, 20, 10));
}

TEST(DeviceContext, PackedBitmapHeadersThatCannotBeDrawnAreRefused) {
    struct bad {
        const char* what;
        std::vector<std::uint8_t> header;
    };
    auto with = [](std::vector<std::uint8_t> h, std::size_t at, std::uint32_t v) {
        endian::put_le32(&h[at], v);
        return h;
    };
    const auto plain = dib_header(2, 2, 24);
    const bad table[] = {
        {"header size below 40", with(plain, 0, 39)},
        {"header size beyond the bytes given", with(plain, 0, 44)},
        {"zero width", dib_header(0, 2, 24)},
        {"negative width", dib_header(-2, 2, 24)},
        {"zero height", dib_header(2, 0, 24)},
        {"height without a magnitude", dib_header(2, INT32_MIN, 24)},
        {"no such depth", dib_header(2, 2, 2)},
        {"palette beyond the bytes given", with(dib_header(2, 2, 8, {red, green}), 32, 3)},
        {"full palette missing", dib_header(2, 2, 4)},
        {"masks beyond the bytes given", with(dib_header(2, 2, 16), 16, 3)},
        {"compression foreign to the depth", with(plain, 16, 3)},
        {"run-length rows", with(dib_header(2, 2, 4, std::vector<COLORREF>(16, red)), 16, 2)},
        {"shorter than any header", std::vector<std::uint8_t>(plain.begin(), plain.begin() + 39)},
    };
    const std::vector<std::uint8_t> bits(64, 0);
    CImageDC dc(4, 4);
    for (const bad& b : table)
        EXPECT_FALSE(dc.StretchDIBits(CRect{0, 0, 2, 2}, CRect{0, 0, 2, 2}, {b.header.data(), b.header.size()},
                                      bits.data()))
            << b.what;
}

TEST(DeviceContext, SixteenBitPicturesAndCopiesBetweenContexts) {
    // Bottom row first: the red pixel is the picture's bottom-left.
    const std::uint16_t pixels[] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    CImageDC dc(10, 10);
    ASSERT_TRUE(dc.DrawBitmap565(3, 4, 2, 2, pixels));
    EXPECT_EQ(dc.GetPixel(3, 5), red);
    EXPECT_EQ(dc.GetPixel(4, 5), green);
    EXPECT_EQ(dc.GetPixel(3, 4), blue);
    EXPECT_EQ(dc.GetPixel(4, 4), white);

    // A context over packed 24-bit rows draws upright into them, bottom row first.
    const int width = 5, height = 4;
    const std::size_t stride = 16;
    std::vector<std::uint8_t> surface(stride * height, 0);
    {
        CBitsDC bits(surface.data(), width, height, stride);
        bits.FillSolidRect(CRect{0, 0, 5, 1}, red);  // the top row
        CImageDC target(10, 10);
        ASSERT_TRUE(target.BitBlt(2, 2, width, height, &bits, 0, 0));
        EXPECT_EQ(target.GetPixel(2, 2), red);
        EXPECT_EQ(target.GetPixel(2, 3), RGB(0, 0, 0));
        bits.Flush();
    }
    const std::uint8_t* top_row = &surface[stride * (height - 1)];
    EXPECT_EQ(top_row[0], 0);    // blue
    EXPECT_EQ(top_row[2], 255);  // red
    EXPECT_EQ(surface[2], 0);    // the bottom row stays black
}

namespace {

// A bit of everything, for comparing two kinds of device.
void draw_sample(CDC& dc) {
    CPen pen(PS_SOLID, 1, red);
    CPen thick(PS_SOLID, 3, blue);
    CBrush brush(green);
    CPen* old_pen = dc.SelectObject(&pen);
    CBrush* old_brush = dc.SelectObject(&brush);
    dc.MoveTo(2, 20);
    dc.LineTo(30, 20);
    dc.MoveTo(5, 3);
    dc.LineTo(5, 40);
    dc.MoveTo(10, 30);
    dc.LineTo(40, 55);
    dc.Ellipse(40, 5, 60, 25);
    const CPoint triangle[] = {{62, 2}, {90, 10}, {70, 30}};
    dc.Polygon(triangle, 3);
    dc.SelectObject(&thick);
    dc.MoveTo(10, 60);
    dc.LineTo(80, 70);
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(20, 72, u"Hello map");
    const CPoint box[] = {{50, 40}, {95, 40}, {95, 60}, {50, 60}};
    dc.BeginPath();
    dc.Polygon(box, 4);
    dc.EndPath();
    dc.FillPath();
    dc.SelectObject(old_pen);
    dc.SelectObject(old_brush);
}

}  // namespace

TEST(DeviceContext, PackedRowsTakeExactlyThePixelsOfAnUprightPicture) {
    const int width = 100, height = 90;
    CImageDC upright(width, height);
    draw_sample(upright);
    const std::size_t stride = (width * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> rows(stride * height, 255);
    {
        CBitsDC bits(rows.data(), width, height, stride);
        draw_sample(bits);
        bits.Flush();
    }
    int differing = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = &rows[stride * (height - 1 - y) + 3 * x];
            differing += RGB(p[2], p[1], p[0]) != upright.GetPixel(x, y);
        }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(upright.GetPixel(16, 20), red);
    EXPECT_EQ(upright.GetPixel(5, 3), red);
}

TEST(DeviceContext, PackedRowsKeepWhatIsNotDrawnAndShowDrawingOnFlush) {
    const int width = 3, height = 2;
    const std::size_t stride = 12;
    std::vector<std::uint8_t> rows(stride * height, 7);
    CBitsDC bits(rows.data(), width, height, stride);
    bits.FillSolidRect(CRect{0, 0, 1, 1}, red);  // top-left: the second memory row
    EXPECT_EQ(rows[stride + 2], 7);
    bits.Flush();
    EXPECT_EQ(rows[stride + 2], 255);
    EXPECT_EQ(rows[stride + 0], 0);
    EXPECT_EQ(rows[stride + 3], 7);  // untouched pixels keep their bytes
    EXPECT_EQ(rows[0], 7);
    EXPECT_EQ(rows[9], 7);           // and so does the padding

    // A context that starts black, whatever the rows hold.
    CBitsDC fresh(rows.data(), width, height, stride, true);
    fresh.FillSolidRect(CRect{2, 1, 3, 2}, blue);  // bottom-right
    CImageDC copy(3, 2);
    ASSERT_TRUE(copy.BitBlt(0, 0, 3, 2, &fresh, 0, 0));
    EXPECT_EQ(copy.GetPixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(copy.GetPixel(2, 1), blue);
    fresh.Flush();
    EXPECT_EQ(rows[stride + 2], 0);
    EXPECT_EQ(rows[6], 255);
}

TEST(DeviceContext, TextBetweenLinesDoesNotChangeThePenOfTheLines) {
    CImageDC dc(120, 40);
    CPen pen(PS_SOLID, 1, red);
    dc.SelectObject(&pen);
    dc.MoveTo(0, 2);
    dc.LineTo(100, 2);
    dc.SetTextColor(blue);
    dc.TextOut(0, 10, u"W");
    dc.MoveTo(0, 35);
    dc.LineTo(100, 35);
    EXPECT_EQ(dc.GetPixel(50, 35), red);
    // A different pen with the same look as the last one, and then another colour.
    CPen same(PS_SOLID, 1, red), other(PS_SOLID, 1, green);
    dc.SelectObject(&same);
    dc.MoveTo(0, 36);
    dc.LineTo(100, 36);
    dc.SelectObject(&other);
    dc.MoveTo(0, 37);
    dc.LineTo(100, 37);
    EXPECT_EQ(dc.GetPixel(50, 36), red);
    EXPECT_EQ(dc.GetPixel(50, 37), green);
}
