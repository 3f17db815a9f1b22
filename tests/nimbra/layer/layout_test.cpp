// The bytes of a layer, standing alone and embedded in a host file.
#include <gtest/gtest.h>

#include "nimbra/layer/read_layer.h"
#include "nimbra/layer/write_layer.h"
#include "platform/file.h"
#include "tests/nimbra/layer/rre_builders.h"
#include "tests/support/files.h"

using platform::CFile;
using tarvel_tech::nimbra::layer;
using tarvel_tech::nimbra::read_layer;
using tarvel_tech::nimbra::write_layer;

namespace {

std::vector<int> offsets_of(layer& l) {
    std::vector<int> offsets;
    for (auto it = l.begin(); it != l.end(); ++it) offsets.push_back(it->get_data_offset());
    return offsets;
}

const std::vector<int> six_frame_offsets = {324, 334, 354, 384, 424, 474};

}  // namespace

TEST(LayerLayout, PutFrameOffsetsAndTheSavedBytesFollowTheTable) {
    auto w = rre_test::six_frame_writer();
    EXPECT_EQ(offsets_of(*w), six_frame_offsets);
    EXPECT_EQ(w->get_next_offset(), 534);
    ASSERT_TRUE(w->is_valid());

    test_support::temp_dir dir;
    const std::string path = dir.file("six.rre");
    ASSERT_TRUE(w->save(path));
    EXPECT_EQ(w->get_file_path(), path);
    EXPECT_EQ(w->get_base_offset(), 0u);
    w.reset();  // closes the file save left open

    const auto bytes = test_support::read_bytes(path);
    ASSERT_EQ(bytes.size(), 534u);
    EXPECT_EQ(bytes, rre_test::layout_bytes(rre_test::six_frame_fields(), rre_test::six_frame_bodies()));
}

TEST(LayerLayout, AHandMadeFileReadsBackFieldByField) {
    rre_test::header_fields f = rre_test::six_frame_fields();
    auto bytes = rre_test::layout_bytes(f, rre_test::six_frame_bodies());
    // Reserved bytes of a file are ignored on reading.
    bytes[10] = 0x55;
    bytes[60] = 0x55;
    bytes[200] = 0x55;
    bytes[257] = 0x55;
    test_support::temp_dir dir;
    const std::string path = dir.file("hand.rre");
    test_support::write_bytes(path, bytes);

    read_layer r;
    ASSERT_TRUE(r.load(path));
    const auto& h = r.get_header();
    EXPECT_EQ(h.get_layer_type(), 2001);
    EXPECT_EQ(h.get_min_latitude(), 55.0);
    EXPECT_EQ(h.get_max_latitude(), 56.0);
    EXPECT_EQ(h.get_min_longitude(), 37.0);
    EXPECT_EQ(h.get_max_longitude(), 38.5);
    EXPECT_EQ(h.get_width_layer_image(), 240);
    EXPECT_EQ(h.get_height_layer_image(), 480);
    EXPECT_EQ(h.get_count_longitude_frames(), 3);
    EXPECT_EQ(h.get_count_latitude_frames(), 2);
    EXPECT_EQ(h.get_size_longitude_frame(), 160);
    EXPECT_EQ(h.get_size_latitude_frame(), 120);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(r.get_transform()[i], f.transform[i]) << i;
    EXPECT_TRUE(r.is_valid());
    EXPECT_EQ(offsets_of(r), six_frame_offsets);

    const auto bodies = rre_test::six_frame_bodies();
    int i = 0;
    for (auto it = r.begin(); it != r.end(); ++it, ++i) {
        ASSERT_EQ(it->get_data_size(), static_cast<int>(bodies[i].size()));
        const std::uint8_t* body = it->fix(true);
        ASSERT_NE(body, nullptr) << "frame " << i;
        EXPECT_EQ(std::vector<std::uint8_t>(body, body + it->size()), bodies[i]);
    }
}

TEST(LayerLayout, EmbeddedAtByte1000ItHasTheSameBytesAndReadsBack) {
    test_support::temp_dir dir;
    const std::string host = dir.file("host.kxr");
    {
        CFile file;
        ASSERT_TRUE(file.Open(host, CFile::modeCreate | CFile::modeWrite));
        std::vector<std::uint8_t> lead(1000, 0xEE);
        file.Write(lead.data(), lead.size());
        auto w = rre_test::six_frame_writer();
        ASSERT_TRUE(w->save(&file));
        EXPECT_EQ(w->get_base_offset(), 1000u);
        EXPECT_EQ(file.GetPosition(), 1534u);
        file.Write("tail", 4);
    }
    const auto bytes = test_support::read_bytes(host);
    ASSERT_EQ(bytes.size(), 1538u);
    const std::vector<std::uint8_t> embedded(bytes.begin() + 1000, bytes.begin() + 1534);
    EXPECT_EQ(embedded, rre_test::layout_bytes(rre_test::six_frame_fields(), rre_test::six_frame_bodies()));

    CFile file;
    ASSERT_TRUE(file.Open(host, CFile::modeRead | CFile::shareDenyNone));
    read_layer r;
    ASSERT_TRUE(r.load(&file, 1000));
    EXPECT_EQ(r.get_base_offset(), 1000u);
    EXPECT_EQ(r.get_file_path(), host);
    // The host's reader goes on right behind the index.
    EXPECT_EQ(file.GetPosition(), 1000u + 276u + 48u);
    EXPECT_TRUE(r.is_valid());
    auto last = r.begin();
    last += 5;
    const std::uint8_t* body = last->fix(true);
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body[0], 6);
    EXPECT_EQ(body[59], 6);
}

TEST(LayerLayout, LoadAtOffsetZeroReadsFromTheCurrentPosition) {
    test_support::temp_dir dir;
    const std::string host = dir.file("host.bin");
    auto bytes = std::vector<std::uint8_t>(37, 0x11);
    const auto layer_bytes = rre_test::layout_bytes(rre_test::six_frame_fields(), rre_test::six_frame_bodies());
    bytes.insert(bytes.end(), layer_bytes.begin(), layer_bytes.end());
    test_support::write_bytes(host, bytes);

    CFile file;
    ASSERT_TRUE(file.Open(host, CFile::modeRead));
    file.Seek(37, CFile::begin);
    read_layer r;
    ASSERT_TRUE(r.load(&file, 0));
    EXPECT_EQ(r.get_base_offset(), 37u);
    EXPECT_TRUE(r.is_valid());
    const std::uint8_t* body = r.begin()->fix(true);
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body[0], 1);
}

TEST(LayerLayout, AnEmptyLayerIsOnlyItsHeader) {
    write_layer w;
    test_support::temp_dir dir;
    ASSERT_TRUE(w.save(dir.file("empty.rre")));
    EXPECT_FALSE(w.is_valid());
    EXPECT_EQ(test_support::read_bytes(dir.file("empty.rre")).size(), 276u);
}

TEST(LayerLayout, ZeroLengthFramesTakeNoBytes) {
    write_layer w;
    ASSERT_TRUE(w.put_frame("abc", 3));
    ASSERT_TRUE(w.put_frame(nullptr, 0));
    ASSERT_TRUE(w.put_frame("de", 2));
    EXPECT_FALSE(w.put_frame(nullptr, 4));  // bytes announced but none given
    test_support::temp_dir dir;
    ASSERT_TRUE(w.save(dir.file("z.rre")));
    const auto bytes = test_support::read_bytes(dir.file("z.rre"));
    ASSERT_EQ(bytes.size(), 276u + 24u + 5u);
    EXPECT_EQ(std::string(bytes.end() - 5, bytes.end()), "abcde");
    EXPECT_EQ(offsets_of(w), (std::vector<int>{300, 303, 303}));
}

TEST(LayerLayout, AWriterLoadedFromAFileSavesItsBodiesBackToBack) {
    // A file whose bodies stand in reverse order of the index, with a gap.
    rre_test::header_fields f = rre_test::six_frame_fields();
    f.rows = 1;
    f.columns = 2;
    f.height = 160;
    std::vector<std::uint8_t> bytes = rre_test::layout_bytes(f, {});
    test_support::append_le32(bytes, 300);  // frame 0: "BB" after the gap
    test_support::append_le32(bytes, 2);
    test_support::append_le32(bytes, 292);  // frame 1: "AAA"
    test_support::append_le32(bytes, 3);
    bytes.insert(bytes.end(), {'A', 'A', 'A', 0, 0, 0, 0, 0, 'B', 'B'});
    test_support::temp_dir dir;
    test_support::write_bytes(dir.file("odd.rre"), bytes);

    write_layer w;
    ASSERT_TRUE(w.load(dir.file("odd.rre")));
    ASSERT_TRUE(w.is_valid());
    ASSERT_TRUE(w.save(dir.file("packed.rre")));
    w.close();

    read_layer r;
    ASSERT_TRUE(r.load(dir.file("packed.rre")));
    EXPECT_EQ(test_support::read_bytes(dir.file("packed.rre")).size(), 276u + 16u + 5u);
    auto it = r.begin();
    ASSERT_NE(it->fix(true), nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(it->get_body()), 2), "BB");
    ++it;
    ASSERT_NE(it->fix(true), nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(it->get_body()), 3), "AAA");
}

TEST(LayerLayout, SavingOverItsOwnSourceKeepsTheBodies) {
    test_support::temp_dir dir;
    const std::string path = dir.file("self.rre");
    rre_test::six_frame_writer()->save(path);
    const auto before = test_support::read_bytes(path);

    write_layer w;
    ASSERT_TRUE(w.load(path));
    ASSERT_TRUE(w.save(path));
    w.close();
    EXPECT_EQ(test_support::read_bytes(path), before);
}
