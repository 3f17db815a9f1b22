#include <gtest/gtest.h>

#include <filesystem>

#include "platform/settings.h"
#include "tests/support/settings_sandbox.h"

TEST(Settings, TheIconFolderIsEmptyUntilSetAndKeptOnceSet) {
    test_support::settings_sandbox sandbox;
    EXPECT_EQ(platform::settings::path_icons(), "");
    platform::settings::set_path_icons("/opt/orvella/Icons");
    EXPECT_EQ(platform::settings::path_icons(), "/opt/orvella/Icons");
    platform::settings::set_path_icons("C:\\Program Files\\Orvella\\Icons");
    EXPECT_EQ(platform::settings::path_icons(), "C:\\Program Files\\Orvella\\Icons");
    // Stored where the program's organisation and application name put it.
    EXPECT_TRUE(std::filesystem::exists(sandbox.path() + "/user/Tarvel technology/Orvella.conf"));
}

TEST(Settings, TextOutsideAsciiSurvives) {
    test_support::settings_sandbox sandbox;
    platform::settings::set_path_icons("/home/jürgen/Значки");
    EXPECT_EQ(platform::settings::path_icons(), "/home/jürgen/Значки");
}
