#include "shapes/sf_point.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "georef/transform.h"
#include "platform/device_context.h"
#include "platform/file_io.h"
#include "shapes/picture.h"
#include "shapes/point_source.h"

using namespace platform::file_io;

namespace model {

namespace {

// A screen coordinate moved by a few pixels, held within the integer range: a point far off
// the screen of a deep zoom lies at the range's edge.
int shifted(int v, int by) {
    return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{v} + by, INT_MIN, INT_MAX));
}

}  // namespace

read_result CSFPoint::Read(platform::CFile& file) {
    return read_i32(file, m_nRecord) && read_double(file, m_pt.X) && read_double(file, m_pt.Y) ? read_ok : read_failed;
}

void CSFPoint::Write(platform::CFile& file) const {
    write_i32(file, m_nRecord);
    write_double(file, m_pt.X);
    write_double(file, m_pt.Y);
}

read_result CSFPoint::ReadShp(platform::CFile& file) {
    if (!read_record_header(file)) return read_failed;
    if (!read_double(file, m_pt.X) || !read_double(file, m_pt.Y)) return read_failed;
    m_rcBox.Stretch(m_pt);
    // Contents beyond the shape type and the two coordinates (a measure, say) are skipped.
    const std::int64_t surplus = 2 * std::int64_t{m_nContentLength} - 20;
    if (surplus < 0) return read_failed;
    if (surplus > 0) file.Seek(surplus, platform::CFile::current);
    return read_ok;
}

void CSFPoint::DrawPoint(platform::CDC* dc, georef::CTransform* transform, CPicture* icon,
                         const std::vector<std::uint8_t>* labels) {
    m_ptScreen = transform->GeoToScreen(m_pt.X, m_pt.Y);
    const int x = m_ptScreen.x, y = m_ptScreen.y;
    int offset;
    if (icon) {
        icon->draw(dc, x, y);
        offset = label_offset_icon;
    } else {
        dc->Ellipse(shifted(x, -circle_radius), shifted(y, -circle_radius), shifted(x, circle_radius),
                    shifted(y, circle_radius));
        offset = label_offset_circle;
    }
    if (!labels) return;
    for (std::size_t i = 0; i < labels->size(); ++i) {
        if (!(*labels)[i] || i >= m_aAttributes.size()) continue;
        // No value draws nothing.
        const std::u16string text = m_aAttributes[i].label_text();
        if (!text.empty()) dc->TextOut(shifted(x, offset), shifted(y, offset), text);
    }
}

bool CSFPoint::HitTest(georef::CTransform* transform, platform::CPoint mouse) {
    m_ptScreen = transform->GeoToScreen(m_pt.X, m_pt.Y);
    const std::int64_t x = m_ptScreen.x, y = m_ptScreen.y;
    return x < mouse.x && mouse.x < x + icon_size && y < mouse.y && mouse.y < y + icon_size;
}

void CSFPoint::SetFromObject(const point_source& source) {
    double x = 0, y = 0;
    if (source.GetPoint(0, x, y) == 0) m_pt = {x, y};
}

}  // namespace model
