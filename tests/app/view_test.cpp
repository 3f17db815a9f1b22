// The map view: panning by dragging, the coordinates in the status bar, the hover hint's
// loop and the commands that wait for it.

#include <gmock/gmock.h>

#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include "app/child_view.h"
#include "app/coordinate_text.h"
#include "app/hint_window.h"
#include "georef/transform.h"
#include "map/sf_map.h"
#include "vector/layer_point.h"
#include "tests/app/app_fixture.h"

namespace app_test {
namespace {

void move(QWidget* w, QPoint to, Qt::MouseButtons buttons, Qt::KeyboardModifiers keys) {
    QMouseEvent event(QEvent::MouseMove, to, w->mapToGlobal(to), Qt::NoButton, buttons, keys);
    QCoreApplication::sendEvent(w, &event);
}

class MapView : public MainFrame {
protected:
    void SetUp() override {
        MainFrame::SetUp();
        add("districts.shp");
        viewport = frame->view()->viewport();
    }
    georef::CPt2 centre() const { return frame->composed_map()->get_transform()->GetCentre(); }
    QWidget* viewport = nullptr;
};

TEST_F(MapView, DraggingPansUnlessAKeyIsHeld) {
    const georef::CPt2 start = centre();
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    move(viewport, QPoint(150, 140), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(centre().x, start.x);
    EXPECT_EQ(centre().y, start.y);
    move(viewport, QPoint(190, 170), Qt::LeftButton, Qt::NoModifier);
    // The map follows the pointer: moved right and down, the centre goes west and north.
    EXPECT_LT(centre().x, start.x);
    EXPECT_GT(centre().y, start.y);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(190, 170));

    // A press on the window's first column leaves nothing to drag from.
    const georef::CPt2 before = centre();
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(0, 100));
    move(viewport, QPoint(60, 100), Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(centre().x, before.x);
    move(viewport, QPoint(90, 100), Qt::LeftButton, Qt::NoModifier);
    EXPECT_LT(centre().x, before.x);
}

TEST_F(MapView, StatusBarFollowsThePointer) {
    const QPoint at(120, 80);
    move(viewport, at, Qt::NoButton, Qt::NoModifier);
    const model::CSFPt geo = frame->composed_map()->ScreenToGeo({at.x(), at.y()});
    EXPECT_EQ(frame->pane_text(app::CMainFrame::ID_PANE_X).toStdString(), "X = 120");
    EXPECT_EQ(frame->pane_text(app::CMainFrame::ID_PANE_Y).toStdString(), "Y = 80");
    EXPECT_EQ(frame->pane_text(app::CMainFrame::ID_PANE_LONGITUDE).toStdString(), app::longitude_text(true, geo.X, true));
    EXPECT_EQ(frame->pane_text(app::CMainFrame::ID_PANE_LATITUDE).toStdString(), app::latitude_text(true, geo.Y, true));
    EXPECT_THAT(app::longitude_text(true, geo.X, true), ::testing::StartsWith("Long = E 37 "));
}

TEST_F(MapView, RestingOnAPointOfTheActiveLayerShowsItsHint) {
    add("towns.shp");
    model::CSFMap* map = frame->composed_map();
    auto* towns = dynamic_cast<model::CSFLayerPoint*>(map->GetLayer(1));
    ASSERT_NE(towns, nullptr);
    const model::CSFPt& riverside = towns->m_pShapes[1].m_pt;
    // Over the middle of the town's 16 x 16 icon, whose corner stands at the town's place.
    platform::CPoint at = map->get_transform()->GeoToScreen(riverside.X, riverside.Y);
    at = {at.x + 8, at.y + 8};
    QCursor::setPos(viewport->mapToGlobal(QPoint(at.x, at.y)));
    ASSERT_EQ(QCursor::pos(), viewport->mapToGlobal(QPoint(at.x, at.y)));

    frame->view()->hover_tick();
    frame->view()->hover_tick();
    QCoreApplication::processEvents();
    EXPECT_TRUE(ui.hints().empty()) << "no layer is active yet";

    map->SetSelectedLayer(1);
    frame->view()->hover_tick();
    QCoreApplication::processEvents();
    ASSERT_EQ(ui.hints().size(), 1u);
    EXPECT_EQ(ui.hints()[0].lines.at(0), u"NAME   Riverside");
    // Placed below the pointer, in the view's coordinates.
    EXPECT_EQ(ui.hints()[0].rect.left, at.x);
    EXPECT_EQ(ui.hints()[0].rect.top, at.y + 20);

    // Away from any point, nothing more is shown.
    QCursor::setPos(viewport->mapToGlobal(QPoint(2, 2)));
    frame->view()->hover_tick();
    frame->view()->hover_tick();
    QCoreApplication::processEvents();
    EXPECT_EQ(ui.hints().size(), 1u);
}

TEST(CoordinateText, HemispheresAndMinutes) {
    struct row {
        bool positive;
        double value;
        const char* longitude;
        const char* latitude;
    };
    for (const row& r : {row{false, 0.0, "Long = W 0 0.000'", "Lat = S 0 0.000'"},
                         row{true, 37.61, "Long = E 37 36.600'", "Lat = N 37 36.600'"},
                         row{false, -0.5, "Long = W 0 30.000'", "Lat = S 0 30.000'"},
                         row{false, -179.75, "Long = W 179 45.000'", "Lat = S 179 45.000'"}}) {
        EXPECT_EQ(app::longitude_text(r.positive, r.value, true), r.longitude);
        EXPECT_EQ(app::latitude_text(r.positive, r.value, true), r.latitude);
    }
    EXPECT_EQ(app::longitude_text(true, 1.0, false), "Long =");
    EXPECT_EQ(app::x_text({0, 7}, true), "X = 0");
    EXPECT_EQ(app::y_text({0, 7}, false), "Y =");
}

// A layer that shows a hint is below on the stack until the hint's loop returns: a command
// given meanwhile waits for that.
TEST(HintWindow, CommandsWaitForTheHintsLoop) {
    QObject context;
    bool returned = false, ran = false, ran_after_return = false;
    platform::hint_popup popup{{u"NAME   Riverside"}, {10, 10, 150, 36}, {}};
    app::hint_window hint(popup, nullptr);
    QTimer::singleShot(0, &context, [&] {
        EXPECT_EQ(app::hint_window::running_loops(), 1);
        app::hint_window::when_settled(&context, [&] {
            ran = true;
            ran_after_return = returned;
        });
        EXPECT_FALSE(ran);
    });
    EXPECT_EQ(hint.DoModal(), platform::IDCANCEL);
    returned = true;
    EXPECT_EQ(app::hint_window::running_loops(), 0);
    QTRY_VERIFY(ran);
    EXPECT_TRUE(ran_after_return);
}

}  // namespace
}  // namespace app_test
