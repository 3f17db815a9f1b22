// Lists of drawable objects: drawing all of them, and who destroys what.
#include <gtest/gtest.h>

#include <memory>

#include "nimbra/paint/paint_object_list.h"
#include "nimbra/paint/w32_paint.h"
#include "platform/image_dc.h"

using namespace platform;
using tarvel_tech::nimbra::paint;
using tarvel_tech::nimbra::w32_paint;

namespace {

// Fills one pixel column and answers as told; counts its destruction.
struct column : paint::paint_object {
    column(int x, bool succeeds, int* destroyed, bool valid = true)
        : x(x), succeeds(succeeds), valid(valid), destroyed(destroyed) {}
    ~column() override { ++*destroyed; }
    bool draw(paint* target) const override {
        target->FillSolidRect(CRect{x, 0, x + 1, 4}, RGB(255, 0, 0));
        return succeeds;
    }
    bool is_valid(paint*) const override { return valid; }
    int x;
    bool succeeds;
    bool valid;
    int* destroyed;
};

}  // namespace

TEST(PaintObjectList, DrawAnswersFalseWhenOneFailsButDrawsTheOthers) {
    int destroyed = 0;
    CImageDC target(6, 4);
    {
        paint::paint_object_list list;
        auto* failing = new column(2, false, &destroyed);
        ASSERT_TRUE(list.push_back(new column(0, true, &destroyed)));
        ASSERT_TRUE(list.push_back(failing));
        ASSERT_TRUE(list.push_back(new column(4, true, &destroyed)));
        w32_paint p(&target, nullptr, paint::fill_background);
        EXPECT_FALSE(list.draw(&p));
        EXPECT_FALSE(list.draw(nullptr));
        EXPECT_TRUE(list.remove(1));
        EXPECT_EQ(destroyed, 0);
        delete failing;  // taken out, it is its holder's again
        EXPECT_TRUE(p.draw(&list));
        EXPECT_FALSE(p.draw(nullptr));
    }
    for (int x : {0, 2, 4}) EXPECT_EQ(target.GetPixel(x, 1), RGB(255, 0, 0)) << x;
    EXPECT_EQ(target.GetPixel(1, 1), RGB(255, 255, 255));
    EXPECT_EQ(destroyed, 3);
}

TEST(PaintObjectList, RemoveLeavesObjectsAliveClearDestroysThem) {
    int destroyed = 0;
    paint::paint_object_list list(CRect{1, 2, 3, 4});
    auto first = std::make_unique<column>(0, true, &destroyed);
    auto last = std::make_unique<column>(1, true, &destroyed);
    ASSERT_TRUE(list.push_back(first.get()));
    ASSERT_TRUE(list.push_back(last.get()));
    ASSERT_TRUE(list.insert(1, new column(2, true, &destroyed), 1));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list.at(0), first.get());
    EXPECT_EQ(list.at(2), last.get());
    EXPECT_EQ(list.at(3), nullptr);  // at (size) is none
    EXPECT_EQ(list[7], nullptr);

    EXPECT_TRUE(list.remove(0));
    EXPECT_FALSE(list.remove(2));
    EXPECT_TRUE(list.remove(1, 50));  // no further than the end
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(destroyed, 0);
    EXPECT_TRUE(list.clear());  // destroys the inserted column only
    EXPECT_EQ(destroyed, 1);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.get_rect(), CRect{});
    EXPECT_FALSE(list.clear());
    first.reset();
    last.reset();
    EXPECT_EQ(destroyed, 3);
}

TEST(PaintObjectList, RefusesWhatCannotBeDrawnAndDestroysRepeatsOnce) {
    int destroyed = 0;
    {
        paint::paint_object_list list;
        column invalid(0, true, &destroyed, false);
        EXPECT_FALSE(list.push_back(&invalid));
        EXPECT_FALSE(list.push_back(nullptr));
        EXPECT_FALSE(list.push_back(&list));
        EXPECT_FALSE(list.is_valid());
        auto* repeated = new column(1, true, &destroyed);
        EXPECT_FALSE(list.insert(1, repeated, 1));  // beyond the count
        EXPECT_FALSE(list.insert(0, repeated, 0));
        ASSERT_TRUE(list.insert(0, repeated, 3));
        EXPECT_EQ(list.size(), 3u);
        EXPECT_EQ(list.at(2), repeated);
        EXPECT_TRUE(list.is_valid());
        // An empty list is not valid, so it cannot go into another.
        paint::paint_object_list empty;
        EXPECT_FALSE(list.push_back(&empty));
    }
    EXPECT_EQ(destroyed, 2);  // the repeated column once, and the invalid one
}
