// The commands of the composed map's picture: its footholds, snapping, the RRE export.

#include <QFile>
#include <QFileInfo>

#include "app/child_view.h"
#include "app/long_work.h"
#include "app/main_frame.h"
#include "app/operator_choices.h"
#include "georef/dlg_points_list.h"
#include "georef/tr_rss.h"
#include "map/sf_map.h"
#include "platform/ui_service.h"
#include "raster/frame_source.h"
#include "raster/layer_rre.h"
#include "raster/rre_export.h"

namespace app {

model::CSFLayerRRE* CMainFrame::composed_rre() const {
    return m_pComposed ? dynamic_cast<model::CSFLayerRRE*>(m_pComposed->GetRasterLayer()) : nullptr;
}

void CMainFrame::OnFootholdList() {
    model::CSFLayerRRE* rre = composed_rre();
    if (!rre) return;
    // The residuals need a fitted transformation; before the first snap there is none.
    const georef::CTrRSS* snap = m_pComposed->get_snap_transform();
    georef::CDlgPointsList list(rre->GetFootHolds(), snap->IsValid() ? snap : nullptr);
    list.DoModal();
    set_modified(true);
    m_pView->redraw();
}

void CMainFrame::OnSnap() {
    model::CSFLayerRRE* rre = composed_rre();
    if (!rre) return;
    if (rre->Snap()) set_modified(true);
    m_pView->redraw();
}

void CMainFrame::OnExportRRE() {
    if (!m_pComposed || !m_pComposed->GetRasterLayer()) return;
    if (!m_pComposed->get_snap_transform()->IsValid()) {
        platform::AfxMessageBox(model::kMsgSnapBeforeExport, platform::MB_ICONINFORMATION);
        return;
    }
    const QString path = choices().save_file(this, QStringLiteral("RRE files (*.rre)"), QStringLiteral("rre"));
    if (path.isEmpty()) return;
    model::CSFMap* map = m_pComposed.get();
    std::string cause;
    const bool exported = long_work::run_or(this, QStringLiteral("Exporting ") + QFileInfo(path).fileName(), false, [&] {
        return model::export_raster_layer(*map, QFile::encodeName(path).toStdString(),
                                          model::picture_frames::kDefaultQuality, &cause);
    });
    if (!exported && !cause.empty())
        platform::AfxMessageBox("Can't export the layer.\n" + cause, platform::MB_ICONEXCLAMATION);
}

}  // namespace app
