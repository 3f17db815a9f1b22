#pragma once

// Inside of the device contexts; included only by platform's own .cpp files (and the
// Qt-facing painter context), never by the model.

#include <QBrush>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <memory>
#include <optional>
#include <vector>

#include "platform/device_context.h"

namespace platform {

struct CDC::impl {
    CPen default_pen{PS_SOLID, 1, RGB(0, 0, 0)};
    CBrush default_brush{RGB(255, 255, 255)};
    CFont default_font{-13, 400, "DejaVu Sans"};
    CPen* pen = &default_pen;
    CBrush* brush = &default_brush;
    CFont* font = &default_font;

    COLORREF text_color = RGB(0, 0, 0);
    COLORREF bk_color = RGB(255, 255, 255);
    int bk_mode = OPAQUE;
    unsigned text_align = TA_LEFT | TA_TOP;
    int fill_mode = ALTERNATE;
    CPoint position;
    CPoint window_org;
    CPoint viewport_org;

    bool in_path = false;
    bool path_ready = false;
    QPainterPath path;

    // The device: an image the context owns, or a painter someone else owns. Neither:
    // draws nothing.
    QImage image;
    std::unique_ptr<QPainter> own_painter;
    QPainter* painter = nullptr;
    QRect device_bounds;
    bool printing = false;

    // What the painter holds, so that a run of lines in one pen does not set it again and
    // again. Anything that sets the painter's pen or brush otherwise forgets them.
    bool pen_applied = false;
    CPen applied_pen{PS_SOLID, 0, 0};
    bool brush_applied = false;
    CBrush applied_brush{0};
    // The last font asked for and its Qt form; looking a font up is costly.
    std::optional<CFont> font_key;
    QFont qfont;
    std::optional<QFontMetrics> metrics;
    // Reused for every polygon and fill, so that drawing one allocates nothing.
    std::vector<QPoint> points;
    bool solid_set = false;
    COLORREF solid_color = 0;
    QBrush solid_brush;

    // Starts painting on image; device bounds become the image's.
    void attach_image();
    void attach_painter(QPainter* external, const QRect& bounds);
    void apply_transform();

    void use_pen();
    void use_brush();
    void forget_pen_and_brush() { pen_applied = brush_applied = false; }
    // A solid brush of the colour for filling paths.
    const QBrush& solid(COLORREF color);
    // The selected font in Qt's terms, with its metrics.
    const QFont& use_font();
};

QColor to_qcolor(COLORREF color);

}  // namespace platform
