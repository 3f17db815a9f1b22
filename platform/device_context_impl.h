#pragma once

// Inside of the device contexts; included only by platform's own .cpp files (and the
// Qt-facing painter context), never by the model.

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <memory>

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

    // The device: an image the context owns or wraps (bottom_up for packed bitmaps kept
    // bottom row first), or a painter someone else owns. None of them: draws nothing.
    QImage image;
    bool bottom_up = false;
    std::unique_ptr<QPainter> own_painter;
    QPainter* painter = nullptr;
    QRect device_bounds;
    bool printing = false;

    // Starts painting on image; device bounds become the image's.
    void attach_image();
    void attach_painter(QPainter* external, const QRect& bounds);
    void apply_transform();

    void use_pen();
    void use_brush();
    // Reads a device rectangle of the image as a top-down picture.
    QImage read_device(const QRect& rect) const;
};

QColor to_qcolor(COLORREF color);

}  // namespace platform
