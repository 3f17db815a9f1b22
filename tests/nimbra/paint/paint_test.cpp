// The off-screen painter: what it covers, how it starts, that nothing reaches the target
// before it ends, and that the target then shows exactly what was drawn.
#include <gtest/gtest.h>

#include <QImage>
#include <vector>

#include "nimbra/image/bmp_image.h"
#include "nimbra/paint/ce_paint.h"
#include "nimbra/paint/w32_paint.h"
#include "platform/endian.h"
#include "platform/image_dc.h"
#include "tests/support/files.h"
#include "tests/support/recording_dc.h"

using namespace platform;
using tarvel_tech::nimbra::bmp_image;
using tarvel_tech::nimbra::ce_paint;
using tarvel_tech::nimbra::paint;
using tarvel_tech::nimbra::w32_paint;

namespace {

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF red = RGB(255, 0, 0);
constexpr COLORREF green = RGB(0, 255, 0);
constexpr COLORREF blue = RGB(0, 0, 255);
constexpr COLORREF old_screen = RGB(10, 20, 30);

template <class T>
concept heap_allocatable = requires(CDC* target) { new T(target, nullptr, 2); };
static_assert(!heap_allocatable<w32_paint>);
static_assert(!heap_allocatable<ce_paint>);

// A window of 120 x 90 pixels scrolled by (15, 10), as a view prepares its context: its
// clip box is (15, 10, 135, 100) in logical units. It shows old content.
struct window_target {
    CImageDC dc{120, 90};
    window_target() {
        dc.FillSolidRect(CRect{0, 0, 120, 90}, old_screen);
        dc.SetViewportOrg(-15, -10);
        dc.SetBkColor(RGB(200, 210, 220));
    }
};

int count_not(const CImageDC& dc, COLORREF colour) {
    int n = 0;
    const CPoint origin = dc.DPtoLP(CPoint{0, 0});
    for (int y = 0; y < dc.GetHeight(); ++y)
        for (int x = 0; x < dc.GetWidth(); ++x) n += dc.GetPixel(origin.x + x, origin.y + y) != colour;
    return n;
}

// A packed bitmap: the 40-byte header, the palette and the rows.
std::vector<std::uint8_t> packed(int width, int height, int bits, const std::vector<COLORREF>& palette,
                                 const std::vector<std::uint8_t>& rows) {
    std::vector<std::uint8_t> b(40 + 4 * palette.size());
    endian::put_le32(&b[0], 40);
    endian::put_le32(&b[4], static_cast<std::uint32_t>(width));
    endian::put_le32(&b[8], static_cast<std::uint32_t>(height));
    endian::put_le16(&b[12], 1);
    endian::put_le16(&b[14], static_cast<std::uint16_t>(bits));
    endian::put_le32(&b[32], static_cast<std::uint32_t>(palette.size()));
    for (std::size_t i = 0; i < palette.size(); ++i) {
        b[40 + 4 * i] = static_cast<std::uint8_t>(GetBValue(palette[i]));
        b[41 + 4 * i] = static_cast<std::uint8_t>(GetGValue(palette[i]));
        b[42 + 4 * i] = static_cast<std::uint8_t>(GetRValue(palette[i]));
    }
    b.insert(b.end(), rows.begin(), rows.end());
    return b;
}

// Lines, an ellipse, a filled path with a hole, text, and an 8-bit and a 24-bit bitmap, at
// the logical coordinates of the window above.
void draw_scene(CDC& dc) {
    CPen pen(PS_SOLID, 1, red);
    CPen wide(PS_SOLID, 4, blue);
    CBrush fill(green);
    CPen* old_pen = dc.SelectObject(&pen);
    CBrush* old_brush = dc.SelectObject(&fill);
    dc.MoveTo(20, 15);
    dc.LineTo(120, 15);
    dc.LineTo(130, 60);
    dc.Ellipse(25, 20, 55, 40);
    const CPoint outer[] = {{60, 20}, {100, 20}, {100, 50}, {60, 50}};
    const CPoint hole[] = {{70, 30}, {90, 30}, {90, 40}, {70, 40}};
    dc.BeginPath();
    dc.Polygon(outer, 4);
    dc.Polygon(hole, 4);
    dc.EndPath();
    dc.FillPath();
    dc.SelectObject(&wide);
    dc.MoveTo(20, 95);
    dc.LineTo(60, 80);
    dc.SetTextColor(blue);
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(65, 55, u"Paint");
    // 8-bit, 2 x 2, bottom row red green, top row blue white; doubled.
    const auto eight = packed(2, 2, 8, {red, green, blue, white}, {0, 1, 0, 0, 2, 3, 0, 0});
    dc.StretchDIBits(CRect{20, 50, 24, 54}, CRect{0, 0, 2, 2}, {eight.data(), 40 + 16}, eight.data() + 56);
    // 24-bit, 3 x 1: red, green, blue.
    const auto rgb = packed(3, 1, 24, {}, {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0});
    dc.StretchDIBits(CRect{30, 60, 33, 61}, CRect{0, 0, 3, 1}, {rgb.data(), 40}, rgb.data() + 40);
    dc.SelectObject(old_pen);
    dc.SelectObject(old_brush);
}

}  // namespace

TEST(W32Paint, CoversTheClipBoxStartsInTheBackgroundAndShowsOnlyWhenItEnds) {
    window_target window;
    const CRect clip{15, 10, 135, 100};
    ASSERT_EQ(window.dc.GetClipBox(), clip);
    {
        w32_paint p(&window.dc, nullptr, paint::fill_background);
        EXPECT_EQ(p.get_rect(), clip);
        EXPECT_TRUE(p.is_off_screen());
        EXPECT_FALSE(p.IsPrinting());
        EXPECT_EQ(p.GetClipBox(), clip);  // drawn at the target's own coordinates
        ASSERT_NE(p.get_surface(), nullptr);
        const bmp_image* surface = p.get_bitmap();
        ASSERT_NE(surface, nullptr);
        EXPECT_EQ(surface->get_info().biWidth, 120);
        EXPECT_EQ(surface->get_info().biHeight, 90);
        EXPECT_EQ(surface->get_info().biBitCount, 24);
        EXPECT_EQ(surface->get_color(0, 0), (tarvel_tech::nimbra::RGBQUAD{220, 210, 200, 0}));
        EXPECT_EQ(surface->get_color(119, 89), (tarvel_tech::nimbra::RGBQUAD{220, 210, 200, 0}));

        p.FillSolidRect(CRect{130, 95, 135, 100}, red);  // the bottom-right corner of the view
        draw_scene(p);
        EXPECT_EQ(count_not(window.dc, old_screen), 0);  // the window still shows what it had
    }
    EXPECT_EQ(window.dc.GetPixel(134, 99), red);
    EXPECT_EQ(window.dc.GetPixel(129, 99), RGB(200, 210, 220));
    EXPECT_EQ(window.dc.GetPixel(15, 10), RGB(200, 210, 220));
    EXPECT_EQ(count_not(window.dc, old_screen), 120 * 90);

    // The picture is exactly the one drawn straight into a window.
    window_target direct;
    direct.dc.FillSolidRect(clip, RGB(200, 210, 220));
    direct.dc.FillSolidRect(CRect{130, 95, 135, 100}, red);
    draw_scene(direct.dc);
    int differing = 0;
    for (int y = clip.top; y < clip.bottom; ++y)
        for (int x = clip.left; x < clip.right; ++x) differing += window.dc.GetPixel(x, y) != direct.dc.GetPixel(x, y);
    EXPECT_EQ(differing, 0);
}

TEST(W32Paint, EveryOperationLandsOnItsPixels) {
    window_target window;
    {
        w32_paint p(&window.dc, nullptr, paint::fill_background);
        draw_scene(p);
    }
    const CImageDC& dc = window.dc;
    // Lines: the first segment along row 15 from x 20, the pen's colour.
    EXPECT_EQ(dc.GetPixel(20, 15), red);
    EXPECT_EQ(dc.GetPixel(119, 15), red);
    EXPECT_NE(dc.GetPixel(70, 14), red);
    EXPECT_NE(dc.GetPixel(70, 16), red);
    EXPECT_EQ(dc.GetPixel(130, 60), red);   // where the second segment ends
    EXPECT_EQ(dc.GetPixel(40, 88), blue);   // on the wide line
    // Ellipse: outlined in the pen, filled with the brush, inside its box.
    EXPECT_EQ(dc.GetPixel(40, 30), green);
    EXPECT_EQ(dc.GetPixel(25, 30), red);
    EXPECT_NE(dc.GetPixel(55, 30), red);
    EXPECT_NE(dc.GetPixel(26, 21), green);
    // The path: filled with no outline, its hole open.
    EXPECT_EQ(dc.GetPixel(60, 20), green);
    EXPECT_EQ(dc.GetPixel(99, 49), green);
    EXPECT_NE(dc.GetPixel(100, 50), green);
    EXPECT_NE(dc.GetPixel(80, 35), green);
    // Bitmaps: upright, the 8-bit one doubled.
    EXPECT_EQ(dc.GetPixel(20, 50), blue);
    EXPECT_EQ(dc.GetPixel(23, 51), white);
    EXPECT_EQ(dc.GetPixel(21, 52), red);
    EXPECT_EQ(dc.GetPixel(23, 53), green);
    EXPECT_EQ(dc.GetPixel(30, 60), red);
    EXPECT_EQ(dc.GetPixel(31, 60), green);
    EXPECT_EQ(dc.GetPixel(32, 60), blue);
    // Text: blue pixels inside the text's box right of (65, 55), none left of it.
    CImageDC measure(10, 10);
    const CSize extent = measure.GetTextExtent(u"Paint");
    int inside = 0;
    for (int y = 55; y < 55 + extent.cy; ++y)
        for (int x = 65; x < 65 + extent.cx; ++x) inside += dc.GetPixel(x, y) == blue;
    EXPECT_GT(inside, 20);
    for (int y = 55; y < 55 + extent.cy; ++y) EXPECT_NE(dc.GetPixel(64, y), blue);
}

TEST(W32Paint, FillTypesStartTheSurfaceFromTheTargetOrBlack) {
    for (const int fill : {int(paint::fill_target), int(paint::fill_none), 5}) {
        window_target window;
        window.dc.FillSolidRect(CRect{40, 40, 50, 50}, blue);
        const CRect part{30, 30, 60, 70};
        {
            w32_paint p(&window.dc, &part, fill);
            EXPECT_EQ(p.get_rect(), part);
            p.FillSolidRect(CRect{30, 60, 40, 70}, red);
            p.FillSolidRect(CRect{0, 0, 200, 20}, red);  // outside the rectangle: clipped away
        }
        const CImageDC& dc = window.dc;
        const COLORREF kept = fill == paint::fill_target ? old_screen : RGB(0, 0, 0);
        EXPECT_EQ(dc.GetPixel(45, 45), fill == paint::fill_target ? blue : RGB(0, 0, 0)) << fill;
        EXPECT_EQ(dc.GetPixel(30, 30), kept) << fill;
        EXPECT_EQ(dc.GetPixel(59, 59), kept) << fill;
        EXPECT_EQ(dc.GetPixel(35, 65), red) << fill;
        EXPECT_EQ(dc.GetPixel(29, 45), old_screen) << fill;  // outside the rectangle
        EXPECT_EQ(dc.GetPixel(60, 45), old_screen) << fill;
        EXPECT_EQ(dc.GetPixel(45, 15), old_screen) << fill;
    }
}

TEST(W32Paint, NothingReachesTheTargetUntilTheOneTransferAtTheEnd) {
    test_support::recording_dc target;
    const CRect area{5, 6, 45, 36};
    CPen pen(PS_SOLID, 1, red);
    {
        w32_paint p(&target, &area, paint::fill_background);
        ASSERT_TRUE(p.HasDevice());
        p.SelectObject(&pen);
        p.MoveTo(5, 6);
        p.LineTo(40, 30);
        p.Ellipse(10, 10, 20, 20);
        p.TextOut(6, 7, u"x");
        EXPECT_TRUE(target.calls().empty());
        EXPECT_EQ(target.GetCurrentPen()->GetColor(), RGB(0, 0, 0));  // the target's pen is its own
    }
    EXPECT_EQ(target.texts(), std::vector<std::string>{"BitBlt 5 6 40 30 <- 5 6"});
}

TEST(W32Paint, APrintingTargetIsDrawnDirectly) {
    CImageDC printer(60, 40, true);
    CPen pen(PS_SOLID, 1, red);
    {
        w32_paint p(&printer, nullptr, paint::fill_none);
        EXPECT_FALSE(p.is_off_screen());
        EXPECT_TRUE(p.IsPrinting());
        EXPECT_EQ(p.get_surface(), nullptr);
        EXPECT_EQ(p.get_rect(), (CRect{0, 0, 60, 40}));
        CPen* old = p.SelectObject(&pen);
        EXPECT_EQ(printer.GetCurrentPen(), &pen);  // one device, one state
        p.MoveTo(0, 5);
        p.LineTo(60, 5);
        EXPECT_EQ(printer.GetPixel(30, 5), red);  // at once
        p.SelectObject(old);
    }
    // Its end copies the area onto itself: the page stays as drawn.
    EXPECT_EQ(printer.GetPixel(30, 5), red);
    EXPECT_EQ(printer.GetPixel(30, 6), white);

    // The background fill reaches the page too.
    CImageDC page(20, 20, true);
    page.SetBkColor(blue);
    const CRect part{5, 5, 10, 10};
    { w32_paint p(&page, &part, paint::fill_background); }
    EXPECT_EQ(page.GetPixel(5, 5), blue);
    EXPECT_EQ(page.GetPixel(4, 5), white);
}

TEST(W32Paint, WithoutASurfaceNothingIsDrawnAndNothingIsShown) {
    test_support::recording_dc target;
    const CRect empty{10, 10, 10, 30};
    const CRect huge{0, 0, 100000, 100000};
    for (const CRect* area : {&empty, &huge}) {
        w32_paint p(&target, area, paint::fill_background);
        EXPECT_FALSE(p.HasDevice());
        EXPECT_FALSE(p.create(paint::fill_background));
        EXPECT_FALSE(p.LineTo(5, 5));
        EXPECT_EQ(p.get_surface(), nullptr);
    }
    EXPECT_TRUE(target.calls().empty());

    w32_paint orphan(nullptr, nullptr, paint::fill_background);
    EXPECT_FALSE(orphan.HasDevice());
    EXPECT_FALSE(orphan.flush());
    EXPECT_EQ(orphan.get_rect(), CRect{});
}

TEST(W32Paint, TheSurfaceIsAPackedPictureBottomRowFirst) {
    CImageDC target(7, 3);
    test_support::temp_dir dir;
    {
        w32_paint p(&target, nullptr, paint::fill_background);
        p.FillSolidRect(CRect{0, 0, 7, 1}, red);    // top row
        p.FillSolidRect(CRect{6, 2, 7, 3}, blue);   // bottom-right pixel
        const std::uint8_t* bits = p.get_surface();
        ASSERT_NE(bits, nullptr);
        const std::size_t stride = 24;  // 7 x 3 bytes, padded to 4
        EXPECT_EQ(bits[0], 255);        // bottom-left: white
        EXPECT_EQ(bits[18], 255);       // bottom-right: blue, green, red bytes
        EXPECT_EQ(bits[19], 0);
        EXPECT_EQ(bits[20], 0);
        EXPECT_EQ(bits[21], 0);         // the padding stays zero
        EXPECT_EQ(bits[2 * stride + 0], 0);
        EXPECT_EQ(bits[2 * stride + 2], 255);
        ASSERT_TRUE(p.get_bitmap()->save(dir.file("surface.bmp")));
    }
    const QImage written(QString::fromStdString(dir.file("surface.bmp")));
    ASSERT_EQ(written.size(), QSize(7, 3));
    EXPECT_EQ(written.pixel(3, 0), qRgb(255, 0, 0));
    EXPECT_EQ(written.pixel(6, 2), qRgb(0, 0, 255));
    EXPECT_EQ(written.pixel(0, 2), qRgb(255, 255, 255));
}

TEST(W32Paint, DrawingHeadlessEndsInAPicture) {
    test_support::temp_dir dir;
    CImageDC target(64, 48);
    {
        w32_paint p(&target, nullptr, paint::fill_background);
        draw_scene(p);
    }
    ASSERT_TRUE(target.SavePng(dir.file("map.png")));
    const QImage png(QString::fromStdString(dir.file("map.png")));
    ASSERT_EQ(png.size(), QSize(64, 48));
    EXPECT_EQ(png.pixel(20, 15), qRgb(255, 0, 0));
    EXPECT_EQ(png.pixel(40, 30), qRgb(0, 255, 0));
    EXPECT_EQ(png.pixel(5, 5), qRgb(255, 255, 255));
}

TEST(CePaint, DrawsFromItsCornerAndShowsAtItsRectangle) {
    CImageDC device(50, 50);
    const CRect area{10, 20, 30, 40};
    {
        ce_paint p(&device, &area, paint::fill_background);
        EXPECT_EQ(p.GetClipBox(), (CRect{0, 0, 20, 20}));
        p.FillSolidRect(CRect{0, 0, 5, 5}, red);
        EXPECT_EQ(device.GetPixel(10, 20), white);
        device.SetBkColor(green);  // too late: the surface started white
    }
    EXPECT_EQ(device.GetPixel(10, 20), red);
    EXPECT_EQ(device.GetPixel(14, 24), red);
    EXPECT_EQ(device.GetPixel(15, 25), white);
    EXPECT_EQ(device.GetPixel(0, 0), white);

    // Without a rectangle there is nothing to draw on, and the target keeps its pixels.
    test_support::recording_dc recorder;
    {
        ce_paint p(&recorder, nullptr, paint::fill_background);
        EXPECT_FALSE(p.HasDevice());
    }
    EXPECT_TRUE(recorder.calls().empty());
}

// Label text in the 8-bit character set may hold any byte (A0 C8 EB 85 F3 CC E1 7F read as
// Windows-1252): drawing it must end in pixels, under the sanitizers too. fontconfig keeps
// what it builds for such text to the end of the process; scripts/test's LeakSanitizer
// suppressions name it.
TEST(W32Paint, TextOfAnyBytesIsDrawn) {
    CImageDC target(120, 40);
    {
        w32_paint p(&target, nullptr, paint::fill_background);
        p.SetTextColor(0x00000000);
        p.SetBkMode(TRANSPARENT);
        p.TextOut(2, 2, u"\u00A0\u00C8\u00EB\u2026\u00F3\u00CC\u00E1\u007F");
    }
    int dark = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x) dark += target.GetPixel(x, y) != 0x00FFFFFF;
    EXPECT_GT(dark, 0);
}
