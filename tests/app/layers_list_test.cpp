// The layers list: showing and hiding, reordering by dragging, deleting, the context menu.

#include <gmock/gmock.h>

#include <QAction>
#include <QMimeData>
#include <QTest>

#include "app/list_layers.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "tests/app/app_fixture.h"
#include "vector/layer_point.h"

namespace app_test {
namespace {

using ::testing::ElementsAre;
using L = app::CListLayers;

class LayersList : public MainFrame {
protected:
    void SetUp() override {
        MainFrame::SetUp();
        for (const char* name : {"districts.shp", "river.shp", "roads.shp"}) add(name);
        list = frame->list();
        ASSERT_EQ(list->count(), 3);
    }
    // A drag of the row from this list, dropped at the point.
    bool drag_row(int row, QPoint at) {
        list->setCurrentRow(row);
        std::unique_ptr<QMimeData> data(list->begin_drag());
        const bool dropped = list->drop_at(data.get(), at);
        list->end_drag();
        return dropped;
    }
    L* list = nullptr;
};

TEST_F(LayersList, CheckBoxColumnHidesAndShows) {
    model::CSFLayer* river = frame->composed_map()->GetLayer(1);
    const QPoint box(5, row_centre(1).y());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, box);
    EXPECT_FALSE(river->IsVisible());
    EXPECT_FALSE(list->item(1)->data(L::role_visible).toBool());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, box);
    EXPECT_TRUE(river->IsVisible());
    // Beside the column, or with a key held, a click only selects.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(60, box.y()));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, box);
    EXPECT_TRUE(river->IsVisible());
}

TEST_F(LayersList, DroppingOnItselfChangesNothing) {
    EXPECT_FALSE(drag_row(1, row_centre(1)));
    EXPECT_THAT(messages(), ElementsAre("An item can't be dropped onto itself"));
    EXPECT_THAT(layer_names(), ElementsAre("districts", "river", "roads"));
    EXPECT_EQ(list->drop_highlight(), -1);
}

TEST_F(LayersList, FirstOfThreeDraggedBelowTheLastGoesLast) {
    const QRect last = list->visualItemRect(list->item(2));
    EXPECT_TRUE(drag_row(0, QPoint(40, last.bottom() + 30)));
    EXPECT_THAT(layer_names(), ElementsAre("river", "roads", "districts"));
    EXPECT_THAT(row_names(), ElementsAre("river", "roads", "districts"));
    EXPECT_THAT(row_indices(), ElementsAre(0, 1, 2));
    EXPECT_EQ(list->currentRow(), 2);
    // And back up onto the first row.
    EXPECT_TRUE(drag_row(2, row_centre(0)));
    EXPECT_THAT(layer_names(), ElementsAre("districts", "river", "roads"));
    EXPECT_TRUE(messages().empty());
}

TEST_F(LayersList, RowsOfAnotherListAreRefused) {
    // Another list of the same kind, over the same map: its rows are not this list's.
    L other(nullptr);
    other.SetMap(frame->composed_map());
    other.AddAllRows();
    other.setCurrentRow(0);
    std::unique_ptr<QMimeData> theirs(other.begin_drag());
    QMimeData forged;
    QByteArray block = theirs->data(L::mime_type());
    block[0] = 1;
    forged.setData(L::mime_type(), block);
    EXPECT_FALSE(list->drop_at(theirs.get(), row_centre(2)));
    EXPECT_FALSE(list->drop_at(&forged, row_centre(2)));
    EXPECT_THAT(messages(), ElementsAre(" Source control not defined", " Source control not defined"));
    EXPECT_THAT(layer_names(), ElementsAre("districts", "river", "roads"));
}

TEST_F(LayersList, DeletingARowRemovesItsLayerAndKeepsTheActiveOne) {
    model::CSFMap* map = frame->composed_map();
    map->SetSelectedLayer(2);  // roads
    list->setCurrentRow(1);
    list->run_command(L::ID_DELETE);
    EXPECT_THAT(layer_names(), ElementsAre("districts", "roads"));
    EXPECT_THAT(row_names(), ElementsAre("districts", "roads"));
    EXPECT_THAT(row_indices(), ElementsAre(0, 1));
    EXPECT_EQ(map->GetSelectedLayer(), 1);
    list->setCurrentRow(1);
    list->run_command(L::ID_DELETE);
    EXPECT_EQ(map->GetSelectedLayer(), -1) << "the active layer went";
    EXPECT_TRUE(frame->is_modified());
}

TEST_F(LayersList, MenuItemsFollowTheLayer) {
    add("towns.shp");  // a point layer, which brings the icon layer
    struct expected {
        int row;
        bool contour, fill, defaults, icons, active;
    };
    // Rows: districts (polygons, filled), river (lines), roads (lines), towns (points).
    for (const expected& e : {expected{0, true, true, true, false, false}, expected{1, true, false, true, false, false},
                              expected{3, false, false, true, true, true}}) {
        list->setCurrentRow(e.row);
        list->update_menu();
        SCOPED_TRACE(e.row);
        EXPECT_EQ(list->menu_action(L::ID_CONTOUR_COLOR)->isEnabled(), e.contour);
        EXPECT_EQ(list->menu_action(L::ID_FILL_COLOR)->isEnabled(), e.fill);
        EXPECT_EQ(list->menu_action(L::ID_DEFAULT_COLORS)->isEnabled(), e.defaults);
        EXPECT_EQ(list->menu_action(L::ID_ICONS)->isEnabled(), e.icons);
        EXPECT_EQ(list->menu_action(L::ID_REMOVE_ICON)->isEnabled(), e.icons);
        EXPECT_EQ(list->menu_action(L::ID_ACTIVE)->isEnabled(), e.active);
        EXPECT_TRUE(list->menu_action(L::ID_DELETE)->isEnabled());
    }
    // The icon chooser's answer becomes the point layer's icon.
    ui.answer_icon(1);
    list->run_command(L::ID_ICONS);
    ASSERT_EQ(ui.icon_choosers().size(), 1u);
    EXPECT_EQ(ui.icon_choosers()[0].size(), 2u);
    auto* towns = dynamic_cast<model::CSFLayerPoint*>(frame->composed_map()->GetLayer(3));
    ASSERT_NE(towns, nullptr);
    EXPECT_EQ(towns->m_nIcon, 1);
    list->run_command(L::ID_ACTIVE);
    EXPECT_EQ(frame->composed_map()->GetSelectedLayer(), 3);
    EXPECT_TRUE(list->item(3)->data(L::role_active).toBool());
}

}  // namespace
}  // namespace app_test
