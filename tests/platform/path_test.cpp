#include <gtest/gtest.h>

#include "platform/path.h"

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
