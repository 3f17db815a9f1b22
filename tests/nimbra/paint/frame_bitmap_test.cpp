// Frame bitmaps of an RRE layer: each frame decoded once and drawn at its place in a view.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "nimbra/image/jpg_image.h"
#include "nimbra/layer/layer_image.h"
#include "nimbra/layer/read_layer.h"
#include "nimbra/layer/write_layer.h"
#include "nimbra/paint/w32_paint.h"
#include "platform/image_dc.h"
#include "tests/support/files.h"
#include "tests/support/recording_dc.h"

using namespace platform;
using tarvel_tech::nimbra::jpg_image;
using tarvel_tech::nimbra::layer;
using tarvel_tech::nimbra::layer_image;
using tarvel_tech::nimbra::paint;
using tarvel_tech::nimbra::read_layer;
using tarvel_tech::nimbra::RGBQUAD;
using tarvel_tech::nimbra::w32_paint;
using tarvel_tech::nimbra::write_layer;
using bitmap = w32_paint::bitmap;
using bitmap_list = w32_paint::bitmap_list;

namespace {

constexpr int frame_width = 24, frame_height = 16, columns = 3, rows = 2;
constexpr int layer_width = frame_width * columns, layer_height = frame_height * rows;
constexpr COLORREF white = RGB(255, 255, 255);

RGBQUAD frame_colour(int index) {
    return RGBQUAD{static_cast<std::uint8_t>(30 + 40 * index), static_cast<std::uint8_t>(200 - 30 * index),
                   static_cast<std::uint8_t>(17 * index + 60), 0};
}

// A flat frame with a light square in its top-left corner, so that a frame drawn upside
// down or shifted shows.
std::vector<std::uint8_t> frame_jpeg(int index) {
    jpg_image f;
    f.create(frame_width, frame_height, 24, 2);
    for (int y = 0; y < frame_height; ++y)
        for (int x = 0; x < frame_width; ++x)
            f.set_color(x, y, x < 8 && y >= frame_height - 8 ? RGBQUAD{250, 250, 250, 0} : frame_colour(index));
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t length = 0;
    EXPECT_TRUE(f.encode(bytes, length));
    return {bytes.get(), bytes.get() + length};
}

// The 3 x 2 layer in a file; frame `broken` (if any) is no JPEG.
struct layer_file {
    test_support::temp_dir dir;
    read_layer layer;
    layer_image picture;  // the whole layer, decoded the ordinary way

    explicit layer_file(int broken = -1) {
        write_layer w;
        auto& h = w.get_header();
        h.set_frame_grid(columns, rows, frame_width, frame_height);
        for (int i = 0; i < columns * rows; ++i) {
            const auto body = i == broken ? std::vector<std::uint8_t>(300, 0x5A) : frame_jpeg(i);
            w.put_frame(body.data(), body.size());
        }
        EXPECT_TRUE(w.save(dir.file("layer.rre")));
        EXPECT_TRUE(layer.load(dir.file("layer.rre")));
        if (broken < 0) {
            EXPECT_TRUE(picture.decode(&layer));
        }
    }

    // Layer pixel (x, y), y down from the top.
    COLORREF pixel(int x, int y) const {
        const RGBQUAD q = picture.get_color(x, layer_height - 1 - y);
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
};

bool near(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(int(GetRValue(a)) - int(GetRValue(b))) <= tolerance &&
           std::abs(int(GetGValue(a)) - int(GetGValue(b))) <= tolerance &&
           std::abs(int(GetBValue(a)) - int(GetBValue(b))) <= tolerance;
}

// Draws the list through a paint over a white 100 x 60 target.
std::unique_ptr<CImageDC> drawn(const bitmap_list& list, bool* answer = nullptr) {
    auto target = std::make_unique<CImageDC>(100, 60);
    w32_paint p(target.get(), nullptr, paint::fill_background);
    const bool done = list.draw(&p);
    if (answer) *answer = done;
    p.flush();
    return target;
}

// Pixels of the view at scale 1 are the layer's from `position` on; the rest stays white.
int mismatches(const CImageDC& target, const layer_file& file, CPoint position, CRect view) {
    int wrong = 0;
    for (int y = 0; y < target.GetHeight(); ++y)
        for (int x = 0; x < target.GetWidth(); ++x) {
            const int lx = position.x + x - view.left, ly = position.y + y - view.top;
            const bool shown = x >= view.left && x < view.right && y >= view.top && y < view.bottom && lx >= 0 &&
                               ly >= 0 && lx < layer_width && ly < layer_height;
            wrong += target.GetPixel(x, y) != (shown ? file.pixel(lx, ly) : white);
        }
    return wrong;
}

}  // namespace

TEST(FrameBitmaps, AListDrawsTheFramesOfItsViewAtTheirPlaces) {
    layer_file file;
    const CPoint position{20, 3};
    const CRect view{10, 5, 60, 35};  // 50 x 30: the layer ends inside it at the bottom
    bitmap_list list(&file.layer, &position, view, 1);
    EXPECT_EQ(list.size(), 6u);  // columns 0 to 2, rows 0 and 1
    EXPECT_EQ(list.get_rect(), view);
    for (auto it = file.layer.begin(); it != file.layer.end(); ++it) EXPECT_EQ(it->get_body(), nullptr);

    bool answer = false;
    const auto target = drawn(list, &answer);
    EXPECT_TRUE(answer);
    EXPECT_EQ(mismatches(*target, file, position, view), 0);
    // The light corner of frame 1 (layer x 24) is at x 10 + 4 = 14 of the view's top row.
    EXPECT_TRUE(near(target->GetPixel(15, 5 + 2), RGB(250, 250, 250), 12));

    // Scale 0 draws at scale 1.
    bitmap_list unscaled(&file.layer, &position, view, 0);
    EXPECT_EQ(unscaled.get_scale(), 1);
    EXPECT_EQ(mismatches(*drawn(unscaled), file, position, view), 0);

    // A view beside the layer holds nothing.
    const CPoint beyond{layer_width, 0};
    bitmap_list outside(&file.layer, &beyond, CSize{30, 20}, 1);
    EXPECT_TRUE(outside.empty());
}

TEST(FrameBitmaps, AtScaleTwoEveryFrameTakesHalfItsSize) {
    layer_file file;
    const CPoint origin{0, 0};
    bitmap_list list(&file.layer, &origin, CRect{4, 2, 94, 52}, 2);
    ASSERT_EQ(list.size(), 6u);
    const auto target = drawn(list);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            // Frame (c, r) covers 12 x 8 pixels from (4 + 12 c, 2 + 8 r); its flat part is
            // the right half.
            const int x = 4 + 12 * c + 9, y = 2 + 8 * r + 5;
            EXPECT_TRUE(near(target->GetPixel(x, y), file.pixel(24 * c + 18, 16 * r + 10), 8)) << c << ' ' << r;
            EXPECT_TRUE(near(target->GetPixel(4 + 12 * c + 1, 2 + 8 * r + 1), RGB(250, 250, 250), 12));
        }
    EXPECT_EQ(target->GetPixel(4 + 36, 10), white);  // the layer is 36 pixels wide at this scale
    EXPECT_EQ(target->GetPixel(20, 2 + 16), white);
    EXPECT_NE(target->GetPixel(4 + 35, 2 + 15), white);
}

TEST(FrameBitmaps, UpdateKeepsTheFramesThatStayInView) {
    layer_file file;
    const CPoint start{0, 0};
    const CRect view{0, 0, 30, 20};
    bitmap_list list(&file.layer, &start, view, 1);
    std::map<std::uint32_t, const paint::paint_object*> before;
    for (std::size_t i = 0; i < list.size(); ++i)
        before[dynamic_cast<const bitmap*>(list.at(i))->get_index()] = list.at(i);
    EXPECT_EQ(before.size(), 4u);  // frames 0, 1, 3, 4

    const CPoint moved{30, 10};
    EXPECT_TRUE(list.update(nullptr, &moved, nullptr, 0));
    EXPECT_EQ(list.get_scale(), 1);
    ASSERT_EQ(list.size(), 4u);  // frames 1, 2, 4, 5
    int kept = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto* b = dynamic_cast<const bitmap*>(list.at(i));
        ASSERT_NE(b, nullptr);
        if (before.count(b->get_index())) {
            EXPECT_EQ(before[b->get_index()], b);
            ++kept;
        }
    }
    EXPECT_EQ(kept, 2);
    EXPECT_EQ(mismatches(*drawn(list), file, moved, view), 0);

    // A new scale alone; then a new view.
    EXPECT_TRUE(list.update(nullptr, nullptr, nullptr, 3));
    EXPECT_EQ(list.get_scale(), 3);
    EXPECT_EQ(list.get_position(), moved);
    const CRect wider{5, 5, 95, 55};
    EXPECT_TRUE(list.update(nullptr, &start, &wider, 1));
    EXPECT_EQ(list.size(), 6u);
    EXPECT_EQ(mismatches(*drawn(list), file, start, wider), 0);

    EXPECT_TRUE(list.clear());
    bitmap_list unbound;
    EXPECT_FALSE(unbound.update(nullptr, &start, &view, 1));
}

TEST(FrameBitmaps, OneFrameShowsFromAPointOrMovedByANegativeOffset) {
    layer_file file;
    // The frame holding layer pixel (30, 20) is frame 4, at (24, 16): shown from (6, 4) on.
    const CPoint at{5, 5};
    bitmap b(&file.layer, CPoint{30, 20}, &at, nullptr, 1);
    ASSERT_TRUE(b.is_valid());
    EXPECT_EQ(b.get_index(), 4u);
    EXPECT_EQ(b.get_place(), (CPoint{24, 16}));
    EXPECT_EQ(b.get_source_rect(), (CRect{6, 4, 24, 16}));
    EXPECT_EQ(b.get_destination_rect(), (CRect{5, 5, 23, 17}));
    CImageDC target(40, 30);
    {
        w32_paint p(&target, nullptr, paint::fill_background);
        EXPECT_TRUE(b.draw(&p));
    }
    EXPECT_EQ(target.GetPixel(5, 5), file.pixel(30, 20));
    EXPECT_EQ(target.GetPixel(22, 16), file.pixel(47, 31));
    EXPECT_EQ(target.GetPixel(23, 16), white);
    EXPECT_EQ(target.GetPixel(4, 5), white);

    // A negative offset: the whole frame, moved right and down by offset / scale.
    layer::frame_iterator first = file.layer.begin();
    const CPoint offset{-10, -4}, corner{0, 0};
    bitmap moved(first, &corner, &offset, nullptr, 2);
    EXPECT_EQ(moved.get_source_rect(), (CRect{0, 0, 24, 16}));
    EXPECT_EQ(moved.get_destination_rect(), (CRect{5, 2, 17, 10}));
    EXPECT_TRUE(moved.update(&corner, &offset, nullptr, 1));
    EXPECT_EQ(moved.get_destination_rect(), (CRect{10, 4, 34, 20}));

    // The limit stops drawing at its right and bottom.
    const CPoint limit{20, 12};
    EXPECT_TRUE(moved.update(&corner, &offset, &limit, 1));
    CImageDC limited(40, 30);
    {
        w32_paint p(&limited, nullptr, paint::fill_background);
        EXPECT_TRUE(moved.draw(&p));
    }
    EXPECT_EQ(limited.GetPixel(19, 11), file.pixel(9, 7));
    EXPECT_EQ(limited.GetPixel(20, 11), white);
    EXPECT_EQ(limited.GetPixel(19, 12), white);

    // Scale 0 is 1; a start outside the frame, no frame, or no device: nothing.
    bitmap unscaled(first, &corner, nullptr, nullptr, 0);
    EXPECT_EQ(unscaled.get_scale(), 1);
    const CPoint past{24, 0};
    bitmap outside(first, &corner, &past, nullptr, 1);
    EXPECT_FALSE(outside.is_valid());
    bitmap none(file.layer.end(), &corner, nullptr, nullptr, 1);
    EXPECT_FALSE(none.is_valid());
    test_support::recording_dc recorder;
    const CRect empty{};
    w32_paint deviceless(&recorder, &empty, paint::fill_background);
    EXPECT_FALSE(unscaled.draw(&deviceless));
    EXPECT_FALSE(unscaled.draw(nullptr));
}

TEST(FrameBitmaps, AFrameThatCannotBeDecodedIsLeftOutAndTheOthersAreDrawn) {
    layer_file good;
    layer_file file(1);
    const CPoint origin{0, 0};
    const CRect view{0, 0, 100, 60};
    bitmap_list list;
    EXPECT_FALSE(list.create(&file.layer, &origin, view, 1));
    EXPECT_EQ(list.size(), 5u);
    bool answer = false;
    const auto target = drawn(list, &answer);
    EXPECT_TRUE(answer);
    EXPECT_EQ(target->GetPixel(30, 5), white);  // where frame 1 would be
    EXPECT_EQ(target->GetPixel(5, 5), good.pixel(5, 5));
    EXPECT_EQ(target->GetPixel(60, 20), good.pixel(60, 20));

    // A body that is not in the file any more.
    auto bytes = test_support::read_bytes(good.dir.file("layer.rre"));
    bytes.resize(bytes.size() - 10);
    test_support::write_bytes(good.dir.file("short.rre"), bytes);
    read_layer cut;
    ASSERT_TRUE(cut.load(good.dir.file("short.rre")));
    layer::frame_iterator last = cut.begin();
    last += 5;
    bitmap lost(last, nullptr, nullptr, nullptr, 1);
    EXPECT_FALSE(lost.is_valid());
    EXPECT_EQ(last->get_body(), nullptr);

    // A layer without a frame grid makes no list.
    read_layer empty;
    EXPECT_FALSE(list.create(&empty, &origin, view, 1));
    EXPECT_FALSE(list.create(nullptr, &origin, view, 1));
}
