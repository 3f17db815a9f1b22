#include "app/pictures.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <functional>

#include "shapes/picture.h"

namespace app {

namespace {

const QColor kInk(40, 48, 60);
const QColor kPin(200, 40, 40);
const QColor kPaper(250, 248, 240);
const QColor kWater(70, 120, 190);

using drawing = std::function<void(QPainter&)>;

// Every picture is drawn on a 32 x 32 grid and rendered at the sizes toolbars and menus ask.
QIcon rendered(const drawing& draw) {
    QIcon icon;
    for (int size : {16, 20, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void magnifier(QPainter& p, const char sign) {
    p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(QColor(225, 238, 250));
    p.drawEllipse(QPointF(13, 13), 9, 9);
    p.drawLine(QPointF(20, 20), QPointF(29, 29));
    p.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap));
    if (sign == '+' || sign == '-') p.drawLine(QPointF(8.5, 13), QPointF(17.5, 13));
    if (sign == '+') p.drawLine(QPointF(13, 8.5), QPointF(13, 17.5));
    if (sign == 'f') {
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(9, 9, 8, 8));
    }
}

void pin(QPainter& p, QPointF tip, double scale) {
    QPainterPath path;
    path.moveTo(tip);
    path.cubicTo(tip + QPointF(-7, -8) * scale, tip + QPointF(-7, -16) * scale, tip + QPointF(0, -16) * scale);
    path.cubicTo(tip + QPointF(7, -16) * scale, tip + QPointF(7, -8) * scale, tip);
    p.setPen(QPen(kPin.darker(140), 1.2));
    p.setBrush(kPin);
    p.drawPath(path);
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    p.drawEllipse(tip + QPointF(0, -11) * scale, 2.6 * scale, 2.6 * scale);
}

void layers(QPainter& p) {
    for (int i = 2; i >= 0; --i) {
        const double y = 10 + i * 6;
        const QPolygonF sheet({QPointF(3, y), QPointF(14, y - 6), QPointF(25, y), QPointF(14, y + 6)});
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(i == 0 ? QColor(140, 180, 210) : i == 1 ? QColor(210, 180, 140) : QColor(170, 200, 140));
        p.drawPolygon(sheet);
    }
}

void folded_map(QPainter& p) {
    const QPolygonF panels[3] = {
        QPolygonF({QPointF(3, 7), QPointF(12, 4), QPointF(12, 26), QPointF(3, 29)}),
        QPolygonF({QPointF(12, 4), QPointF(20, 7), QPointF(20, 29), QPointF(12, 26)}),
        QPolygonF({QPointF(20, 7), QPointF(29, 4), QPointF(29, 26), QPointF(20, 29)}),
    };
    const QColor shades[3] = {QColor(236, 226, 196), QColor(214, 202, 168), QColor(236, 226, 196)};
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(kInk, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(shades[i]);
        p.drawPolygon(panels[i]);
    }
    QPainterPath river;
    river.moveTo(3, 22);
    river.cubicTo(9, 17, 14, 24, 20, 18);
    river.cubicTo(24, 14, 27, 17, 29, 14);
    p.setPen(QPen(kWater, 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(river);
}

void draw_picture(QPainter& p, tool_picture picture) {
    switch (picture) {
        case tool_picture::open: {
            p.setPen(QPen(kInk, 1.5));
            p.setBrush(QColor(230, 190, 90));
            p.drawPolygon(QPolygonF({QPointF(3, 8), QPointF(11, 8), QPointF(14, 11), QPointF(27, 11), QPointF(27, 26),
                                     QPointF(3, 26)}));
            p.setBrush(QColor(245, 210, 120));
            p.drawPolygon(QPolygonF({QPointF(7, 15), QPointF(31, 15), QPointF(27, 26), QPointF(3, 26)}));
            break;
        }
        case tool_picture::save: {
            p.setPen(QPen(kInk, 1.5));
            p.setBrush(QColor(70, 110, 170));
            p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
            p.setBrush(kPaper);
            p.drawRect(QRectF(8, 4, 16, 10));
            p.setBrush(QColor(200, 205, 215));
            p.drawRect(QRectF(10, 19, 12, 9));
            break;
        }
        case tool_picture::add_layers:
            layers(p);
            p.setPen(QPen(QColor(30, 140, 60), 3.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(25, 18), QPointF(25, 30));
            p.drawLine(QPointF(19, 24), QPointF(31, 24));
            break;
        case tool_picture::zoom_in: magnifier(p, '+'); break;
        case tool_picture::zoom_out: magnifier(p, '-'); break;
        case tool_picture::zoom_full: magnifier(p, 'f'); break;
        case tool_picture::foothold_list:
            p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
            for (int i = 0; i < 4; ++i) p.drawLine(QPointF(4, 8 + 6 * i), QPointF(18, 8 + 6 * i));
            pin(p, QPointF(24, 28), 1.0);
            break;
        case tool_picture::snap: {
            p.setPen(QPen(QColor(150, 160, 175), 1));
            for (int i = 4; i <= 28; i += 6) {
                p.drawLine(QPointF(i, 3), QPointF(i, 29));
                p.drawLine(QPointF(3, i), QPointF(29, i));
            }
            p.setPen(QPen(kPin, 2.5));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(16, 16), 7, 7);
            p.drawLine(QPointF(16, 4), QPointF(16, 28));
            p.drawLine(QPointF(4, 16), QPointF(28, 16));
            break;
        }
        case tool_picture::rotate: {
            p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(6, 6, 20, 20), 90 * 16, 270 * 16);
            p.setPen(Qt::NoPen);
            p.setBrush(kInk);
            p.drawPolygon(QPolygonF({QPointF(16, 1), QPointF(23, 6), QPointF(16, 11)}));
            break;
        }
        case tool_picture::close:
            p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(8, 8), QPointF(24, 24));
            p.drawLine(QPointF(24, 8), QPointF(8, 24));
            break;
    }
}

}  // namespace

QIcon tool_icon(tool_picture picture) {
    return rendered([picture](QPainter& p) { draw_picture(p, picture); });
}

QPixmap visibility_picture(int index) {
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 96, 110), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(3.5, 3.5, 13, 13), 2, 2);
    if (index == 0) {
        p.setPen(QPen(QColor(30, 120, 50), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(6, 10), QPointF(9, 13.5), QPointF(14.5, 6.5)}));
    }
    return pixmap;
}

QPixmap check_mark_picture() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 120, 50), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
    return pixmap;
}

QIcon application_icon() {
    return rendered([](QPainter& p) {
        folded_map(p);
        pin(p, QPointF(21, 20), 0.9);
    });
}

QPixmap pixels_565_pixmap(const std::uint16_t* pixels, int width, int height) {
    if (!pixels || width <= 0 || height <= 0) return {};
    QImage image(width, height, QImage::Format_RGB16);
    // Bottom-up rows into a top-down picture; Qt's RGB16 is the same 5-6-5 layout.
    for (int y = 0; y < height; ++y) {
        const std::uint16_t* row = pixels + static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(width);
        std::copy(row, row + width, reinterpret_cast<std::uint16_t*>(image.scanLine(y)));
    }
    return QPixmap::fromImage(image);
}

QPixmap picture_pixmap(const model::CPicture& picture) {
    return pixels_565_pixmap(picture.get_pixels(), static_cast<int>(picture.get_width()),
                             static_cast<int>(picture.get_height()));
}

}  // namespace app
