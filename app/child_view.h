#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPixmap>

#include "platform/geometry.h"

namespace model {
class CSFMap;
}

namespace app {

class CMainFrame;

// The window the maps are drawn in: the composed map, then the opened map over it, each
// whole into an off-screen painter that reaches the window in one step. Dragging with the
// left button pans vector maps; raster maps scroll pixel by pixel. The status bar follows
// the pointer; clicks on a raster layer place footholds; a pointer resting on a point of the
// active layer shows that point's attributes.
class CChildView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kHoverPeriod = 50;  // milliseconds

    explicit CChildView(CMainFrame* frame);

    // The scroll sizes for the maps shown: a raster layer's picture, else 100 x 100. The
    // frame calls it whenever it has made or loaded a map.
    void OnInitialUpdate();
    void redraw();
    // The scroll position: where the window's top-left corner is in a raster picture.
    QPoint scroll_position() const;
    QSize scroll_size() const { return m_szScroll; }
    // The client size given to the maps.
    QSize client_size() const;

    platform::CPoint last_mouse() const { return m_ptLastMouse; }
    // One tick of the hover timer, as the timer gives it.
    void hover_tick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void set_scroll_size(const QSize& size);
    // The map's picture takes the window's place in it; the scroll sizes follow its size.
    void follow_picture(model::CSFMap* map);
    void give_viewport();
    void show_drawing_warning();

    CMainFrame* m_pFrame;
    platform::CPoint m_ptLastMouse;
    QPoint m_ptLastCursor;
    QBasicTimer m_timer;
    QSize m_szScroll{100, 100};
    // The last picture drawn: shown again while long work owns the maps.
    QPixmap m_lastFrame;
    bool m_bViewportPending = false;
    bool m_bWarning = false;
};

}  // namespace app
