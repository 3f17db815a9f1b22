// Files given to the main window other than through its dialogs (command line, drops, recent
// files), and the question before a changed map is thrown away.

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QTimer>
#include <QUrl>

#include "app/hint_window.h"
#include "app/main_frame.h"
#include "platform/ui_service.h"

namespace app {

namespace {

constexpr int kRecentFiles = 8;
const QString kRecentKey = QStringLiteral("Files/Recent");

QStringList local_files(const QMimeData* data) {
    QStringList paths;
    if (!data->hasUrls()) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    return paths;
}

}  // namespace

bool CMainFrame::may_discard_composed() {
    if (!m_pComposed || !m_bModified) return true;
    const int answer = platform::ui().MessageBox(
        "The map has changed since it was last saved.\nDo you want to save it first?", platform::kApplicationTitle,
        platform::MB_YESNOCANCEL | platform::MB_ICONQUESTION);
    if (answer == platform::IDYES) return OnSave();
    return answer == platform::IDNO;
}

void CMainFrame::open_files(const QStringList& paths) {
    hint_window::when_settled(this, [this, paths] {
        for (const QString& path : paths) {
            const QString suffix = QFileInfo(path).suffix().toLower();
            if (suffix == QLatin1String("kxr")) {
                open_file(path);
            } else if (suffix == QLatin1String("ktf")) {
                import_file(path);
            } else if (suffix == QLatin1String("shp") || suffix == QLatin1String("jpg") ||
                       suffix == QLatin1String("jpeg") || suffix == QLatin1String("bmp")) {
                if (may_add_layers()) add_layer_file(path);
            } else {
                platform::AfxMessageBox("Plotwright cannot open " + QFileInfo(path).fileName().toStdString() +
                                            ": it is no map document, text export, shapefile or picture.",
                                        platform::MB_ICONINFORMATION);
            }
        }
    });
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!local_files(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QStringList paths = local_files(event->mimeData());
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    // The program whose files were dragged waits until the drop returns: the files are
    // opened after it.
    QTimer::singleShot(0, this, [this, paths] { open_files(paths); });
}

QStringList CMainFrame::recent_files() const { return QSettings().value(kRecentKey).toStringList(); }

void CMainFrame::remember_file(const QString& path) {
    QStringList files = recent_files();
    const QString full = QFileInfo(path).absoluteFilePath();
    files.removeAll(full);
    files.prepend(full);
    while (files.size() > kRecentFiles) files.removeLast();
    QSettings().setValue(kRecentKey, files);
    update_recent_menu();
}

void CMainFrame::update_recent_menu() {
    m_pRecentMenu->clear();
    const QStringList files = recent_files();
    m_pRecentMenu->setEnabled(!files.isEmpty());
    for (int i = 0; i < files.size(); ++i) {
        QAction* a = m_pRecentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(files[i]).fileName()));
        a->setStatusTip(files[i]);
        connect(a, &QAction::triggered, this, [this, path = files[i]] { open_files({path}); });
    }
    if (files.isEmpty()) return;
    m_pRecentMenu->addSeparator();
    connect(m_pRecentMenu->addAction(QStringLiteral("Clear List")), &QAction::triggered, this, [this] {
        QSettings().remove(kRecentKey);
        update_recent_menu();
    });
}

}  // namespace app
