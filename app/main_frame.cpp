#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

#include "app/child_view.h"
#include "app/coordinate_text.h"
#include "app/hint_window.h"
#include "app/left_panel.h"
#include "app/list_layers.h"
#include "app/long_work.h"
#include "app/pictures.h"
#include "map/sf_map.h"
#include "platform/ui_service.h"

namespace app {

namespace {

// The texts of the panes as the status bar starts; their spaces set the panes' widths.
const struct {
    CMainFrame::pane id;
    const char* text;
    int extra;
} kPanes[] = {
    {CMainFrame::ID_PANE_X, "X =             ", 0},
    {CMainFrame::ID_PANE_Y, "Y =             ", 0},
    {CMainFrame::ID_PANE_LATITUDE, "Latitude =                     ", 15},
    {CMainFrame::ID_PANE_LONGITUDE, "Longitude =                  ", 15},
};

}  // namespace

CMainFrame::CMainFrame(std::string iconFolder) : m_strIconFolder(std::move(iconFolder)) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowIcon(application_icon());
    setAcceptDrops(true);
    m_pLeftPanel = new CLeftPanel(this);
    m_pListLayers = m_pLeftPanel->list();
    addDockWidget(Qt::LeftDockWidgetArea, m_pLeftPanel);
    m_pView = new CChildView(this);
    setCentralWidget(m_pView);
    create_actions();
    create_menus();
    create_status_bar();
    connect(m_pListLayers, &CListLayers::map_changed, this, [this] {
        set_modified(true);
        m_pView->redraw();
    });
    connect(m_pListLayers, &CListLayers::redraw_needed, m_pView, &CChildView::redraw);
    set_document_name(QString());
    update_commands();
    restore_window();
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::add_action(command id, const QString& text, void (CMainFrame::*handler)()) {
    auto* a = new QAction(text, this);
    a->setData(static_cast<int>(id));
    if (handler) connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    m_actions[id] = a;
    return a;
}

QAction* CMainFrame::action(command id) const {
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

void CMainFrame::create_actions() {
    auto tip = [](QAction* a, const QString& text) {
        a->setToolTip(text);
        a->setStatusTip(text);
    };
    QAction* a = add_action(ID_FILE_OPEN, QStringLiteral("&Open"), &CMainFrame::OnOpen);
    a->setShortcut(QKeySequence::Open);
    a->setIcon(tool_icon(tool_picture::open));
    tip(a, QStringLiteral("Open kxr file"));
    a = add_action(ID_FILE_SAVE, QStringLiteral("&Save"), nullptr);
    connect(a, &QAction::triggered, this, [this] { OnSave(); });
    a->setShortcut(QKeySequence::Save);
    a->setIcon(tool_icon(tool_picture::save));
    tip(a, QStringLiteral("Save as kxr"));
    a = add_action(ID_FILE_CLOSE, QStringLiteral("&Close"), &CMainFrame::OnClose);
    a->setShortcut(QKeySequence::Close);
    tip(a, QStringLiteral("Close All"));
    add_action(ID_IMPORT_KTF, QStringLiteral("KTF"), &CMainFrame::OnImportKTF);
    add_action(ID_EXPORT_RRE, QStringLiteral("Export RRE..."), &CMainFrame::OnExportRRE);
    a = add_action(ID_APP_EXIT, QStringLiteral("E&xit"), nullptr);
    connect(a, &QAction::triggered, this, &QWidget::close);
    a->setShortcut(QKeySequence::Quit);
    a = add_action(ID_ADD_LAYERS, QStringLiteral("&Add Layers..."), &CMainFrame::OnAddLayers);
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    a->setIcon(tool_icon(tool_picture::add_layers));
    tip(a, QStringLiteral("Add Layer "));
    a = add_action(ID_ZOOM_FULL, QStringLiteral("Zoom to Full Extent"), &CMainFrame::OnZoomFull);
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    a->setIcon(tool_icon(tool_picture::zoom_full));
    a = add_action(ID_ZOOM_OUT, QStringLiteral("Zoom Out"), &CMainFrame::OnZoomOut);
    a->setShortcut(QKeySequence::ZoomOut);
    a->setIcon(tool_icon(tool_picture::zoom_out));
    a = add_action(ID_ZOOM_IN, QStringLiteral("Zoom In"), &CMainFrame::OnZoomIn);
    a->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    a->setIcon(tool_icon(tool_picture::zoom_in));
    add_action(ID_FOOTHOLD_LIST, QStringLiteral("Foothold List..."), &CMainFrame::OnFootholdList)
        ->setIcon(tool_icon(tool_picture::foothold_list));
    add_action(ID_SNAP, QStringLiteral("Snap"), &CMainFrame::OnSnap)->setIcon(tool_icon(tool_picture::snap));
    a = add_action(ID_ROTATE, QStringLiteral("Rotate"), &CMainFrame::OnRotate);
    a->setIcon(tool_icon(tool_picture::rotate));
    add_action(ID_APP_ABOUT, QStringLiteral("&About Plotwright..."), &CMainFrame::OnAbout);
}

void CMainFrame::create_menus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(action(ID_FILE_OPEN));
    file->addAction(action(ID_FILE_SAVE));
    file->addAction(action(ID_FILE_CLOSE));
    file->addMenu(QStringLiteral("Import from..."))->addAction(action(ID_IMPORT_KTF));
    file->addAction(action(ID_EXPORT_RRE));
    file->addSeparator();
    m_pRecentMenu = file->addMenu(QStringLiteral("Recent Files"));
    file->addSeparator();
    file->addAction(action(ID_APP_EXIT));
    update_recent_menu();

    m_pToolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_pToolBar->setObjectName(QStringLiteral("MainToolBar"));
    for (command id : {ID_FILE_OPEN, ID_FILE_SAVE, command(0), ID_ADD_LAYERS, ID_ZOOM_IN, ID_ZOOM_OUT, command(0),
                       ID_FOOTHOLD_LIST, ID_SNAP, ID_ROTATE}) {
        if (id == 0) m_pToolBar->addSeparator();
        else m_pToolBar->addAction(action(id));
    }
    addToolBar(Qt::TopToolBarArea, m_pToolBar);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    QAction* toolbar = m_pToolBar->toggleViewAction();
    toolbar->setText(QStringLiteral("&Toolbar"));
    m_actions[ID_VIEW_TOOLBAR] = toolbar;
    view->addAction(toolbar);
    QAction* status = view->addAction(QStringLiteral("&Status Bar"));
    status->setCheckable(true);
    status->setChecked(true);
    connect(status, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    m_actions[ID_VIEW_STATUS_BAR] = status;
    QAction* panel = m_pLeftPanel->toggleViewAction();
    panel->setText(QStringLiteral("&Layers Panel"));
    view->addAction(panel);

    menuBar()->addMenu(QStringLiteral("&Layer"))->addAction(action(ID_ADD_LAYERS));
    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    for (command id : {ID_ZOOM_FULL, ID_ZOOM_OUT, ID_ZOOM_IN, ID_FOOTHOLD_LIST, ID_SNAP}) tools->addAction(action(id));
    menuBar()->addMenu(QStringLiteral("&Help"))->addAction(action(ID_APP_ABOUT));
}

void CMainFrame::create_status_bar() {
    QStatusBar* bar = statusBar();
    for (const auto& p : kPanes) {
        auto* label = new QLabel(QString::fromLatin1(p.text), bar);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(label->text()) + 8 + p.extra);
        bar->addPermanentWidget(label);
        m_panes[p.id] = label;
    }
}

void CMainFrame::set_pane(pane id, const std::string& text) { m_panes.at(id)->setText(QString::fromStdString(text)); }

QString CMainFrame::pane_text(pane id) const { return m_panes.at(id)->text(); }

void CMainFrame::SetCoordinates(bool north, bool east, const model::CSFPt& geo, bool valid) {
    set_pane(ID_PANE_LONGITUDE, longitude_text(east, geo.X, valid));
    set_pane(ID_PANE_LATITUDE, latitude_text(north, geo.Y, valid));
}

void CMainFrame::SetXY(const platform::CPoint& point, bool valid) {
    set_pane(ID_PANE_X, x_text(point, valid));
    set_pane(ID_PANE_Y, y_text(point, valid));
}

void CMainFrame::update_commands() {
    const bool raster = raster_mode();
    for (command id : {ID_ZOOM_IN, ID_ZOOM_OUT, ID_ZOOM_FULL}) action(id)->setEnabled(!raster);
    action(ID_EXPORT_RRE)->setEnabled(raster);
}

void CMainFrame::set_document_name(const QString& name) {
    m_strDocument = name;
    setWindowTitle(name.isEmpty() ? QStringLiteral("Plotwright[*]") : name + QStringLiteral("[*] - Plotwright"));
}

void CMainFrame::set_modified(bool modified) {
    m_bModified = modified && m_pComposed;
    setWindowModified(m_bModified);
}

void CMainFrame::restore_window() {
    QSettings settings;
    if (!restoreGeometry(settings.value(QStringLiteral("Window/Geometry")).toByteArray())) resize(1024, 720);
    restoreState(settings.value(QStringLiteral("Window/State")).toByteArray());
    statusBar()->setVisible(!settings.value(QStringLiteral("Window/StatusBarHidden")).toBool());
    action(ID_VIEW_STATUS_BAR)->setChecked(statusBar()->isVisibleTo(this));
}

void CMainFrame::save_window() const {
    QSettings settings;
    settings.setValue(QStringLiteral("Window/Geometry"), saveGeometry());
    settings.setValue(QStringLiteral("Window/State"), saveState());
    settings.setValue(QStringLiteral("Window/StatusBarHidden"), !statusBar()->isVisibleTo(this));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (long_work::is_running()) return;
    if (hint_window::running_loops() > 0) {
        hint_window::when_settled(this, [this] { close(); });
        return;
    }
    if (!may_discard_composed()) return;
    save_window();
    event->accept();
}

}  // namespace app
