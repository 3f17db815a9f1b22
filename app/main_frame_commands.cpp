// The commands of the main window.

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

#include "app/child_view.h"
#include "app/hint_window.h"
#include "app/list_layers.h"
#include "app/long_work.h"
#include "app/main_frame.h"
#include "app/operator_choices.h"
#include "georef/tr_rss.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "platform/ui_service.h"
#include "vector/icon_folder.h"

namespace app {

namespace {

using platform::AfxMessageBox;
using platform::MB_ICONINFORMATION;

constexpr double kRotateStep = 0.15;  // radians

std::string file_system_path(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

void CMainFrame::OnAddLayers() {
    hint_window::when_settled(this, [this] {
        if (!may_add_layers()) return;
        const QStringList paths = choices().open_files(
            this, QStringLiteral("All supported files (*.shp *.jpg *.jpeg *.bmp);;ESRI shapfile (*.shp);;"
                                 "JPEG files (*.jpg);;All files (*.*)"));
        // Several files chosen at once are added in their order, each as if chosen alone: a
        // picture among them stops the rest until it is snapped.
        for (qsizetype i = 0; i < paths.size(); ++i) {
            if (i > 0 && !may_add_layers()) break;
            add_layer_file(paths[i]);
        }
    });
}

bool CMainFrame::may_add_layers() {
    if (!m_pComposed) return true;
    // A picture must be tied to the ground, and hold its own copy of the fit, before
    // anything joins it.
    const model::CSFLayer* raster = m_pComposed->GetRasterLayer();
    const georef::CTrRSS* copy = raster ? raster->get_snap_copy() : nullptr;
    if ((m_pComposed->m_nRasterLayer >= 0 && !m_pComposed->get_snap_transform()->IsValid()) ||
        (raster && raster->m_nKind == model::kLayerRRE && (!copy || !copy->IsValid()))) {
        AfxMessageBox("You must snap the previous layer.", MB_ICONINFORMATION);
        return false;
    }
    return true;
}

void CMainFrame::add_layer_file(const QString& path) {
    if (m_pOpened) delete_opened();
    if (!m_pComposed) new_composed();
    set_document_name(QString());

    model::CSFLayer* layer = nullptr;
    model::CSFMap* map = m_pComposed.get();
    const auto result = long_work::run_or(this, QStringLiteral("Reading ") + QFileInfo(path).fileName(),
                                          model::layer_refused,
                                          [&] { return map->AddLayerFromFile(file_system_path(path), &layer); });
    if (result == model::layer_added) {
        show_map(map);
        model::add_icon_layer_for(*map, layer, m_strIconFolder, &m_dcIcons);
        m_pListLayers->AddLayerRow(layer);
        if (map->GetRasterLayer()) m_bRasterMode = 1;
        set_modified(true);
        update_commands();
    } else if (result == model::raster_not_rre) {
        AfxMessageBox("You can't add this file.", MB_ICONINFORMATION);
    }
    m_pView->OnInitialUpdate();
    m_pView->redraw();
}

bool CMainFrame::OnSave() {
    if (!m_pComposed) {
        AfxMessageBox("You should create the map.", MB_ICONINFORMATION);
        return false;
    }
    if (m_pComposed->GetLayerCount() == 0) {
        AfxMessageBox("You must create layers.", MB_ICONINFORMATION);
        return false;
    }
    if (m_pComposed->GetRasterLayer() && !m_pComposed->get_snap_transform()->IsValid()) {
        AfxMessageBox("You must snap the map.", MB_ICONINFORMATION);
        return false;
    }
    const QString path = choices().save_file(this, QStringLiteral("KXR file (*.kxr)"), QStringLiteral("kxr"));
    if (path.isEmpty()) return false;
    return save_to(path);
}

void CMainFrame::OnClose() {
    hint_window::when_settled(this, [this] {
        if (!may_discard_composed()) return;
        delete_opened();
        delete_composed();
        m_pView->OnInitialUpdate();
        m_pView->redraw();
        set_pane(ID_PANE_LONGITUDE, "Long =");
        set_pane(ID_PANE_LATITUDE, "Lat =");
        m_bRasterMode = 0;
        update_commands();
        set_document_name(QString());
    });
}

void CMainFrame::OnZoomIn() {
    if (m_pComposed) m_pComposed->ZoomIn();
    if (m_pOpened) m_pOpened->ZoomIn();
    m_pView->redraw();
}

void CMainFrame::OnZoomOut() {
    if (m_pComposed) m_pComposed->ZoomOut();
    if (m_pOpened) m_pOpened->ZoomOut();
    m_pView->redraw();
}

void CMainFrame::OnZoomFull() {
    if (m_pComposed) m_pComposed->ZoomToExtent();
    if (m_pOpened) m_pOpened->ZoomToExtent();
    m_pView->redraw();
}

void CMainFrame::OnRotate() {
    if (m_pComposed) m_pComposed->Rotate(kRotateStep);
    if (m_pOpened) m_pOpened->Rotate(kRotateStep);
    m_pView->redraw();
}

void CMainFrame::OnAbout() {
    QMessageBox::about(this, QStringLiteral("About Plotwright"),
                       QStringLiteral("<h3>Plotwright %1</h3>"
                                      "<p>Composes maps for a handheld map viewer: shapefiles with their "
                                      "attributes, text exports and scanned pictures tied to the ground by "
                                      "foothold points, saved as map documents (.kxr).</p>")
                           .arg(QApplication::applicationVersion()));
}

void CMainFrame::new_composed() {
    m_pComposed = std::make_unique<model::CSFMap>();
    m_pListLayers->Reset();
    m_pListLayers->SetMap(m_pComposed.get());
}

// The list shows the composed map when there is one. When the map it shows goes, it shows
// the other one, whole: emptying it would leave a map without rows.
void CMainFrame::list_instead(const model::CSFMap* going, model::CSFMap* other) {
    if (m_pListLayers->GetMap() != going) return;
    m_pListLayers->Reset();
    m_pListLayers->SetMap(other);
    m_pListLayers->AddAllRows();
}

void CMainFrame::delete_composed() {
    list_instead(m_pComposed.get(), m_pOpened.get());
    m_pComposed.reset();
    set_modified(false);
}

void CMainFrame::delete_opened() {
    list_instead(m_pOpened.get(), m_pComposed.get());
    m_pOpened.reset();
}

void CMainFrame::show_map(model::CSFMap* map) {
    const QSize client = m_pView->client_size();
    map->SetViewport(client.width(), client.height());
    map->ZoomToExtent();
}

}  // namespace app
