// Saving never costs the operator the document already on disk: a save killed part way, one
// whose disk fills up, or one whose record fails leaves the old document byte for byte.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "map/sf_map.h"
#include "platform/exceptions.h"
#include "platform/file_io.h"
#include "platform/image_dc.h"
#include "tests/map/sample_map.h"
#include "tests/support/files.h"
#include "tests/support/recording_ui_service.h"
#include "vector/layer_line.h"
#include "vector/register_layers.h"

using namespace model;
using test_support::read_bytes;

namespace {

// A kind whose record fails half way, as a raster layer whose frames cannot be encoded does.
class failing_layer : public CSFLayer {
public:
    failing_layer() : CSFLayer(kLayerLine) {}
    void WriteDocument(platform::CFile& file) override {
        platform::file_io::write_u32(file, kLayerLine);
        throw platform::CFileException(platform::CFileException::diskFull, file.GetFilePath());
    }
};

// A layer that writes nothing: an image layer that is not snapped has nothing to store; an
// RRE layer whose picture cannot be exported has failed.
class silent_layer : public CSFLayer {
public:
    explicit silent_layer(std::uint32_t kind = kLayerImage) : CSFLayer(kind) {}
    void WriteDocument(platform::CFile&) override {}
};

std::vector<std::string> files_in(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// Saves the map in a child process prepared by `prepare`; answers how the child ended.
int save_in_child(CSFMap& map, const std::string& path, const std::function<void()>& prepare, pid_t* started = nullptr,
                  const std::function<void(pid_t)>& meanwhile = {}) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const rlimit no_core{0, 0};
        ::setrlimit(RLIMIT_CORE, &no_core);
        prepare();
        ::_exit(static_cast<int>(map.Save(path)));
    }
    if (started) *started = pid;
    if (meanwhile) meanwhile(pid);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

void limit_file_size(std::uint64_t bytes) {
    const rlimit limit{bytes, bytes};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

class SaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        register_vector_layers();
        sample_map::compose(map, sample_map::write_sources(sources.path()), &dc);
        // The document on disk: the same map without its roads.
        map.GetLayer(1)->SetVisible(false);
        ASSERT_EQ(map.Save(target()), map_saved);
        map.GetLayer(1)->SetVisible(true);
        old_bytes = read_bytes(target());
        ASSERT_EQ(map.Save(sources.file("new.kxr")), map_saved);
        new_bytes = read_bytes(sources.file("new.kxr"));
        ASSERT_GT(new_bytes.size(), old_bytes.size());
    }
    std::string target() const { return folder.file("map.kxr"); }

    test_support::recording_ui ui;
    platform::CImageDC dc{16, 16};
    test_support::temp_dir sources, folder;
    CSFMap map;
    std::vector<std::uint8_t> old_bytes, new_bytes;
};

}  // namespace

TEST_F(SaveTest, KilledAfterAnyNumberOfBytesTheOldDocumentStays) {
    std::mt19937 random(17);
    std::vector<std::uint64_t> limits;
    for (int i = 0; i < 10; ++i) limits.push_back(new_bytes.size() * i / 10);
    for (int i = 0; i < 5; ++i) limits.push_back(random() % new_bytes.size());
    limits.push_back(new_bytes.size() - 1);
    for (std::uint64_t limit : limits) {
        const int status = save_in_child(map, target(), [&] { limit_file_size(limit); });
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "limit " << limit << " status " << status;
        ASSERT_EQ(read_bytes(target()), old_bytes) << "killed after " << limit << " bytes";
    }
    // What the killed saves left beside it does not stand in the way of the next one.
    ASSERT_EQ(map.Save(target()), map_saved);
    EXPECT_EQ(read_bytes(target()), new_bytes);
}

TEST_F(SaveTest, KilledAtAnyMomentTheDocumentIsTheOldOrTheNewWhole) {
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(map.Save(sources.file("timed.kxr")), map_saved);
    const auto one_save = std::chrono::steady_clock::now() - start;
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(one_save).count() + 1;

    std::mt19937 random(1717);
    int killed_early = 0;
    for (int round = 0; round < 25; ++round) {
        // A fresh old document each round, as the last one may have been replaced.
        test_support::write_bytes(target(), old_bytes);
        const auto wait = std::chrono::microseconds(random() % (2 * span));
        const int status = save_in_child(map, target(), [] {}, nullptr, [&](pid_t pid) {
            std::this_thread::sleep_for(wait);
            ::kill(pid, SIGKILL);
        });
        const std::vector<std::uint8_t> now = read_bytes(target());
        if (WIFSIGNALED(status) && now == old_bytes) ++killed_early;
        ASSERT_TRUE(now == old_bytes || now == new_bytes) << "round " << round << ": " << now.size() << " bytes";
    }
    EXPECT_GT(killed_early, 0);
}

TEST_F(SaveTest, AFullDiskOrAFailingRecordAnswers4AndLeavesNothingBehind) {
    const std::vector<std::string> before = files_in(folder.path());
    for (std::uint64_t limit : {std::uint64_t{0}, std::uint64_t{5}, new_bytes.size() / 2, new_bytes.size() - 1}) {
        const int status = save_in_child(map, target(), [&] {
            ::signal(SIGXFSZ, SIG_IGN);  // writes beyond the limit fail as on a full disk
            limit_file_size(limit);
        });
        ASSERT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), map_not_saved) << limit;
        EXPECT_EQ(read_bytes(target()), old_bytes) << limit;
        EXPECT_EQ(files_in(folder.path()), before) << limit;
    }

    std::string cause;
    for (int kind = 0; kind < 2; ++kind) {
        map.AddLayer(kind == 0 ? std::unique_ptr<CSFLayer>(new failing_layer)
                               : std::make_unique<silent_layer>(kLayerRRE));
        cause.clear();
        EXPECT_EQ(map.Save(target(), &cause), map_not_saved);
        EXPECT_NE(cause, "");
        EXPECT_EQ(read_bytes(target()), old_bytes);
        EXPECT_EQ(files_in(folder.path()), before);
        map.RemoveLayer(map.GetLayerCount() - 1);
    }

    EXPECT_EQ(map.Save(folder.file("no such folder/map.kxr"), &cause), map_not_saved);
    EXPECT_NE(cause, "");
    EXPECT_EQ(files_in(folder.path()), before);
}

TEST_F(SaveTest, OnlyTheRecordsWrittenAreCounted) {
    CSFMap mixed;
    mixed.AddLayer(std::make_unique<silent_layer>());
    auto line = std::make_unique<CSFLayerLine>();
    line->m_strName = "kept";
    mixed.AddLayer(std::move(line));
    mixed.AddLayer(std::make_unique<silent_layer>());
    ASSERT_EQ(mixed.Save(target()), map_saved);
    const std::vector<std::uint8_t> bytes = read_bytes(target());
    ASSERT_GE(bytes.size(), 11u);
    EXPECT_EQ(bytes[7], 1);
    CSFMap read;
    ASSERT_EQ(read.Load(target(), &dc), map_loaded);
    ASSERT_EQ(read.GetLayerCount(), 1u);
    EXPECT_EQ(read.GetLayer(0)->m_strName, "kept");
}
