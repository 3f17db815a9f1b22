// Plotwright, the desktop program.

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <clocale>

#include "app/child_view.h"
#include "app/main_frame.h"
#include "app/plotwright_app.h"
#include "app/qt_ui_service.h"
#include "raster/register_layers.h"
#include "vector/register_layers.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Qt takes the user's locale for the C library too; numbers in files and texts are
    // written and read in the C locale.
    std::setlocale(LC_NUMERIC, "C");
    // The settings live under these names (the icon folder, the window, recent files).
    QCoreApplication::setOrganizationName(QStringLiteral("Tarvel technology"));
    QCoreApplication::setApplicationName(QStringLiteral("Orvella"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PLOTWRIGHT_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("plotwright"));

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Composes maps for a handheld map viewer."));
    options.addHelpOption();
    options.addVersionOption();
    options.addPositionalArgument(QStringLiteral("files"),
                                  QStringLiteral("Map documents (.kxr) to open, text exports (.ktf) to import, "
                                                 "shapefiles and pictures (.shp, .jpg, .bmp) to add as layers."),
                                  QStringLiteral("[files...]"));
    options.process(application);

    app::qt_ui_service service;
    model::register_vector_layers();
    model::register_raster_layers();

    app::CPlotwrightApp theApp;
    theApp.InitInstance(QCoreApplication::applicationDirPath().toStdString());

    app::CMainFrame frame(theApp.GetPathIcons());
    service.set_main_window(&frame);
    service.set_hint_origin(frame.view()->viewport());
    frame.show();
    const QStringList files = options.positionalArguments();
    if (!files.isEmpty()) QTimer::singleShot(0, &frame, [&frame, files] { frame.open_files(files); });
    return application.exec();
}
