#pragma once

#include <QMainWindow>
#include <QStringList>
#include <map>
#include <memory>
#include <string>

#include "platform/device_context.h"
#include "platform/geometry.h"
#include "shapes/sf_geometry.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace model {
class CSFLayerRRE;
class CSFMap;
}  // namespace model

namespace app {

class CChildView;
class CLeftPanel;
class CListLayers;

// The main window: menus, toolbar, status bar, the layers panel on the left and the map view.
// It holds the two maps of the program: the composed map, which Add Layers and Import fill
// and which alone is saved, and the opened map, which Open loads and which is only shown.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // The commands, by the system's identifiers.
    enum command : int {
        ID_FILE_OPEN = 32772,
        ID_FILE_SAVE = 32773,
        ID_ADD_LAYERS = 32774,
        ID_ZOOM_IN = 32776,
        ID_ZOOM_OUT = 32777,
        ID_FOOTHOLD_LIST = 32783,
        ID_SNAP = 32785,
        ID_ZOOM_FULL = 32793,
        ID_FILE_CLOSE = 32799,
        ID_ROTATE = 32803,
        ID_IMPORT_KTF = 32806,
        ID_EXPORT_RRE = 32811,
        ID_APP_ABOUT = 57664,
        ID_APP_EXIT = 57665,
        ID_VIEW_TOOLBAR = 59392,
        ID_VIEW_STATUS_BAR = 59393,
    };
    // The status bar panes, by the system's identifiers.
    enum pane : int { ID_PANE_LATITUDE = 59143, ID_PANE_LONGITUDE = 59144, ID_PANE_X = 59145, ID_PANE_Y = 59146 };

    explicit CMainFrame(std::string iconFolder);
    ~CMainFrame() override;

    model::CSFMap* composed_map() const { return m_pComposed.get(); }
    model::CSFMap* opened_map() const { return m_pOpened.get(); }
    // The composed map's raster layer when it is an RRE layer.
    model::CSFLayerRRE* composed_rre() const;
    CChildView* view() const { return m_pView; }
    CListLayers* list() const { return m_pListLayers; }
    CLeftPanel* panel() const { return m_pLeftPanel; }
    QAction* action(command id) const;
    QString pane_text(pane id) const;
    bool raster_mode() const { return m_bRasterMode != 0; }
    // Whether the composed map has changed since it was made or last saved.
    bool is_modified() const { return m_bModified; }
    // The view marks the composed map changed when footholds are placed on its picture.
    void set_modified(bool modified);
    QStringList recent_files() const;

    // The commands; each asks for what it needs.
    void OnAddLayers();
    bool OnSave();
    void OnOpen();
    void OnImportKTF();
    void OnClose();
    void OnZoomIn();
    void OnZoomOut();
    void OnZoomFull();
    void OnRotate();
    void OnFootholdList();
    void OnSnap();
    void OnExportRRE();
    void OnAbout();

    // The commands with the file already chosen.
    void add_layer_file(const QString& path);
    void open_file(const QString& path);
    void import_file(const QString& path);
    // Files named on the command line or dropped: map documents are opened, text exports
    // imported, shapefiles and pictures added as layers, in the order given.
    void open_files(const QStringList& paths);

    // The status bar panes that follow the pointer.
    void SetCoordinates(bool north, bool east, const model::CSFPt& geo, bool valid);
    void SetXY(const platform::CPoint& point, bool valid);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void create_actions();
    void create_menus();
    void create_status_bar();
    QAction* add_action(command id, const QString& text, void (CMainFrame::*handler)());
    void update_commands();
    void set_pane(pane id, const std::string& text);
    // The title shows the document's name and whether the composed map has changed.
    void set_document_name(const QString& name);

    void remember_file(const QString& path);
    void update_recent_menu();
    // Asks before the composed map, changed since it was last saved, is thrown away: true
    // when it may go (saved, or the operator let it go).
    bool may_discard_composed();
    // Add Layers may go on: a picture in the composed map has been snapped.
    bool may_add_layers();
    // Regrids and saves the composed map; tells the operator when that fails.
    bool save_to(const QString& path);
    // The composed map and the opened map go; the layers list is emptied.
    void delete_composed();
    void list_instead(const model::CSFMap* going, model::CSFMap* other);
    void delete_opened();
    void new_composed();
    // Loads the file into the map (an opened or a new composed one) and shows it.
    void load_into(model::CSFMap* map, const QString& path, const QString& work);
    // After a map was made or loaded: the view takes its size and fits it.
    void show_map(model::CSFMap* map);
    void restore_window();
    void save_window() const;

    // The device context the icon pictures are made on; it outlives the maps.
    platform::CDC m_dcIcons;
    std::string m_strIconFolder;
    std::unique_ptr<model::CSFMap> m_pComposed;
    std::unique_ptr<model::CSFMap> m_pOpened;

    CLeftPanel* m_pLeftPanel = nullptr;
    CListLayers* m_pListLayers = nullptr;
    QToolBar* m_pToolBar = nullptr;
    CChildView* m_pView = nullptr;
    std::uint8_t m_bRasterMode = 0;
    bool m_bModified = false;
    QString m_strDocument;

    std::map<int, QAction*> m_actions;
    std::map<int, QLabel*> m_panes;
    QMenu* m_pRecentMenu = nullptr;
};

}  // namespace app
