// A picture in the composed map: raster mode, footholds placed by clicks, snapping and the
// RRE export.

#include <gmock/gmock.h>

#include <QAction>
#include <QTest>

#include "app/child_view.h"
#include "georef/foot_hold.h"
#include "georef/tr_rss.h"
#include "map/sf_map.h"
#include "nimbra/layer/read_layer.h"
#include "raster/layer_rre.h"
#include "tests/app/app_fixture.h"
#include "tests/raster/pictures.h"

namespace app_test {
namespace {

using C = app::CMainFrame;

// Types the ground position of a foothold into its dialog and presses OK.
std::function<int(platform::coords_dialog&)> type_ground(const char* lat_min, const char* lon_min) {
    return [=](platform::coords_dialog& d) {
        d.SetText(platform::coords_dialog::latitude_degrees, "55");
        d.SetText(platform::coords_dialog::latitude_minutes, lat_min);
        d.SetText(platform::coords_dialog::longitude_degrees, "37");
        d.SetText(platform::coords_dialog::longitude_minutes, lon_min);
        return d.OnOK() ? platform::IDOK : platform::IDCANCEL;
    };
}

TEST_F(MainFrame, SeveralFilesChosenAtOnceAreAddedUntilAPictureWantsSnapping) {
    auto picture = raster_test::ramp_picture(64, 48);
    const QString scan = QString::fromStdString(raster_test::save_jpeg(picture, sample("scan.jpg")));
    chosen_together = {QString::fromStdString(sample("roads.shp")), QString::fromStdString(sample("towns.shp")), scan,
                       QString::fromStdString(sample("river.shp"))};
    frame->OnAddLayers();
    EXPECT_THAT(row_names(), ::testing::ElementsAre("roads", "towns", "RRE"));
    EXPECT_THAT(messages(), ::testing::ElementsAre("You must snap the previous layer."));
    EXPECT_TRUE(frame->raster_mode());
}

TEST_F(MainFrame, PictureFootholdsSnapAndExport) {
    auto picture = raster_test::ramp_picture(320, 200);
    add("roads.shp");
    chosen_files << QString::fromStdString(raster_test::save_jpeg(picture, sample("scan.jpg")));
    frame->OnAddLayers();
    model::CSFLayerRRE* rre = frame->composed_rre();
    ASSERT_NE(rre, nullptr);
    EXPECT_TRUE(frame->raster_mode());
    for (C::command zoom : {C::ID_ZOOM_IN, C::ID_ZOOM_OUT, C::ID_ZOOM_FULL}) EXPECT_FALSE(frame->action(zoom)->isEnabled());
    EXPECT_TRUE(frame->action(C::ID_EXPORT_RRE)->isEnabled());
    EXPECT_EQ(frame->view()->scroll_size(), QSize(320, 200)) << "the view scrolls over the picture";

    // Clicks place footholds at picture pixels; a cancelled dialog takes its foothold away.
    QWidget* viewport = frame->view()->viewport();
    const struct {
        QPoint at;
        const char *lat, *lon;
    } clicks[] = {{{20, 20}, "44.4", "36.6"}, {{300, 20}, "44.4", "39.6"}, {{20, 180}, "43.2", "36.6"}};
    for (const auto& c : clicks) {
        ui.answer_coords(type_ground(c.lat, c.lon));
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, c.at);
    }
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(150, 100));
    const georef::CFootHold& footholds = rre->GetFootHolds();
    ASSERT_EQ(footholds.GetCount(), 3);
    EXPECT_EQ(footholds.GetPlane(1).x, 300);
    EXPECT_EQ(ui.coords_dialogs().size(), 4u);

    // Nothing joins an unsnapped picture, and it is not exported.
    ui.clear();
    chosen_files << QString::fromStdString(sample("river.shp"));
    frame->OnAddLayers();
    frame->OnExportRRE();
    EXPECT_THAT(messages(), ::testing::ElementsAre("You must snap the previous layer.", "You must snap the previous layer..."));
    EXPECT_EQ(chosen_files.size(), 1) << "no file was asked for";
    chosen_files.clear();

    frame->OnSnap();
    EXPECT_TRUE(frame->composed_map()->get_snap_transform()->IsValid());
    EXPECT_TRUE(rre->get_snap_copy()->IsValid());
    QTest::mouseMove(viewport, QPoint(20, 20));
    EXPECT_EQ(frame->pane_text(C::ID_PANE_LATITUDE).toStdString(), "Lat = N 55 44.400'");

    chosen_files << QString::fromStdString(sample("scan.rre"));
    frame->OnExportRRE();
    tarvel_tech::nimbra::read_layer exported;
    EXPECT_TRUE(exported.load(sample("scan.rre")));

    ui.answer_next(platform::IDNO);
    frame->OnClose();
    EXPECT_FALSE(frame->raster_mode());
    EXPECT_TRUE(frame->action(C::ID_ZOOM_IN)->isEnabled());
    EXPECT_FALSE(frame->action(C::ID_EXPORT_RRE)->isEnabled());
}

}  // namespace
}  // namespace app_test
