#include "app/plotwright_app.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "platform/settings.h"
#include "platform/ui_service.h"

namespace app {

namespace {

// Whether the program's settings exist and may be written: the key the icon folder is kept
// under can be opened.
bool settings_open() {
    QSettings settings(QStringLiteral("Tarvel technology"), QStringLiteral("Orvella"));
    return settings.status() == QSettings::NoError && QFileInfo::exists(settings.fileName()) && settings.isWritable();
}

}  // namespace

std::string CPlotwrightApp::default_icon_folder(const std::string& programFolder) {
    const QDir program(QString::fromStdString(programFolder));
    const QString beside = program.filePath(QStringLiteral("Icons"));
    const QString installed = QDir::cleanPath(program.filePath(QStringLiteral("../share/plotwright/Icons")));
    if (!QFileInfo(beside).isDir() && QFileInfo(installed).isDir()) return installed.toStdString();
    return beside.toStdString();
}

void CPlotwrightApp::InitInstance(const std::string& programFolder) {
    if (!settings_open()) {
        platform::AfxMessageBox(kNoSettings, platform::MB_ICONSTOP);
        m_strPathIcons = default_icon_folder(programFolder);
        platform::settings::set_path_icons(m_strPathIcons);
        return;
    }
    m_strPathIcons = platform::settings::path_icons();
    if (m_strPathIcons.empty()) {
        platform::AfxMessageBox(kNoPathIcons, platform::MB_ICONSTOP);
        m_strPathIcons = default_icon_folder(programFolder);
        platform::settings::set_path_icons(m_strPathIcons);
    }
}

}  // namespace app
