#include "platform/painter_dc.h"

#include "platform/device_context_impl.h"

namespace platform {

CPainterDC::CPainterDC(QPainter* painter, const QRect& bounds, bool printing) {
    impl& s = state();
    s.printing = printing;
    if (painter) s.attach_painter(painter, bounds);
}

}  // namespace platform
