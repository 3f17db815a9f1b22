// The main window's commands, driven as the operator gives them.

#include <gmock/gmock.h>

#include <QAction>
#include <fstream>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "app/child_view.h"
#include "app/list_layers.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "tests/app/app_fixture.h"

namespace app_test {
namespace {

using ::testing::ElementsAre;

TEST_F(MainFrame, SaveWantsAMapWithLayers) {
    frame->OnSave();
    // A file that cannot be added still leaves a composed map, without layers.
    std::ofstream(sample("notes.txt")) << "not a layer";
    add("notes.txt");
    ASSERT_NE(frame->composed_map(), nullptr);
    EXPECT_EQ(frame->composed_map()->GetLayerCount(), 0u);
    frame->OnSave();
    EXPECT_THAT(messages(), ElementsAre("You should create the map.", "You must create layers."));
    EXPECT_FALSE(frame->is_modified());
}

TEST_F(MainFrame, TwoPointLayersBringOneIconLayer) {
    add("towns.shp");
    add("towns.shp");
    model::CSFMap* map = frame->composed_map();
    int icon_layers = 0;
    for (std::uint32_t i = 0; i < map->GetLayerCount(); ++i) icon_layers += map->GetLayer(i)->m_nKind == model::kLayerIcons;
    EXPECT_EQ(map->GetLayerCount(), 3u);
    EXPECT_EQ(icon_layers, 1);
    // The icon layer has no row; the rows name the layers they stand for.
    EXPECT_THAT(row_names(), ElementsAre("towns", "towns"));
    EXPECT_THAT(row_indices(), ElementsAre(0, 2));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Plotwright[*]"));
    EXPECT_TRUE(frame->isWindowModified());
}

TEST_F(MainFrame, UnsavedChangesAreAskedAbout) {
    frame->OnClose();
    EXPECT_TRUE(ui.messages().empty()) << "nothing to lose yet";

    add("roads.shp");
    ui.answer_next(platform::IDCANCEL);
    frame->OnClose();
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].buttons, platform::MB_YESNOCANCEL);
    EXPECT_NE(frame->composed_map(), nullptr) << "cancel keeps the map";

    // Saving first, but the save dialog is cancelled: the map stays as well.
    ui.answer_next(platform::IDYES);
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_NE(frame->composed_map(), nullptr);

    ui.answer_next(platform::IDNO);
    frame->OnClose();
    EXPECT_EQ(frame->composed_map(), nullptr);
    EXPECT_EQ(frame->list()->count(), 0);
    EXPECT_EQ(frame->pane_text(app::CMainFrame::ID_PANE_LONGITUDE), QStringLiteral("Long ="));
    EXPECT_EQ(frame->pane_text(app::CMainFrame::ID_PANE_LATITUDE), QStringLiteral("Lat ="));
    EXPECT_EQ(ui.messages().size(), 3u);
}

TEST_F(MainFrame, FilesDroppedOnTheWindowAreAddedInOrder) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(sample("roads.shp"))),
                  QUrl::fromLocalFile(QString::fromStdString(sample("towns.shp"))),
                  QUrl::fromLocalFile(QString::fromStdString(sample("towns.dbf")))});
    const QPoint at(300, 300);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame.get(), &drop);
    // The files are taken once the drop has returned to the program they came from.
    QTRY_COMPARE(frame->list()->count(), 2);
    EXPECT_THAT(row_names(), ElementsAre("roads", "towns"));
    QTRY_COMPARE(ui.messages().size(), std::size_t{1});
    EXPECT_THAT(messages()[0], ::testing::HasSubstr("towns.dbf"));
}

}  // namespace
}  // namespace app_test
