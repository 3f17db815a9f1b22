#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

#include "platform/color.h"

namespace model {
class CPicture;
}

namespace app {

inline QColor to_qcolor(platform::COLORREF c) {
    return QColor(platform::GetRValue(c), platform::GetGValue(c), platform::GetBValue(c));
}
inline platform::COLORREF to_colorref(const QColor& c) {
    return platform::RGB(static_cast<unsigned>(c.red()), static_cast<unsigned>(c.green()),
                         static_cast<unsigned>(c.blue()));
}

// The pictures of the program's own, drawn rather than shipped as files.
enum class tool_picture { open, save, add_layers, zoom_in, zoom_out, zoom_full, foothold_list, snap, rotate, close };
QIcon tool_icon(tool_picture picture);
// The two pictures of the layers list's check box column: 0 shown, 1 hidden (20 x 20).
QPixmap visibility_picture(int index);
// The check mark of the attribute list's Save and Draw cells (16 x 16).
QPixmap check_mark_picture();
// The program's icon, at the size asked.
QIcon application_icon();
// An icon picture of the icon folder (5-6-5 pixels, rows from the bottom up).
QPixmap picture_pixmap(const model::CPicture& picture);
QPixmap pixels_565_pixmap(const std::uint16_t* pixels, int width, int height);

}  // namespace app
