#include "tests/app/app_fixture.h"

#include <QTest>
#include <filesystem>
#include <utility>

#include "app/list_layers.h"
#include "app/operator_choices.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "tools/sample_shapes.h"
#include "raster/register_layers.h"
#include "vector/register_layers.h"

namespace app_test {

void MainFrame::SetUp() {
    ASSERT_EQ(write_sample_shapefiles(dir.path()), 0);
    std::filesystem::create_directory(dir.file("icons"));
    ASSERT_EQ(write_sample_icons(dir.file("icons")), 0);
    model::register_vector_layers();
    model::register_raster_layers();
    app::choices().open_file = [this](QWidget*, const QString&) {
        return chosen_files.isEmpty() ? QString() : chosen_files.takeFirst();
    };
    app::choices().open_files = [this](QWidget*, const QString&) {
        if (!chosen_together.isEmpty()) return std::exchange(chosen_together, QStringList());
        return chosen_files.isEmpty() ? QStringList() : QStringList{chosen_files.takeFirst()};
    };
    app::choices().save_file = [this](QWidget*, const QString&, const QString&) {
        return chosen_files.isEmpty() ? QString() : chosen_files.takeFirst();
    };
    frame = std::make_unique<app::CMainFrame>(dir.file("icons"));
    frame->resize(900, 640);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
}

void MainFrame::TearDown() {
    frame.reset();
    app::choices().open_file = [](QWidget*, const QString&) { return QString(); };
    app::choices().open_files = [](QWidget*, const QString&) { return QStringList(); };
    app::choices().save_file = [](QWidget*, const QString&, const QString&) { return QString(); };
}

void MainFrame::add(const std::string& name) {
    chosen_files << QString::fromStdString(sample(name));
    frame->OnAddLayers();
}

std::vector<std::string> MainFrame::layer_names() const {
    std::vector<std::string> names;
    if (model::CSFMap* map = frame->composed_map())
        for (std::uint32_t i = 0; i < map->GetLayerCount(); ++i) names.push_back(map->GetLayer(i)->m_strName);
    return names;
}

std::vector<std::string> MainFrame::row_names() const {
    std::vector<std::string> names;
    for (int r = 0; r < frame->list()->count(); ++r) names.push_back(frame->list()->item(r)->text().toStdString());
    return names;
}

std::vector<int> MainFrame::row_indices() const {
    std::vector<int> indices;
    for (int r = 0; r < frame->list()->count(); ++r)
        indices.push_back(frame->list()->item(r)->data(app::CListLayers::role_layer_index).toInt());
    return indices;
}

QPoint MainFrame::row_centre(int row) const {
    return frame->list()->visualItemRect(frame->list()->item(row)).center();
}

std::vector<std::string> MainFrame::messages() const {
    std::vector<std::string> texts;
    for (const auto& m : ui.messages()) texts.push_back(m.text);
    return texts;
}

}  // namespace app_test
