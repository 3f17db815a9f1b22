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

CBitsDC::CBitsDC(std::uint8_t* bits, int width, int height, std::size_t stride, bool start_black) {
    impl& s = state();
    if (!bits || width <= 0 || height <= 0 || stride < static_cast<std::size_t>(width) * 3) return;
    s.image = QImage(width, height, QImage::Format_RGB32);
    if (s.image.isNull()) return;
    m_pBits = bits;
    m_nStride = stride;
    if (start_black) {
        s.image.fill(Qt::black);
    } else {
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* from = bits + static_cast<std::size_t>(height - 1 - y) * stride;
            auto* to = reinterpret_cast<QRgb*>(s.image.scanLine(y));
            for (int x = 0; x < width; ++x, from += 3) to[x] = qRgb(from[2], from[1], from[0]);
        }
    }
    s.attach_image();
}

void CBitsDC::Flush() {
    const QImage& image = state().image;
    if (!m_pBits || image.isNull()) return;
    const int width = image.width(), height = image.height();
    for (int y = 0; y < height; ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* to = m_pBits + static_cast<std::size_t>(height - 1 - y) * m_nStride;
        for (int x = 0; x < width; ++x, to += 3) {
            to[0] = static_cast<std::uint8_t>(qBlue(from[x]));
            to[1] = static_cast<std::uint8_t>(qGreen(from[x]));
            to[2] = static_cast<std::uint8_t>(qRed(from[x]));
        }
    }
}

}  // namespace platform
