// Pictures of the program's windows on the sample data, for the README and for looking at
// by eye: the main window over the composed map, the layers' context menu, the attribute
// dialog and the foothold list. Needs a display; scripts/screenshots starts a virtual one.
//   plotwright-screenshots DATA_DIR OUT_DIR
// DATA_DIR holds the sample shapefiles, an icon folder "icons" and picture.jpg, the sample
// picture (one pixel 1e-4 degrees, its top-left corner at 37.6 E 55.75 N).

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <clocale>
#include <cstdio>

#include "app/attribute_list_dlg.h"
#include "app/child_view.h"
#include "app/list_layers.h"
#include "app/main_frame.h"
#include "app/qt_ui_service.h"
#include "map/sf_layer.h"
#include "georef/foot_hold.h"
#include "map/sf_map.h"
#include "raster/layer_rre.h"
#include "raster/register_layers.h"
#include "vector/layer_point.h"
#include "raster/register_layers.h"
#include "vector/register_layers.h"

namespace {

// What the screen shows over the rectangle, after everything pending has been drawn.
bool shoot(const QRect& area, const QString& path) {
    QTest::qWait(300);
    const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(),
                                                                         area.height());
    if (picture.isNull() || !picture.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Footholds where an operator would click them, with the ground positions the sample
// picture was made for.
void place_footholds(model::CSFLayerRRE& rre) {
    for (const platform::CPoint pixel : {platform::CPoint{100, 100}, platform::CPoint{600, 100},
                                         platform::CPoint{100, 300}, platform::CPoint{600, 300}}) {
        georef::CFootHold& footholds = rre.GetFootHolds();
        const int i = footholds.Add(pixel);
        footholds.SetGround(i, georef::CPt(37.6 + pixel.x * 1e-4, 55.75 - pixel.y * 1e-4, 0.0));
    }
}

// The window that opens over the main one, once it is there.
QWidget* wait_for_modal() {
    for (int i = 0; i < 100 && !QApplication::activeModalWidget(); ++i) QTest::qWait(20);
    return QApplication::activeModalWidget();
}

int row_of(app::CListLayers* list, const QString& name) {
    for (int r = 0; r < list->count(); ++r)
        if (list->item(r)->text() == name) return r;
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QCoreApplication::setOrganizationName(QStringLiteral("Tarvel technology"));
    QCoreApplication::setApplicationName(QStringLiteral("Orvella"));
    if (argc != 3) {
        std::fprintf(stderr, "usage: plotwright-screenshots DATA_DIR OUT_DIR\n");
        return 1;
    }
    const QDir data(QString::fromLocal8Bit(argv[1]));
    const QDir out(QString::fromLocal8Bit(argv[2]));
    if (!out.mkpath(QStringLiteral("."))) return 2;

    app::qt_ui_service service;
    model::register_vector_layers();
    model::register_raster_layers();
    app::CMainFrame frame(data.filePath(QStringLiteral("icons")).toStdString());
    service.set_main_window(&frame);
    service.set_hint_origin(frame.view()->viewport());
    frame.resize(1100, 700);
    frame.move(24, 24);
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame)) return 2;
    QTest::qWait(500);  // the window manager's frame

    // The picture first: it is snapped ("The map was snaped." is answered as it comes)
    // before anything joins it.
    frame.add_layer_file(data.filePath(QStringLiteral("picture.jpg")));
    model::CSFLayerRRE* picture = frame.composed_rre();
    if (!picture) return 2;
    place_footholds(*picture);
    QTimer::singleShot(0, [] {
        if (QWidget* box = wait_for_modal()) box->close();
    });
    frame.OnSnap();
    for (const char* name : {"districts.shp", "river.shp", "roads.shp", "towns.shp"})
        frame.add_layer_file(data.filePath(QString::fromLatin1(name)));
    model::CSFMap* map = frame.composed_map();
    app::CListLayers* list = frame.list();
    if (!map || list->count() != 5) return 2;
    // The styling an operator gives the sample: green districts, the river in blue, towns
    // labelled with their names.
    map->GetLayer(1)->m_crFill = platform::RGB(190, 220, 170);
    map->GetLayer(1)->m_crContour = platform::RGB(60, 110, 60);
    map->GetLayer(2)->m_crContour = platform::RGB(40, 90, 200);
    if (auto* towns = dynamic_cast<model::CSFLayerPoint*>(map->GetLayer(4))) towns->set_label_field("NAME");
    list->Renumber();
    frame.view()->redraw();

    const QRect window = frame.frameGeometry();
    bool ok = shoot(window, out.filePath(QStringLiteral("main-window.png")));

    const int towns = row_of(list, QStringLiteral("towns"));
    list->setCurrentRow(towns);
    QMenu* menu = list->context_menu();
    menu->popup(list->viewport()->mapToGlobal(list->visualItemRect(list->item(towns)).center()));
    ok = shoot(window, out.filePath(QStringLiteral("context-menu.png"))) && ok;
    menu->hide();

    app::CAttributeListDlg attributes(map, &frame);
    QTimer::singleShot(0, &attributes, [&] {
        ok = shoot(window, out.filePath(QStringLiteral("attribute-dialog.png"))) && ok;
        attributes.reject();
    });
    attributes.DoModal();

    QTimer::singleShot(0, [&] {
        if (QWidget* list_window = wait_for_modal()) {
            ok = shoot(window, out.filePath(QStringLiteral("foothold-list.png"))) && ok;
            list_window->close();
        }
    });
    frame.OnFootholdList();
    frame.set_modified(false);
    return ok ? 0 : 2;
}
