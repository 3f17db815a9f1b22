#pragma once

// For the desktop program only: a device context over a painter the program owns, such as
// the one of a widget's paint event or of a printer. Shows Qt types, unlike the rest.

#include <QPainter>
#include <QRect>

#include "platform/device_context.h"

namespace platform {

class CPainterDC : public CDC {
public:
    // bounds: the device area that may be drawn (the clip box). While the context is in use,
    // the painter's pen and brush are its to set: it remembers what it last gave them.
    CPainterDC(QPainter* painter, const QRect& bounds, bool printing = false);
};

}  // namespace platform
