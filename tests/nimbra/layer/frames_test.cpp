// Frame bodies on demand, validity, and files that are truncated or lie.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "nimbra/layer/read_layer.h"
#include "nimbra/layer/write_layer.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/mem_file.h"
#include "tests/nimbra/layer/rre_builders.h"
#include "tests/support/files.h"

using platform::CArchiveException;
using platform::CFile;
using tarvel_tech::nimbra::layer;
using tarvel_tech::nimbra::read_layer;
using tarvel_tech::nimbra::write_layer;

namespace {

std::string write_file(const test_support::temp_dir& dir, const std::vector<std::uint8_t>& bytes,
                       const std::string& name = "layer.rre") {
    const std::string path = dir.file(name);
    test_support::write_bytes(path, bytes);
    return path;
}

std::vector<std::uint8_t> six_frame_file() {
    return rre_test::layout_bytes(rre_test::six_frame_fields(), rre_test::six_frame_bodies());
}

void set_le32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

TEST(FrameFix, ReadLayerBodiesComeAndGoWriterBodiesStay) {
    test_support::temp_dir dir;
    read_layer r;
    ASSERT_TRUE(r.load(write_file(dir, six_frame_file())));
    layer::frame* f = *r.begin();
    EXPECT_EQ(f->get_body(), nullptr);
    ASSERT_NE(f->fix(true), nullptr);
    EXPECT_EQ(f->fix(true), f->get_body());  // a present body is answered as it is
    EXPECT_EQ(f->fix(false), nullptr);
    EXPECT_EQ(f->get_body(), nullptr);

    auto w = rre_test::six_frame_writer();
    layer::frame* kept = *w->begin();
    EXPECT_EQ(kept->fix(false), nullptr);
    ASSERT_NE(kept->get_body(), nullptr);
    EXPECT_EQ(kept->get_body()[9], 1);
    EXPECT_EQ(&kept->get_entry(), static_cast<layer::frame::entry*>(kept));
}

TEST(FrameFix, BodiesOutsideTheFileAreNone) {
    test_support::temp_dir dir;
    auto bytes = six_frame_file();
    set_le32(bytes, 276 + 0 * 8, 530);         // frame 0 runs past the end (534)
    set_le32(bytes, 276 + 1 * 8, 0x80000000);  // frame 1 at a negative offset
    set_le32(bytes, 276 + 2 * 8 + 4, 0x7FFFFFFF);  // frame 2 of 2 GiB
    set_le32(bytes, 276 + 3 * 8 + 4, 0xFFFFFFFF);  // frame 3 of size -1
    read_layer r;
    ASSERT_TRUE(r.load(write_file(dir, bytes)));
    auto it = r.begin();
    for (int i = 0; i < 4; ++i, ++it) {
        EXPECT_EQ(it->fix(true), nullptr) << "frame " << i;
        EXPECT_EQ(it->get_body(), nullptr);
    }
    EXPECT_NE(it->fix(true), nullptr);  // frame 4 is sound
}

TEST(FrameFix, WithoutAPathOrAFileThereIsNoBody) {
    const auto bytes = six_frame_file();
    platform::CMemFile memory(bytes.data(), bytes.size());
    read_layer r;
    ASSERT_TRUE(r.load(&memory, 0));
    EXPECT_TRUE(r.is_valid());
    EXPECT_EQ(r.begin()->fix(true), nullptr);

    test_support::temp_dir dir;
    const std::string path = write_file(dir, bytes);
    read_layer gone;
    {
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeRead));
        ASSERT_TRUE(gone.load(&file, 0));
    }
    std::remove(path.c_str());
    EXPECT_EQ(gone.begin()->fix(true), nullptr);
}

TEST(Validity, BordersOfEachRule) {
    auto w = rre_test::six_frame_writer();
    auto& h = w->get_header();
    ASSERT_TRUE(w->is_valid());

    h.set_width_layer_image(240);
    h.set_size_latitude_frame(116);
    EXPECT_FALSE(w->is_valid());
    h.set_size_latitude_frame(120);

    h.set_min_latitude(-180);
    h.set_max_longitude(180);
    EXPECT_TRUE(w->is_valid());
    h.set_max_longitude(180.0000001);
    EXPECT_FALSE(w->is_valid());
    h.set_max_longitude(std::numeric_limits<double>::quiet_NaN());
    EXPECT_FALSE(w->is_valid());
    h.set_max_longitude(0);
    h.set_min_latitude(90);  // min above max is not judged
    h.set_max_latitude(-90);
    EXPECT_TRUE(w->is_valid());

    h.set_layer_type(2000);
    EXPECT_FALSE(w->is_valid());
    h.set_layer_type(2001);

    h.set_height_layer_image(0);
    h.set_size_longitude_frame(0);
    EXPECT_FALSE(w->is_valid());
    h.set_height_layer_image(480);
    h.set_size_longitude_frame(160);

    // Two negative counts multiply to six but describe no grid.
    h.set_count_latitude_frames(-2);
    h.set_count_longitude_frames(-3);
    h.set_size_latitude_frame(-120);
    h.set_size_longitude_frame(-160);
    EXPECT_FALSE(w->is_valid());
    h.set_count_latitude_frames(2);
    h.set_count_longitude_frames(3);
    h.set_size_latitude_frame(120);
    h.set_size_longitude_frame(160);

    // A frame too many.
    w->put_frame("x", 1);
    EXPECT_FALSE(w->is_valid());
}

TEST(BadFiles, TruncatedHeadersAndIndexesEndInTheArchiveError) {
    test_support::temp_dir dir;
    const auto whole = six_frame_file();
    for (std::size_t cut : {0u, 3u, 100u, 275u, 276u + 7u, 276u + 47u}) {
        read_layer r;
        const std::string path =
            write_file(dir, std::vector<std::uint8_t>(whole.begin(), whole.begin() + cut));
        try {
            r.load(path);
            ADD_FAILURE() << "a file cut at " << cut << " loaded";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::endOfFile) << cut;
        }
    }
    // Cut inside the bodies: the index is whole, the last bodies are not there.
    read_layer r;
    ASSERT_TRUE(r.load(write_file(dir, std::vector<std::uint8_t>(whole.begin(), whole.begin() + 500))));
    auto last = r.begin();
    last += 5;
    EXPECT_EQ(last->fix(true), nullptr);
}

TEST(BadFiles, AbsurdCountsAllocateOnlyWhatTheFileHolds) {
    test_support::temp_dir dir;
    auto bytes = six_frame_file();
    set_le32(bytes, 260, 0x7FFFFFFF);  // rows
    set_le32(bytes, 264, 0x7FFFFFFF);  // columns
    read_layer r;
    EXPECT_THROW(r.load(write_file(dir, bytes, "huge.rre")), CArchiveException);

    set_le32(bytes, 260, 0x80000000);  // negative rows: no index at all
    set_le32(bytes, 264, 2);
    read_layer negative;
    ASSERT_TRUE(negative.load(write_file(dir, bytes, "negative.rre")));
    EXPECT_EQ(negative.get_frames().size(), 0);
    EXPECT_FALSE(negative.is_valid());

    set_le32(bytes, 260, 0);
    read_layer zero;
    ASSERT_TRUE(zero.load(write_file(dir, bytes, "zero.rre")));
    EXPECT_EQ(zero.get_frames().size(), 0);
}

TEST(BadFiles, GarbageLoadsButIsNotValid) {
    test_support::temp_dir dir;
    std::vector<std::uint8_t> garbage(4096);
    std::uint32_t state = 12345;
    for (auto& b : garbage) {
        state = state * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(state >> 16);
    }
    read_layer r;
    try {
        r.load(write_file(dir, garbage));
    } catch (const CArchiveException&) {
        // An index longer than the file is a fine answer too.
    }
    EXPECT_FALSE(r.is_valid());
}

TEST(LayerLifecycle, CloseAndTheReadersRefusalToSave) {
    read_layer unopened;
    EXPECT_FALSE(unopened.load(std::string()));
    EXPECT_FALSE(unopened.load(nullptr, 0));

    test_support::temp_dir dir;
    EXPECT_FALSE(unopened.load(dir.file("missing.rre")));

    auto w = rre_test::six_frame_writer();
    EXPECT_FALSE(w->close());  // no file yet: frames stay
    EXPECT_EQ(w->get_frames().size(), 6);
    EXPECT_FALSE(w->save(std::string()));
    EXPECT_FALSE(w->save(dir.file("no/such/dir/x.rre")));

    read_layer r;
    const std::string path = write_file(dir, six_frame_file());
    ASSERT_TRUE(r.load(path));
    const std::string target = dir.file("target.rre");
    test_support::write_bytes(target, {1, 2, 3});
    EXPECT_FALSE(r.save(target));
    CFile file;
    ASSERT_TRUE(file.Open(target, CFile::modeRead | CFile::modeWrite));
    EXPECT_FALSE(r.save(&file));
    EXPECT_EQ(test_support::read_bytes(target), (std::vector<std::uint8_t>{1, 2, 3}));

    EXPECT_TRUE(r.close());
    EXPECT_EQ(r.get_frames().size(), 0);
    EXPECT_FALSE(r.close());
}
