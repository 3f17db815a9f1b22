#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>

#include "app/plotwright_app.h"
#include "platform/settings.h"
#include "tests/support/files.h"
#include "tests/support/recording_ui_service.h"
#include "tests/support/settings_sandbox.h"

namespace app_test {
namespace {

TEST(Startup, SettingsThatCannotBeReadAreSetByDefault) {
    test_support::settings_sandbox sandbox;
    test_support::temp_dir program;
    test_support::recording_ui ui;
    const std::string icons = QDir(QString::fromStdString(program.path())).filePath("Icons").toStdString();

    app::CPlotwrightApp first;
    first.InitInstance(program.path());
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, app::CPlotwrightApp::kNoSettings);
    EXPECT_EQ(ui.messages()[0].icon, platform::MB_ICONSTOP);
    EXPECT_EQ(first.GetPathIcons(), icons);
    EXPECT_EQ(platform::settings::path_icons(), icons) << "the key is made and the value stored";

    platform::settings::set_path_icons("/srv/icons");
    app::CPlotwrightApp second;
    second.InitInstance(program.path());
    EXPECT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(second.GetPathIcons(), "/srv/icons");

    QSettings(QStringLiteral("Tarvel technology"), QStringLiteral("Orvella")).remove(QStringLiteral("PathIcons"));
    QSettings(QStringLiteral("Tarvel technology"), QStringLiteral("Orvella")).setValue(QStringLiteral("Other"), 1);
    app::CPlotwrightApp third;
    third.InitInstance(program.path());
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[1].text, app::CPlotwrightApp::kNoPathIcons);
    EXPECT_EQ(platform::settings::path_icons(), icons);
}

}  // namespace
}  // namespace app_test
