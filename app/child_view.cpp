#include "app/child_view.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include "app/long_work.h"
#include "app/main_frame.h"
#include "georef/transform.h"
#include "map/sf_map.h"
#include "nimbra/paint/w32_paint.h"
#include "platform/painter_dc.h"
#include "platform/ui_service.h"
#include "raster/layer_image.h"
#include "raster/layer_rre.h"

namespace app {

namespace {

platform::CPoint to_point(const QPoint& p) { return {p.x(), p.y()}; }

// The drag step of one map: its centre moves by the geographic distance the pointer went,
// backwards, so that the map follows the pointer.
void pan(model::CSFMap* map, const platform::CPoint& from, const platform::CPoint& to) {
    if (!map) return;
    georef::CTransform* t = map->get_transform();
    const georef::CPt2 before = t->ScreenToGeo(from);
    const georef::CPt2 after = t->ScreenToGeo(to);
    const georef::CPt2 centre = t->GetCentre();
    t->SetCentre(centre.x + (before.x - after.x), centre.y + (before.y - after.y), t->GetRotation());
    t->Update();
}

// The picture of a map's raster layer, drawn one to one and scrolled over: its size, empty
// without one. The view tells the layer which part of it is in the window.
QSize show_raster(model::CSFMap* map, const platform::CPoint& scroll, const platform::CRect& client) {
    model::CSFLayer* raster = map ? map->GetRasterLayer() : nullptr;
    if (auto* rre = dynamic_cast<model::CSFLayerRRE*>(raster)) {
        rre->SetView(scroll, client);
        const platform::CSize size = rre->get_picture_size();
        return {size.cx, size.cy};
    }
    // The picture of an older document: shown the same way, though it takes no footholds.
    if (auto* image = dynamic_cast<model::CSFLayerImage*>(raster)) {
        image->SetView(scroll, client);
        return {static_cast<int>(image->m_nImageWidth), static_cast<int>(image->m_nImageHeight)};
    }
    return {};
}

}  // namespace

CChildView::CChildView(CMainFrame* frame) : QAbstractScrollArea(frame), m_pFrame(frame) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    viewport()->setMouseTracking(true);
    // The paint covers the whole window: nothing is erased before it.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    set_scroll_size(m_szScroll);
}

QPoint CChildView::scroll_position() const { return {horizontalScrollBar()->value(), verticalScrollBar()->value()}; }

QSize CChildView::client_size() const { return viewport()->size(); }

void CChildView::redraw() { viewport()->update(); }

void CChildView::set_scroll_size(const QSize& size) {
    m_szScroll = size;
    const QSize client = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, size.width() - client.width()));
    verticalScrollBar()->setRange(0, std::max(0, size.height() - client.height()));
    horizontalScrollBar()->setPageStep(client.width());
    verticalScrollBar()->setPageStep(client.height());
    horizontalScrollBar()->setSingleStep(16);
    verticalScrollBar()->setSingleStep(16);
}

void CChildView::OnInitialUpdate() {
    const platform::CRect client{0, 0, viewport()->width(), viewport()->height()};
    QSize size(100, 100);
    if (QSize picture = show_raster(m_pFrame->composed_map(), {0, 0}, client); !picture.isEmpty()) size = picture;
    if (QSize picture = show_raster(m_pFrame->opened_map(), {0, 0}, client); !picture.isEmpty()) size = picture;
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    set_scroll_size(size);
    redraw();
}

void CChildView::follow_picture(model::CSFMap* map) {
    const QPoint scroll = scroll_position();
    const QSize picture = show_raster(map, {scroll.x(), scroll.y()}, {0, 0, viewport()->width(), viewport()->height()});
    if (!picture.isEmpty() && picture != m_szScroll) set_scroll_size(picture);
}

void CChildView::paintEvent(QPaintEvent*) {
    QPainter window(viewport());
    if (long_work::is_running()) {
        // The maps belong to the work: the window shows what it showed before.
        window.fillRect(viewport()->rect(), palette().color(QPalette::Base));
        window.drawPixmap(0, 0, m_lastFrame);
        return;
    }
    if (m_bViewportPending) give_viewport();
    QPixmap frame(viewport()->size());
    frame.fill(palette().color(QPalette::Base));
    bool failed = false;
    {
        QPainter painter(&frame);
        platform::CPainterDC dc(&painter, QRect(QPoint(0, 0), frame.size()));
        const QPoint scroll = scroll_position();
        dc.SetViewportOrg(-scroll.x(), -scroll.y());
        try {
            tarvel_tech::nimbra::w32_paint paint(&dc, nullptr, tarvel_tech::nimbra::paint::fill_background);
            if (model::CSFMap* map = m_pFrame->composed_map()) {
                follow_picture(map);
                map->DrawLayers(&paint);
            }
            if (model::CSFMap* map = m_pFrame->opened_map()) {
                follow_picture(map);
                map->DrawLayersGrid(&paint);
            }
        } catch (const std::exception&) {
            failed = true;
        }
    }
    window.drawPixmap(0, 0, frame);
    m_lastFrame = frame;
    if (failed) show_drawing_warning();
}

// A message box cannot open inside a paint; it opens right after, one at a time, and the next
// paint tries again.
void CChildView::show_drawing_warning() {
    if (m_bWarning) return;
    m_bWarning = true;
    QTimer::singleShot(0, this, [this] {
        platform::AfxMessageBox("warning");
        m_bWarning = false;
    });
}

void CChildView::give_viewport() {
    m_bViewportPending = false;
    const QSize client = viewport()->size();
    if (model::CSFMap* map = m_pFrame->opened_map()) map->SetViewport(client.width(), client.height());
    if (model::CSFMap* map = m_pFrame->composed_map()) map->SetViewport(client.width(), client.height());
}

void CChildView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    set_scroll_size(m_szScroll);
    m_bViewportPending = true;
    if (!long_work::is_running()) give_viewport();
}

void CChildView::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    if (!m_timer.isActive()) m_timer.start(kHoverPeriod, this);
}

void CChildView::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_timer.timerId()) hover_tick();
    else QAbstractScrollArea::timerEvent(event);
}

void CChildView::hover_tick() {
    const QPoint cursor = QCursor::pos();
    model::CSFMap* map = m_pFrame->composed_map();
    // No hint while the maps belong to long work, or while a menu or a dialog is open.
    const bool quiet = long_work::is_running() || QApplication::activePopupWidget() || QApplication::activeModalWidget();
    if (!quiet && map && !m_pFrame->opened_map() && map->GetSelectedLayer() >= 0 && cursor == m_ptLastCursor) {
        const QPoint client = viewport()->mapFromGlobal(cursor);
        const QRect r = viewport()->rect();
        // The layer finds its point by the position in the window, where it drew it, and
        // the hint goes beside it.
        if (r.left() < client.x() && client.x() < r.right() + 1 && r.top() < client.y() && client.y() < r.bottom() + 1) {
            // The hint runs a loop of its own until a later tick ends it; a timer never
            // fires again while its own handler runs, so the hint is shown from a call of
            // its own.
            QMetaObject::invokeMethod(
                this,
                [this, screen = to_point(cursor), mouse = to_point(client)] {
                    if (model::CSFMap* now = m_pFrame->composed_map(); now && !m_pFrame->opened_map())
                        now->ShowHintAt(screen, mouse, 0);
                },
                Qt::QueuedConnection);
        }
    }
    m_ptLastCursor = cursor;
}

void CChildView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        // A click on the composed map's picture places a foothold at that pixel, or picks
        // the one there, and asks for its coordinates.
        if (model::CSFLayerRRE* rre = m_pFrame->composed_rre(); rre && rre->IsVisible()) {
            if (rre->AddFootHold(to_point(at + scroll_position())) >= 0) m_pFrame->set_modified(true);
            redraw();
        }
        m_ptLastMouse = to_point(at);
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CChildView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->buttons() == Qt::LeftButton && event->modifiers() == Qt::NoModifier && m_ptLastMouse.x >= 1 &&
        m_ptLastMouse.y >= 1) {
        pan(m_pFrame->composed_map(), m_ptLastMouse, to_point(at));
        pan(m_pFrame->opened_map(), m_ptLastMouse, to_point(at));
        redraw();
    }
    // Every move counts, so that only the first step after a press on the window's edge is
    // lost.
    m_ptLastMouse = to_point(at);

    const platform::CPoint plane = to_point(at + scroll_position());
    model::CSFMap* opened = m_pFrame->opened_map();
    model::CSFMap* composed = m_pFrame->composed_map();
    model::CSFPt geo;
    if (opened) geo = opened->ScreenToGeo(plane);
    if (composed) geo = composed->ScreenToGeo(plane);
    if (opened || composed) {
        m_pFrame->SetCoordinates(geo.Y > 0, geo.X > 0, geo, true);
        m_pFrame->SetXY(plane, true);
    }
    QAbstractScrollArea::mouseMoveEvent(event);
}

void CChildView::scrollContentsBy(int, int) { redraw(); }

}  // namespace app
