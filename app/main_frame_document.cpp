// The commands of map documents and text exports: Open, Import, Save.

#include <QFile>
#include <QFileInfo>

#include "app/child_view.h"
#include "app/hint_window.h"
#include "app/list_layers.h"
#include "app/long_work.h"
#include "app/main_frame.h"
#include "app/operator_choices.h"
#include "map/sf_map.h"
#include "platform/ui_service.h"

namespace app {

namespace {

std::string file_system_path(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The message of a load that did not succeed; none for success. (7, the version message,
// is one no reader answers.)
const char* load_failure(unsigned result) {
    switch (result) {
        case model::map_loaded: return nullptr;
        case model::not_kxr: return "The flie is not kxr format.";
        case 7: return "The vesion incorrect.";
        case model::format_unknown: return "File format is incorrect.";
        default: return "Can't load the map.";
    }
}

}  // namespace

void CMainFrame::OnOpen() {
    hint_window::when_settled(this, [this] {
        const QString path = choices().open_file(this, QStringLiteral("KXR file (*.kxr)"));
        if (!path.isEmpty()) open_file(path);
    });
}

void CMainFrame::OnImportKTF() {
    hint_window::when_settled(this, [this] {
        const QString path = choices().open_file(this, QStringLiteral("KTF file (*.ktf)"));
        if (!path.isEmpty()) import_file(path);
    });
}

void CMainFrame::open_file(const QString& path) {
    if (!may_discard_composed()) return;
    delete_composed();
    delete_opened();
    m_pOpened = std::make_unique<model::CSFMap>();
    m_pListLayers->Reset();
    m_pListLayers->SetMap(m_pOpened.get());
    set_document_name(QFileInfo(path).fileName());
    load_into(m_pOpened.get(), path, QStringLiteral("Opening "));
}

void CMainFrame::import_file(const QString& path) {
    if (!may_discard_composed()) return;
    delete_composed();
    new_composed();
    set_document_name(QFileInfo(path).fileName());
    load_into(m_pComposed.get(), path, QStringLiteral("Importing "));
}

void CMainFrame::load_into(model::CSFMap* map, const QString& path, const QString& work) {
    const unsigned result = long_work::run_or(this, work + QFileInfo(path).fileName(),
                                              static_cast<unsigned>(model::document_unreadable),
                                              [&] { return static_cast<unsigned>(map->Load(file_system_path(path), &m_dcIcons)); });
    if (const char* failure = load_failure(result)) {
        platform::AfxMessageBox(failure, platform::MB_ICONINFORMATION);
    } else {
        show_map(map);
        m_pListLayers->AddAllRows();
        remember_file(path);
    }
    m_pView->OnInitialUpdate();
    m_pView->redraw();
}

bool CMainFrame::save_to(const QString& path) {
    model::CSFMap* map = m_pComposed.get();
    std::string cause;
    const auto result = long_work::run_or(this, QStringLiteral("Saving ") + QFileInfo(path).fileName(),
                                          model::map_not_saved, [&] {
                                              map->RegridLayers(10, 10);
                                              return map->Save(file_system_path(path), &cause);
                                          });
    // A save that fails says so, and why: a map the operator believes saved is a map lost.
    if (result != model::map_saved) {
        platform::AfxMessageBox(cause.empty() ? "Can't save the map." : "Can't save the map.\n" + cause,
                                platform::MB_ICONEXCLAMATION);
        return false;
    }
    set_modified(false);
    set_document_name(QFileInfo(path).fileName());
    remember_file(path);
    return true;
}

}  // namespace app
