// Saving the composed map, opening it again, and what Open and Save refuse.

#include <gmock/gmock.h>

#include <fstream>

#include "app/list_layers.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "tests/app/app_fixture.h"

namespace app_test {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

TEST_F(MainFrame, SavedMapOpensAgainAndIsNeverSavedItself) {
    for (const char* name : {"districts.shp", "roads.shp", "towns.shp"}) add(name);
    frame->composed_map()->GetLayer(0)->m_crFill = platform::RGB(10, 200, 30);
    chosen_files << QString::fromStdString(sample("map.kxr"));
    EXPECT_TRUE(frame->OnSave());
    EXPECT_FALSE(frame->is_modified());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("map.kxr[*] - Plotwright"));
    frame->OnClose();
    EXPECT_TRUE(messages().empty()) << "a saved map goes without a question";

    chosen_files << QString::fromStdString(sample("map.kxr"));
    frame->OnOpen();
    ASSERT_NE(frame->opened_map(), nullptr);
    EXPECT_EQ(frame->composed_map(), nullptr);
    EXPECT_THAT(row_names(), ElementsAre("districts", "roads", "towns"));
    EXPECT_EQ(frame->opened_map()->GetLayer(0)->m_crFill, platform::RGB(10, 200, 30));
    EXPECT_EQ(frame->recent_files().value(0).toStdString(), sample("map.kxr"));

    // An opened map is only shown; Add Layers puts it away even for a file it cannot add.
    frame->OnSave();
    std::ofstream(sample("notes.txt")) << "not a layer";
    add("notes.txt");
    EXPECT_EQ(frame->opened_map(), nullptr);
    EXPECT_EQ(frame->list()->count(), 0);
    EXPECT_THAT(messages(), ElementsAre("You should create the map."));
}

TEST_F(MainFrame, FailedLoadsAndSavesAreReported) {
    std::ofstream(sample("bad.kxr")) << "not a map document";
    chosen_files << QString::fromStdString(sample("bad.kxr"));
    frame->OnOpen();
    add("roads.shp");
    // The answer to the question saves first; the save fails, so the map stays.
    ui.answer_next(platform::IDYES);
    chosen_files << QString::fromStdString(sample("no/such/folder/map.kxr"));
    frame->OnClose();
    ASSERT_EQ(messages().size(), 3u);
    EXPECT_EQ(messages()[0], "The flie is not kxr format.");
    EXPECT_THAT(messages()[2], StartsWith("Can't save the map.\n"));
    EXPECT_GT(messages()[2].size(), std::string("Can't save the map.\n").size()) << "and why";
    EXPECT_NE(frame->composed_map(), nullptr);
    EXPECT_TRUE(frame->is_modified());
}

}  // namespace
}  // namespace app_test
