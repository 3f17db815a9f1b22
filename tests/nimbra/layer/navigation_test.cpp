// Walking the frame grid, finding the frame of a pixel, and pixel <-> geographic coordinates.
#include <gtest/gtest.h>

#include "nimbra/layer/write_layer.h"

using platform::CPoint;
using tarvel_tech::nimbra::layer;
using tarvel_tech::nimbra::write_layer;

namespace {

void make_grid(write_layer& w, int columns, int rows, int frame_width, int frame_height) {
    auto& h = w.get_header();
    h.set_frame_grid(columns, rows, frame_width, frame_height);
    for (int i = 0; i < columns * rows; ++i) {
        const unsigned char byte = static_cast<unsigned char>(i);
        w.put_frame(&byte, 1);
    }
}

}  // namespace

TEST(FrameIterator, WalksAndWrapsAsTheGridOrderSays) {
    write_layer w;
    make_grid(w, 3, 1, 10, 10);
    auto it = w.begin();
    EXPECT_EQ(it.index(), 0u);
    ++it;
    ++it;
    ++it;
    EXPECT_TRUE(it == w.end());
    EXPECT_EQ(it.index(), 4294967295u);
    EXPECT_EQ(it.operator->(), nullptr);
    ++it;  // from the end position to the first frame
    EXPECT_EQ(it.index(), 0u);
    --it;  // from the first frame to the last
    EXPECT_EQ(it.index(), 2u);

    layer::frame_iterator one(1, &w);
    one -= 5;
    EXPECT_EQ(one.index(), 0u);
    layer::frame_iterator other(1, &w);
    other += 5;
    EXPECT_TRUE(other == w.end());

    // The postfix forms move the iterator itself and answer it.
    layer::frame_iterator post(0, &w);
    layer::frame_iterator& same = post++;
    EXPECT_EQ(&same, &post);
    EXPECT_EQ(post.index(), 1u);
    EXPECT_EQ((*post)->get_data_size(), 1);
}

TEST(FrameIterator, RowMovesAndUnboundIterators) {
    write_layer w;
    make_grid(w, 4, 2, 10, 10);
    layer::frame_iterator it(1, &w);
    it.bottom();
    EXPECT_EQ(it.index(), 5u);
    it.bottom();
    EXPECT_TRUE(it == w.end());
    layer::frame_iterator up(2, &w);
    up.top();
    EXPECT_EQ(up.index(), 0u);  // above the first row: frame 0
    layer::frame_iterator across(3, &w);
    across.right();  // no stop at the row's edge
    EXPECT_EQ(across.index(), 4u);

    layer::frame_iterator loose;
    ++loose;
    EXPECT_EQ(loose.index(), 4294967295u);
    loose -= 1;
    EXPECT_EQ(loose.index(), 4294967295u);
    EXPECT_EQ(*loose, nullptr);

    write_layer empty;
    EXPECT_TRUE(empty.begin() == empty.end());
    auto e = empty.begin();
    --e;
    EXPECT_TRUE(e == empty.end());
}

TEST(PixelLookup, FindsTheFrameHoldingAPixel) {
    write_layer w;
    make_grid(w, 4, 2, 120, 160);
    EXPECT_EQ(w[250][170].index(), 6u);
    EXPECT_TRUE(w[480][0] == w.end());
    EXPECT_EQ(w[0][0].index(), 0u);
    EXPECT_EQ(w[479][319].index(), 7u);
    EXPECT_TRUE(w[0][320] == w.end());  // below the last row
    EXPECT_TRUE(w[0xFFFFFFFFu][0] == w.end());

    // Frames of no size hold no pixel.
    w.get_header().set_size_latitude_frame(0);
    EXPECT_TRUE(w[10][10] == w.end());
    w.get_header().set_size_latitude_frame(120);
    w.get_header().set_size_longitude_frame(0);
    EXPECT_TRUE(w[10][10] == w.end());
}

TEST(GeographicConversion, DirectAndInverseFollowTheTransform) {
    write_layer w;
    auto t = w.get_transform();
    const double coefficients[12] = {0.001, 0, 10, 0, -0.001, 50, 1000, 0, -10000, 0, -1000, 50000};
    for (int i = 0; i < 12; ++i) t[i] = coefficients[i];

    const CPoint pixel{100, 200};
    double latitude = 0, longitude = 0;
    w.direct(&pixel, &latitude, &longitude);
    EXPECT_NEAR(latitude, 49.8, 1e-12);
    EXPECT_NEAR(longitude, 10.1, 1e-12);
    w.direct(nullptr, &latitude, &longitude);  // nothing happens
    EXPECT_NEAR(latitude, 49.8, 1e-12);

    CPoint back{-1, -1};
    w.inverse(latitude, longitude, &back);
    EXPECT_NEAR(back.x, 100, 1);
    EXPECT_NEAR(back.y, 200, 1);
    w.inverse(latitude, longitude, nullptr);

    // The in-place forms keep latitude in x and longitude in y, truncated.
    CPoint in_place{100, 200};
    w.direct(&in_place);
    EXPECT_EQ(in_place, (CPoint{49, 10}));
    CPoint round{49, 10};
    w.inverse(&round);
    EXPECT_EQ(round, (CPoint{0, 1000}));  // 1000*10 - 10000 = 0; -1000*49 + 50000 = 1000

    // Truncation is toward zero, also below zero, and stays defined far outside.
    t[0] = -0.0015;
    t[2] = 0;
    CPoint negative{1000, 0};
    w.direct(&negative);
    EXPECT_EQ(negative.y, -1);
    t[6] = 1e300;
    CPoint far{0, 0};
    w.inverse(0, 1, &far);
    EXPECT_EQ(far.x, 2147483647);
}
