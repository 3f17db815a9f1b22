#include "platform/image_dc.h"

#include "platform/device_context_impl.h"

namespace platform {

CImageDC::CImageDC(int width, int height, bool printing) {
    impl& s = state();
    s.image = QImage(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    s.printing = printing;
    if (s.image.isNull()) return;
    s.image.fill(Qt::white);
    s.attach_image();
}

int CImageDC::GetWidth() const { return state().image.width(); }

int CImageDC::GetHeight() const { return state().image.height(); }

COLORREF CImageDC::GetPixel(int x, int y) const {
    const CPoint d = LPtoDP(CPoint{x, y});
    const QImage& image = state().image;
    if (!image.valid(d.x, d.y)) return 0;
    const QRgb c = image.pixel(d.x, d.y);
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

bool CImageDC::SavePng(const std::string& path) const {
    // Finish what the painter holds before the pixels are read.
    impl& s = state();
    if (s.image.isNull()) return false;
    return s.image.save(QString::fromStdString(path), "PNG");
}

CBitsDC::CBitsDC(std::uint8_t* bits, int width, int height, std::size_t stride) {
    impl& s = state();
    if (!bits || width <= 0 || height <= 0) return;
    s.image = QImage(bits, width, height, static_cast<qsizetype>(stride), QImage::Format_BGR888);
    s.bottom_up = true;
    s.attach_image();
}

}  // namespace platform
