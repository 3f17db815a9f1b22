#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "georef/foot_hold.h"
#include "georef/foothold_marker.h"
#include "platform/image_dc.h"
#include "tests/support/recording_dc.h"

using georef::CFootHold;
using georef::CPt;
using platform::CPoint;

TEST(FootHold, RandomEditsKeepNumbersOrderAndUsedCount) {
    // The list against a plain model of it, through a long run of random edits.
    struct entry {
        int number;
        bool used;
        int x;
    };
    std::vector<entry> model;
    int handedOut = 0;
    CFootHold list;
    std::mt19937 gen(5);
    std::uniform_int_distribution<int> op(0, 9), pos(-3, 60);
    for (int step = 0; step < 3000; ++step) {
        const int i = pos(gen);
        const bool valid = i >= 0 && i < static_cast<int>(model.size());
        switch (op(gen)) {
            case 0: case 1: case 2: {
                ASSERT_EQ(list.Add(CPoint{step, -step}), static_cast<int>(model.size()));
                model.push_back({++handedOut, true, step});
                break;
            }
            case 3:
                ASSERT_EQ(list.RemoveAt(i), valid);
                if (valid) model.erase(model.begin() + i);
                break;
            case 4:
                ASSERT_EQ(list.SetUnused(i), valid);
                if (valid) model[i].used = false;
                break;
            case 5:
                ASSERT_EQ(list.SetUsed(i), valid);
                if (valid) model[i].used = true;
                break;
            case 6:
                ASSERT_EQ(list.SetNumber(i, step), valid);
                if (valid) model[i].number = step;
                break;
            case 7:
                if (step % 50 == 0) {
                    list.Clear();
                    model.clear();
                }
                break;
            default:
                ASSERT_EQ(list.SetGround(i, CPt(i * 0.5, -i * 0.25, 0.0)), valid);
                if (valid) {
                    EXPECT_EQ(*list.GetGround(i), CPt(i * 0.5, -i * 0.25, 0.0));
                }
        }
        ASSERT_EQ(list.GetCount(), static_cast<int>(model.size()));
        int used = 0;
        for (std::size_t k = 0; k < model.size(); ++k) {
            const int index = static_cast<int>(k);
            ASSERT_EQ(list.GetNumber(index), model[k].number);
            ASSERT_EQ(list.IsUsed(index), model[k].used);
            ASSERT_EQ(list.GetPlane(index), CPt(model[k].x, -model[k].x));
            used += model[k].used;
        }
        ASSERT_EQ(list.GetUsedCount(), used);
    }
    // Bad indices answer the "nothing" values.
    for (int bad : {-1, list.GetCount(), 1 << 30}) {
        EXPECT_EQ(list.GetPlane(bad), CPt());
        EXPECT_EQ(list.GetGround(bad), nullptr);
        EXPECT_EQ(list.GetNumber(bad), -1);
        EXPECT_FALSE(list.IsUsed(bad));
    }
}

TEST(FootHold, AThousandAndNoMore) {
    CFootHold list;
    for (int i = 0; i < CFootHold::kMaxCount; ++i) ASSERT_EQ(list.Add(CPoint{i, i}), i);
    EXPECT_EQ(list.Add(CPoint{5, 5}), -1);
    EXPECT_EQ(list.GetCount(), 1000);
    EXPECT_EQ(list.GetUsedCount(), 1000);
    // A number is not handed out for the refused one.
    list.RemoveAt(0);
    EXPECT_EQ(list.Add(CPoint{5, 5}), 999);
    EXPECT_EQ(list.GetNumber(999), 1001);
}

TEST(FootHold, RemoveNearestTakesTheFirstOfEquallyNear) {
    CFootHold list;
    EXPECT_FALSE(list.RemoveNearest(CPoint{0, 0}));
    for (CPoint p : {CPoint{10, 0}, CPoint{0, 10}, CPoint{-10, 0}, CPoint{100, 100}}) list.Add(p);
    list.SetUnused(1);
    EXPECT_TRUE(list.RemoveNearest(CPoint{0, 0}));  // three at 10: the first goes
    EXPECT_EQ(list.GetNumber(0), 2);
    EXPECT_TRUE(list.RemoveNearest(CPoint{1, 9}));  // the unused one
    EXPECT_EQ(list.GetUsedCount(), 2);
    EXPECT_TRUE(list.RemoveNearest(CPoint{90, 80}));
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetNumber(0), 3);
}

namespace {

// Writes down the font, alignment and background mode each label is drawn with.
class label_dc : public test_support::recording_dc {
public:
    bool TextOut(int x, int y, std::u16string_view text) override {
        const platform::CFont* f = GetCurrentFont();
        fonts.push_back(f->GetFace() + " " + std::to_string(f->GetHeight()) + " " + std::to_string(f->GetWeight()) +
                        " align " + std::to_string(align) + " mode " + std::to_string(mode));
        return recording_dc::TextOut(x, y, text);
    }
    unsigned SetTextAlign(unsigned a) override { return std::exchange(align, a); }
    int SetBkMode(int m) override { return std::exchange(mode, m); }

    std::vector<std::string> fonts;
    unsigned align = 0;
    int mode = platform::OPAQUE;
};

}  // namespace

TEST(FootHold, DrawsMarkersCentredAndRedNumbersBeside) {
    CFootHold list;
    list.Add(CPoint{10, 20});
    list.Add(CPoint{-3, 7});
    list.SetUnused(1);  // drawn all the same

    label_dc dc;
    const platform::CFont* before = dc.GetCurrentFont();
    const platform::COLORREF colour = dc.SetTextColor(platform::RGB(0, 0, 255));
    EXPECT_EQ(list.Draw(&dc, CPoint{5, -4}, 3), 2);

    // Plane (10, 20) at ((5 + 10) * 3, (-4 + 20) * 3) = (45, 48); (-3, 7) at (6, 9). Where the
    // markers land is seen on real pixels below.
    std::vector<std::string> labels;
    for (const auto& c : dc.calls())
        if (c.text.rfind("TextOut", 0) == 0) {
            labels.push_back(c.text);
            EXPECT_EQ(c.text_color, platform::RGB(255, 0, 0));
        }
    EXPECT_EQ(labels, (std::vector<std::string>{"TextOut 61 48 1", "TextOut 22 9 2"}));
    EXPECT_EQ(dc.fonts, std::vector<std::string>(2, "Arial 36 1 align 24 mode 1"));
    // What the context had before comes back.
    EXPECT_EQ(dc.GetCurrentFont(), before);
    EXPECT_EQ(dc.SetTextColor(colour), platform::RGB(0, 0, 255));
    EXPECT_EQ(dc.align, 0u);
    EXPECT_EQ(dc.mode, platform::OPAQUE);
    EXPECT_EQ(list.Draw(nullptr, CPoint{}, 1), 2);
}

TEST(FootHold, MarkerShowsThePictureAroundIt) {
    // On a real surface: the foothold's pixel is the marker's ink, the corners of its box and
    // its gap keep the picture, and far-away positions draw nothing and break nothing.
    platform::CImageDC dc(200, 100);
    dc.FillSolidRect({0, 0, 200, 100}, platform::RGB(0, 128, 0));
    CFootHold list;
    list.Add(CPoint{50, 50});
    list.Add(CPoint{1 << 30, -(1 << 30)});
    list.Draw(&dc, CPoint{}, 1);
    EXPECT_EQ(dc.GetPixel(50, 50), platform::RGB(255, 0, 0));
    EXPECT_EQ(dc.GetPixel(50, 50 - 11), platform::RGB(255, 0, 0));  // the ring
    EXPECT_EQ(dc.GetPixel(52, 50), platform::RGB(0, 128, 0));       // the gap in the cross hair
    for (CPoint corner : {CPoint{34, 34}, CPoint{65, 34}, CPoint{34, 65}, CPoint{65, 65}})
        EXPECT_EQ(dc.GetPixel(corner.x, corner.y), platform::RGB(0, 128, 0));
    int red = 0;  // the label "1" right of the marker
    for (int y = 20; y < 60; ++y)
        for (int x = 66; x < 100; ++x) red += dc.GetPixel(x, y) == platform::RGB(255, 0, 0);
    EXPECT_GT(red, 20);
    // The marker is symmetric about its centre, so that centre is the foothold.
    const auto& m = georef::foothold_marker::get();
    for (int y = 1; y < 32; ++y)
        for (int x = 1; x < 32; ++x) ASSERT_EQ(m.IsOpaque(x, y), m.IsOpaque(32 - x, 32 - y)) << x << " " << y;
}
