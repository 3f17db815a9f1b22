#pragma once

#include <gtest/gtest.h>

#include <QPoint>
#include <QStringList>
#include <memory>
#include <string>

#include "app/main_frame.h"
#include "tests/support/files.h"
#include "tests/support/recording_ui_service.h"
#include "tests/support/settings_sandbox.h"

namespace model {
class CSFLayer;
}

namespace app_test {

// The main window as the program shows it, over the sample shapefiles (districts, river,
// roads, towns) and icons written into a folder of the test's own; settings in a sandbox,
// the operator's messages recorded, file dialogs answered from a queue.
class MainFrame : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string sample(const std::string& name) const { return dir.file(name); }
    // Add Layers with the file chosen in its dialog.
    void add(const std::string& name);
    // The names of the layers in map order, and of the rows in list order.
    std::vector<std::string> layer_names() const;
    std::vector<std::string> row_names() const;
    std::vector<int> row_indices() const;
    // The middle of a row of the layers list, in the list's viewport.
    QPoint row_centre(int row) const;
    std::vector<std::string> messages() const;

    test_support::settings_sandbox settings;
    test_support::temp_dir dir;
    test_support::recording_ui ui;
    std::unique_ptr<app::CMainFrame> frame;
    QStringList chosen_files;     // what the next file dialogs answer, in order
    QStringList chosen_together;  // files the next Add Layers dialog answers all at once
};

}  // namespace app_test
