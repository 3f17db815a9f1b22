#include "shapes/sf_line.h"

#include "georef/transform.h"
#include "platform/device_context.h"
#include "platform/endian.h"
#include "platform/file_io.h"
#include "shapes/point_source.h"

using namespace platform::file_io;

namespace model {

namespace {

// Part starts must stand in order inside the points, or drawing would leave the array.
bool parts_are_sound(const std::vector<std::int32_t>& parts, std::uint32_t points) {
    std::int64_t previous = 0;
    for (std::int32_t start : parts) {
        if (start < previous || static_cast<std::int64_t>(start) > points) return false;
        previous = start;
    }
    return true;
}

}  // namespace

CSFLine::CSFLine(std::int32_t record, std::uint32_t parts, std::uint32_t points, const std::int32_t* part_starts,
                 const CSFPt* point_list)
    : m_nParts(parts), m_nPoints(points), m_pPoints(point_list, point_list + points),
      m_pParts(part_starts, part_starts + parts) {
    m_nRecord = record;
}

read_result CSFLine::ReadShp(platform::CFile& file) { return read_parts_record(file, true); }

read_result CSFLine::read_parts_record(platform::CFile& file, bool stretch_by_points) {
    using platform::endian::get_le_double;
    using platform::endian::get_le_i32;
    if (!read_record_header(file)) return read_failed;
    // The rest of the record after the shape type. It must be in the file: a record that
    // claims more than the file holds is unreadable.
    const std::int64_t content = 2 * std::int64_t{m_nContentLength} - 4;
    if (content < 0 || static_cast<std::uint64_t>(content) > bytes_left(file)) return read_failed;
    m_nParts = m_nPoints = 0;
    m_pParts.clear();
    m_pPoints.clear();
    if (is_null_record()) {
        file.Seek(content, platform::CFile::current);
        return read_ok;
    }
    if (content < 40) return read_failed;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(content));
    if (!read_exact(file, bytes.data(), bytes.size())) return read_failed;

    const std::uint8_t* p = bytes.data();
    m_rcBox = {get_le_double(p), get_le_double(p + 8), get_le_double(p + 16), get_le_double(p + 24)};
    const std::int32_t parts = get_le_i32(p + 32), points = get_le_i32(p + 36);
    // Counts beyond the record's own contents (or negative) describe no shape.
    if (parts < 0 || points < 0 || 40 + 4 * std::int64_t{parts} + 16 * std::int64_t{points} > content) return read_failed;
    m_pParts.resize(static_cast<std::size_t>(parts));
    p += 40;
    for (auto& start : m_pParts) start = get_le_i32(p), p += 4;
    if (!parts_are_sound(m_pParts, static_cast<std::uint32_t>(points))) {
        m_pParts.clear();
        return read_failed;
    }
    m_pPoints.resize(static_cast<std::size_t>(points));
    for (auto& pt : m_pPoints) {
        pt = {get_le_double(p), get_le_double(p + 8)};
        p += 16;
        if (stretch_by_points) m_rcBox.Stretch(pt);
    }
    m_nParts = static_cast<std::uint32_t>(parts);
    m_nPoints = static_cast<std::uint32_t>(points);
    return read_ok;
}

read_result CSFLine::Read(platform::CFile& file) {
    std::uint32_t parts = 0, points = 0;
    if (!read_i32(file, m_nRecord) || !read_u32(file, parts) || !read_u32(file, points)) return read_failed;
    // Never allocate more than the document still holds.
    if (4 * std::uint64_t{parts} + 16 * std::uint64_t{points} > bytes_left(file)) return read_failed;
    std::vector<std::uint8_t> bytes(4 * std::size_t{parts} + 16 * std::size_t{points});
    if (!read_exact(file, bytes.data(), bytes.size())) return read_failed;
    std::vector<std::int32_t> part_starts(parts);
    const std::uint8_t* p = bytes.data();
    for (auto& start : part_starts) start = platform::endian::get_le_i32(p), p += 4;
    if (!parts_are_sound(part_starts, points)) return read_failed;
    m_pPoints.resize(points);
    for (auto& pt : m_pPoints) {
        pt = {platform::endian::get_le_double(p), platform::endian::get_le_double(p + 8)};
        p += 16;
    }
    m_pParts = std::move(part_starts);
    m_nParts = parts;
    m_nPoints = points;
    return read_ok;
}

void CSFLine::Write(platform::CFile& file) const {
    std::vector<std::uint8_t> bytes(12 + 4 * std::size_t{m_nParts} + 16 * std::size_t{m_nPoints});
    std::uint8_t* p = bytes.data();
    platform::endian::put_le32(p, static_cast<std::uint32_t>(m_nRecord));
    platform::endian::put_le32(p + 4, m_nParts);
    platform::endian::put_le32(p + 8, m_nPoints);
    p += 12;
    for (std::int32_t start : m_pParts) platform::endian::put_le32(p, static_cast<std::uint32_t>(start)), p += 4;
    for (const CSFPt& pt : m_pPoints) {
        platform::endian::put_le_double(p, pt.X);
        platform::endian::put_le_double(p + 8, pt.Y);
        p += 16;
    }
    file.Write(bytes.data(), bytes.size());
}

void CSFLine::Draw(platform::CDC* dc, georef::CTransform* transform) {
    for (std::uint32_t k = 0; k < m_nParts; ++k) {
        const std::uint32_t end = part_end(k);
        for (std::uint32_t i = part_begin(k); i < end; ++i) {
            m_ptWork = m_pPoints[i];
            m_ptScreen = transform->GeoToScreen(m_ptWork.X, m_ptWork.Y);
            if (i == part_begin(k))
                dc->MoveTo(m_ptScreen.x, m_ptScreen.y);
            else
                dc->LineTo(m_ptScreen.x, m_ptScreen.y);
        }
    }
}

void CSFLine::SetFromObject(const point_source& source) {
    const int count = std::max(source.GetPointCount(), 0);
    m_nParts = 1;
    m_pParts.assign(1, 0);
    m_nPoints = static_cast<std::uint32_t>(count);
    m_pPoints.assign(static_cast<std::size_t>(count), CSFPt{});
    for (int i = 0; i < count; ++i) {
        double x = 0, y = 0;
        if (source.GetPoint(i, x, y) == 0) m_pPoints[static_cast<std::size_t>(i)] = {x, y};
    }
}

}  // namespace model
