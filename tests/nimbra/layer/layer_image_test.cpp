// A whole RRE layer decoded into one picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "nimbra/image/jpg_image.h"
#include "nimbra/layer/layer_image.h"
#include "nimbra/layer/read_layer.h"
#include "nimbra/layer/write_layer.h"
#include "platform/file.h"
#include "platform/mem_file.h"
#include "platform/window.h"
#include "tests/nimbra/image/jpeg_bytes.h"
#include "tests/support/files.h"

using tarvel_tech::nimbra::jpg_image;
using tarvel_tech::nimbra::layer;
using tarvel_tech::nimbra::layer_image;
using tarvel_tech::nimbra::read_layer;
using tarvel_tech::nimbra::RGBQUAD;
using tarvel_tech::nimbra::write_layer;

namespace {

class recording_window : public platform::CWnd {
public:
    bool PostMessage(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override {
        posts.emplace_back(message, wparam, lparam);
        return true;
    }
    std::vector<std::tuple<std::uint32_t, std::uintptr_t, std::intptr_t>> posts;
};

// The JPEG of one frame: a flat colour per frame with a diagonal, grey or colour.
std::vector<std::uint8_t> frame_jpeg(int width, int height, int index, bool grey) {
    jpg_image f;
    f.create(width, height, grey ? 8 : 24, 2);
    if (grey) f.get_palette().make_gray();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto v = static_cast<std::uint8_t>(x == y ? 255 : 40 * index);
            f.set_color(x, y, RGBQUAD{v, static_cast<std::uint8_t>(grey ? v : 200 - 30 * index),
                                      static_cast<std::uint8_t>(grey ? v : 17 * index), 0});
        }
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t length = 0;
    EXPECT_TRUE(f.encode(bytes, length));
    return {bytes.get(), bytes.get() + length};
}

// A layer of columns x rows frames; frame i is frame_jpeg(i) unless bodies are given.
std::unique_ptr<write_layer> jpeg_layer(int columns, int rows, int fw, int fh, bool grey = false,
                                        std::vector<std::vector<std::uint8_t>> bodies = {}) {
    auto w = std::make_unique<write_layer>();
    auto& h = w->get_header();
    h.set_frame_grid(columns, rows, fw, fh);
    for (int i = 0; i < columns * rows; ++i) {
        const auto body = i < static_cast<int>(bodies.size()) ? bodies[i] : frame_jpeg(fw, fh, i % 6, grey);
        w->put_frame(body.data(), body.size());
    }
    return w;
}

// Whether the picture's rectangle (picture coordinates, y down) holds exactly the frame.
bool holds_frame(const layer_image& picture, int left, int top, const std::vector<std::uint8_t>& body) {
    jpg_image frame;
    if (!frame.decode(body.data(), body.size())) return false;
    const int fh = frame.get_info().biHeight;
    const std::size_t bytes = static_cast<std::size_t>(frame.get_info().biWidth) * frame.get_info().biBitCount / 8;
    const int bottom_row = picture.get_info().biHeight - top - fh;
    for (int y = 0; y < fh; ++y) {
        const std::uint8_t* at = picture.row(bottom_row + y) + static_cast<std::size_t>(left) * frame.get_info().biBitCount / 8;
        if (std::memcmp(at, frame.row(y), bytes) != 0) return false;
    }
    return true;
}

}  // namespace

TEST(LayerImage, FramesAssembleQuarterByQuarterFromAFile) {
    test_support::temp_dir dir;
    auto w = jpeg_layer(2, 2, 120, 160);
    ASSERT_TRUE(w->is_valid());
    ASSERT_TRUE(w->save(dir.file("four.rre")));

    read_layer r;
    ASSERT_TRUE(r.load(dir.file("four.rre")));
    layer_image picture;
    ASSERT_TRUE(picture.load(&r));
    EXPECT_EQ(picture.get_info().biWidth, 240);
    EXPECT_EQ(picture.get_info().biHeight, 320);
    EXPECT_EQ(picture.get_info().biBitCount, 24);
    EXPECT_EQ(picture.get_exinfo().image_type, 2);
    const int corners[4][2] = {{0, 0}, {120, 0}, {0, 160}, {120, 160}};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(holds_frame(picture, corners[i][0], corners[i][1], frame_jpeg(120, 160, i, false))) << i;
    // Frame 0 is the top-left quarter: its colour at the picture's top row.
    EXPECT_EQ(picture.get_color(5, 319).rgbRed, 0);
    EXPECT_NEAR(picture.get_color(235, 0).rgbRed, 51, 3);
    // No body of the read layer is left in memory.
    for (auto it = r.begin(); it != r.end(); ++it) EXPECT_EQ(it->get_body(), nullptr);

    // The same through decode of an open file; a memory file has no path for the bodies.
    platform::CFile file;
    ASSERT_TRUE(file.Open(dir.file("four.rre"), platform::CFile::modeRead));
    layer_image again;
    ASSERT_TRUE(again.decode(&file));
    EXPECT_EQ(std::memcmp(*again, *picture, picture.size()), 0);
    const auto bytes = test_support::read_bytes(dir.file("four.rre"));
    layer_image from_memory;
    EXPECT_FALSE(from_memory.decode(bytes.data(), bytes.size()));
}

TEST(LayerImage, GreyLayersStayEightBitWithTheirGreyPalette) {
    auto w = jpeg_layer(3, 1, 16, 8, true);
    layer_image picture;
    ASSERT_TRUE(picture.decode(w.get()));
    EXPECT_EQ(picture.get_info().biBitCount, 8);
    EXPECT_EQ(picture.get_info().biClrUsed, 256u);
    EXPECT_TRUE(picture.get_palette().is_gray_scale());
    EXPECT_TRUE(holds_frame(picture, 32, 0, frame_jpeg(16, 8, 2, true)));
    // A writer's frames keep their bodies.
    EXPECT_NE(w->begin()->get_body(), nullptr);
}

// The bytes up to a fraction of the entropy-coded data.
std::vector<std::uint8_t> cut_in_scan(const std::vector<std::uint8_t>& jpeg, int percent) {
    const std::size_t data = image_test::jpeg_scan_data_start(jpeg);
    return {jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(data + (jpeg.size() - data) * percent / 100)};
}

TEST(LayerImage, InvalidLayersAndBadFramesDecodeNothingAndNameTheFrame) {
    auto w = jpeg_layer(2, 1, 8, 8);
    w->get_header().set_layer_type(2000);
    layer_image picture;
    EXPECT_FALSE(picture.decode(w.get()));
    EXPECT_EQ(*picture, nullptr);
    EXPECT_EQ(picture.get_failure().index, -1);
    EXPECT_EQ(picture.get_failure().reason, "not a valid RRE layer");
    EXPECT_FALSE(picture.decode(static_cast<layer*>(nullptr)));

    // Two rows of two 32 x 24 frames; one body at a time is bad.
    const auto good = frame_jpeg(32, 24, 1, false);
    auto huge = good;
    ASSERT_TRUE(image_test::set_jpeg_frame_size(huge, 65500, 65500));
    huge.resize(image_test::jpeg_scan_data_start(huge));
    struct bad_frame {
        const char* name;
        int index;
        std::vector<std::uint8_t> body;
        const char* reason;
    };
    const bad_frame bad[] = {
        {"no JPEG", 1, {1, 2, 3}, "Not a JPEG file"},
        {"declaring 65500 x 65500 with no data", 0, huge, "at most 0 of 65500 rows present"},
        // Cut as well: only its header was read, or the reason would be the cut.
        {"larger than its cell", 3, cut_in_scan(frame_jpeg(64, 48, 1, false), 50), "it is 64 x 48 pixels, the grid's frames are 32 x 24"},
        {"narrower than its cell", 0, frame_jpeg(31, 24, 1, false), "it is 31 x 24 pixels"},
        {"grey among colour", 2, frame_jpeg(32, 24, 1, true), "it has 8-bit pixels, the first frame 24-bit"},
        {"cut in its scan", 1, cut_in_scan(good, 60), "rows present"},
    };
    for (const bad_frame& b : bad) {
        SCOPED_TRACE(b.name);
        std::vector<std::vector<std::uint8_t>> bodies(4, good);
        bodies[static_cast<std::size_t>(b.index)] = b.body;
        auto broken = jpeg_layer(2, 2, 32, 24, false, bodies);
        layer_image p;
        EXPECT_FALSE(p.decode(broken.get()));
        const layer_image::failure& why = p.get_failure();
        EXPECT_EQ(why.index, b.index);
        EXPECT_EQ(why.row, b.index / 2);
        EXPECT_EQ(why.column, b.index % 2);
        EXPECT_NE(why.reason.find(b.reason), std::string::npos) << why.reason;
        // A bad first frame leaves no picture at all.
        if (b.index == 0) {
            EXPECT_EQ(*p, nullptr);
        }
    }
}

TEST(LayerImage, FramesSharingOneBodyAreRefusedBeforeThePictureIsMade) {
    // Sixteen frames, each its own copy of the same JPEG, decode; the same index with every
    // entry pointing at the first body, and the other copies cut off, would be a picture
    // sixteen times what the file holds.
    test_support::temp_dir dir;
    auto w = jpeg_layer(4, 4, 64, 64, false, std::vector(16, frame_jpeg(64, 64, 3, false)));
    ASSERT_TRUE(w->save(dir.file("copies.rre")));
    auto bytes = test_support::read_bytes(dir.file("copies.rre"));
    const std::size_t index = 276, first_body = index + 16 * 8;
    const std::size_t body_size = bytes[index + 4] | bytes[index + 5] << 8;
    for (std::size_t i = 1; i < 16; ++i) std::copy_n(&bytes[index], 8, &bytes[index + 8 * i]);
    bytes.resize(first_body + body_size);
    test_support::write_bytes(dir.file("shared.rre"), bytes);

    for (const auto& [name, decodes] : {std::pair{"copies.rre", true}, std::pair{"shared.rre", false}}) {
        read_layer r;
        ASSERT_TRUE(r.load(dir.file(name)));
        ASSERT_TRUE(r.is_valid());
        layer_image picture;
        EXPECT_EQ(picture.load(&r), decodes) << name;
        EXPECT_EQ(*picture != nullptr, decodes) << name;
        if (!decodes) {
            EXPECT_NE(picture.get_failure().reason.find("claim more bytes"), std::string::npos);
        }
    }
}

TEST(LayerImage, BodiesPastTheEndOfACutFileAreNamed) {
    test_support::temp_dir dir;
    auto w = jpeg_layer(3, 2, 32, 24);
    ASSERT_TRUE(w->save(dir.file("whole.rre")));
    w.reset();
    const auto whole = test_support::read_bytes(dir.file("whole.rre"));
    read_layer full;
    ASSERT_TRUE(full.load(dir.file("whole.rre")));
    EXPECT_TRUE(full.frames_outside_file().empty());

    // Cut inside frame 3's body: frames 3, 4 and 5 lie past the end.
    const auto fourth = full.get_frames().at(3);
    const std::size_t cut = static_cast<std::size_t>(fourth->get_data_offset() + fourth->get_data_size() / 2);
    test_support::write_bytes(dir.file("cut.rre"), {whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)});
    read_layer r;
    ASSERT_TRUE(r.load(dir.file("cut.rre")));
    EXPECT_TRUE(r.is_valid());
    EXPECT_EQ(r.frames_outside_file(), (std::vector<std::int32_t>{3, 4, 5}));
    layer_image picture;
    EXPECT_FALSE(picture.decode(&r));
    EXPECT_EQ(picture.get_failure().index, 3);
    EXPECT_EQ(picture.get_failure().row, 1);
    EXPECT_EQ(picture.get_failure().column, 0);
    EXPECT_NE(picture.get_failure().reason.find("lies outside the file"), std::string::npos) << picture.get_failure().reason;
}

TEST(LayerImage, ProgressIsPostedOncePerChangeAndNeverZero) {
    auto w = jpeg_layer(25, 10, 8, 8);
    recording_window window;
    layer_image picture;
    ASSERT_TRUE(picture.decode(w.get(), &window));
    ASSERT_EQ(window.posts.size(), 83u);
    for (int i = 0; i < 83; ++i) {
        EXPECT_EQ(std::get<0>(window.posts[i]), 1480u);
        EXPECT_EQ(std::get<1>(window.posts[i]), 0u);
        EXPECT_EQ(std::get<2>(window.posts[i]), i + 1);
    }
}

TEST(LayerImage, CannotBeWritten) {
    test_support::temp_dir dir;
    layer_image picture;
    auto w = jpeg_layer(1, 1, 8, 8);
    ASSERT_TRUE(picture.decode(w.get()));
    platform::CMemFile out;
    EXPECT_FALSE(picture.encode(&out));
    EXPECT_EQ(out.GetLength(), 0u);
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t length = 7;
    EXPECT_TRUE(picture.encode(bytes, length));
    EXPECT_EQ(length, 7u);
    EXPECT_FALSE(bytes);
    EXPECT_NE(dynamic_cast<layer_image*>(picture.clone().get()), nullptr);
    // Its pixels go to a codec that can.
    jpg_image copy;
    copy.take_over(picture);
    EXPECT_TRUE(copy.save(dir.file("copy.jpg")));
}
