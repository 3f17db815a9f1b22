#include <gtest/gtest.h>

#include <filesystem>

#include "platform/path.h"
#include "tests/support/files.h"

TEST(Path, SplitsAtTheLastSlashOfEitherKind) {
    EXPECT_EQ(platform::file_name_part("C:\\maps\\roads.shp"), "roads.shp");
    EXPECT_EQ(platform::file_name_part("/data/maps/roads.shp"), "roads.shp");
    EXPECT_EQ(platform::file_name_part("dir\\sub/roads.shp"), "roads.shp");
    EXPECT_EQ(platform::file_name_part("roads.shp"), "roads.shp");
    EXPECT_EQ(platform::directory_part("/data/maps/roads.shp"), "/data/maps/");
    EXPECT_EQ(platform::directory_part("roads.shp"), "");
}

TEST(Path, ExtensionIsLowerCasedAndTakenFromTheNameOnly) {
    EXPECT_EQ(platform::lower_extension("/a/B.SHP"), ".shp");
    EXPECT_EQ(platform::lower_extension("/a.d/name"), "");
    EXPECT_EQ(platform::lower_extension("x.tar.RRE"), ".rre");
}

TEST(Path, ListsTheFilesOfAFolderByName) {
    test_support::temp_dir dir;
    for (const char* name : {"b.bmp", "A.BMP", "c.txt"}) test_support::write_bytes(dir.file(name), {1});
    std::filesystem::create_directory(dir.file("folder.bmp"));
    EXPECT_EQ(platform::list_files(dir.path()), (std::vector<std::string>{"A.BMP", "b.bmp", "c.txt"}));
    EXPECT_TRUE(platform::list_files(dir.file("missing")).empty());
}
