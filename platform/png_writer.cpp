#include "platform/png_writer.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cstring>

namespace platform {

bool encode_png(const std::uint8_t* rows, int width, int height, std::size_t stride, std::vector<std::uint8_t>& png) {
    png.clear();
    if (!rows || width <= 0 || height <= 0 || stride < static_cast<std::size_t>(width) * 3) return false;
    QImage image(width, height, QImage::Format_BGR888);
    if (image.isNull()) return false;
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), rows + static_cast<std::size_t>(height - 1 - y) * stride,
                    static_cast<std::size_t>(width) * 3);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return false;
    png.assign(bytes.begin(), bytes.end());
    return true;
}

}  // namespace platform
