#include "map/sf_layer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "georef/transform.h"
#include "map/progress_indicator.h"
#include "map/sf_map.h"
#include "platform/code_page.h"
#include "platform/file.h"
#include "platform/file_io.h"
#include "shapes/cell_grid.h"
#include "shapes/sf_shape.h"

using namespace platform::file_io;

namespace model {

namespace {

constexpr double cell_step = 0.0001;
constexpr std::size_t name_field = 20;

// Whole steps of 0.0001 that cover the extent, one more than fit inside it.
double cell_size(double extent, std::uint32_t count) {
    const double steps = extent / (count * cell_step);
    double whole = 0.0;
    if (std::isfinite(steps)) whole = std::trunc(std::clamp(steps, -1e15, 1e15));
    return (whole + 1.0) * cell_step;
}

}  // namespace

CSFLayer::CSFLayer(std::uint32_t kind, CSFMap* map) : m_nKind(kind), m_pMap(map) {}

CSFLayer::~CSFLayer() = default;

read_result CSFLayer::OpenAttributes(const std::string&) { return read_ok; }
read_result CSFLayer::ReadAttributes(platform::CFile&) { return read_ok; }
void CSFLayer::WriteAttributes(platform::CFile&) {}
int CSFLayer::ShowHint(platform::CPoint, platform::CPoint, int) { return 0; }
int CSFLayer::ImportRaster(const std::string&, const std::string&) { return 0; }
CSFShape* CSFLayer::GetShape(std::uint32_t) { return nullptr; }
regrid_result CSFLayer::Regrid(std::uint32_t, std::uint32_t) { return regrid_done; }
read_result CSFLayer::ReadLinePayload(platform::CFile&) { return read_ok; }
void CSFLayer::WriteLinePayload(platform::CFile&) {}
regrid_result CSFLayer::FillGrid(std::uint32_t, std::uint32_t) { return regrid_done; }
CPicture* CSFLayer::GetIcon(std::uint32_t) const { return nullptr; }
read_result CSFLayer::ReadIcons(platform::CFile&, platform::CDC*) { return read_failed; }
void CSFLayer::SetFromKTFLayer(const ktf_layer_source&) {}
const georef::CTrRSS* CSFLayer::get_snap_copy() const { return nullptr; }

georef::CTransform* CSFLayer::display_transform() const {
    return dynamic_cast<georef::CTransform*>(m_pTransform);
}

void CSFLayer::set_grid(std::uint32_t columns, std::uint32_t rows) {
    m_nGridCols = columns;
    m_nGridRows = rows;
    m_nCellCount = columns * rows;
}

int CSFLayer::CountRecords(platform::CFile& file) {
    // Records are walked by their stated lengths; the walk never leaves the file.
    const std::uint64_t length = file.GetLength();
    std::uint64_t position = file.Seek(100, platform::CFile::begin);
    while (position < length) {
        std::int32_t number = 0, content = 0;
        if (!read_be_i32(file, number) || !read_be_i32(file, content)) break;
        ++m_nShapes;
        position += 8 + 2 * std::uint64_t(std::uint32_t(content));
        if (content < 0 || position >= length) break;
        file.Seek(static_cast<std::int64_t>(position), platform::CFile::begin);
    }
    return 0;
}

void CSFLayer::start_records(platform::CFile& file) {
    // File names are UTF-8 here; the layer keeps its name in the system's 8-bit set.
    const std::u16string name = platform::utf8_to_utf16(file.GetFileName());
    m_strName = platform::to_system_code_page(name.size() > 4 ? name.substr(0, name.size() - 4) : std::u16string());
    m_strPath = file.GetFilePath();
    file.Seek(100, platform::CFile::begin);
}

read_shapes_result CSFLayer::read_record(platform::CFile& file, CSFShape& shape) {
    if (shape.ReadShp(file) == read_failed) return shape_unreadable;
    // A record without a shape has no place to widen the bounds to.
    if (!shape.is_null_record()) m_rcBounds.Union(shape.m_rcBox);
    return shapes_read;
}

read_shapes_result CSFLayer::ReadShapes(platform::CFile& file) {
    start_records(file);
    for (std::uint32_t i = 0; i < m_nShapes; ++i) {
        CSFShape* shape = GetShape(i);
        if (shape && read_record(file, *shape) != shapes_read) return shape_unreadable;
    }
    return shapes_read;
}

void CSFLayer::write_base_fields(platform::CFile& file) {
    m_header.m_nShapeType = static_cast<std::int32_t>(m_nKind);
    write_u32(file, m_nKind);
    char name[name_field] = {};
    m_strName.copy(name, name_field);
    file.Write(name, name_field);
    m_rcBounds.write(file);
    write_u32(file, m_crContour);
    write_u32(file, m_crFill);
    write_u32(file, m_nGridShapes);
    write_u32(file, m_nGridCols);
    write_u32(file, m_nGridRows);
    m_nCellCount = m_nGridCols * m_nGridRows;
}

void CSFLayer::WriteDocument(platform::CFile& file) { write_base_fields(file); }

read_result CSFLayer::read_base_fields(platform::CFile& file) {
    char name[name_field];
    if (!read_exact(file, name, name_field)) return read_failed;
    std::size_t length = 0;
    while (length < name_field && name[length] != 0) ++length;
    m_strName.assign(name, length);
    if (!m_rcBounds.read(file) || !read_u32(file, m_crContour)) return read_failed;
    const std::uint32_t version = m_pMap ? m_pMap->GetVersion() : 5;
    if (version >= 3 && !read_u32(file, m_crFill)) return read_failed;
    if (version == 3) {
        std::uint8_t skipped;
        if (!read_exact(file, &skipped, 1)) return read_failed;
    }
    std::uint32_t columns = 0, rows = 0;
    if (!read_u32(file, m_nShapes) || !read_u32(file, columns) || !read_u32(file, rows)) return read_failed;
    // The count is what the grid holds, as the last cutting recorded it; kept as that too, so
    // that the layer is written again as it was read.
    m_nGridShapes = m_nShapes;
    // Each cell takes at least its 40-byte header in the document: a grid larger than the
    // rest of the file is not a grid of this document.
    if (std::uint64_t{columns} * rows > bytes_left(file) / 40) return read_failed;
    set_grid(columns, rows);
    m_pCells.clear();
    m_pCells.resize(m_nCellCount);
    return read_ok;
}

read_result CSFLayer::ReadDocument(platform::CFile& file) { return read_base_fields(file); }

void CSFLayer::DrawShapes(platform::CDC* dc) {
    georef::CTransform* transform = display_transform();
    if (!transform) return;
    platform::CPen pen(platform::PS_SOLID, 1, m_crContour);
    platform::CBrush brush(m_crFill);
    platform::CPen* old_pen = dc->SelectObject(&pen);
    platform::CBrush* old_brush = dc->SelectObject(&brush);
    for (std::uint32_t i = 0; i < m_nShapes; ++i)
        if (CSFShape* shape = GetShape(i)) shape->Draw(dc, transform);
    dc->SelectObject(old_brush);
    dc->SelectObject(old_pen);
}

void CSFLayer::DrawCells(platform::CDC* dc) {
    georef::CTransform* transform = display_transform();
    if (!transform || m_pCells.empty()) return;
    platform::CPen pen(platform::PS_SOLID, 1, m_crContour);
    platform::CBrush brush(m_crFill);
    platform::CPen* old_pen = dc->SelectObject(&pen);
    platform::CBrush* old_brush = dc->SelectObject(&brush);
    for (const CSFFragment& cell : m_pCells) cell.DrawShapes(dc, transform);
    dc->SelectObject(old_brush);
    dc->SelectObject(old_pen);
}

void CSFLayer::BuildCells(std::uint32_t columns, std::uint32_t rows, std::vector<CSFFragment>& cells) {
    set_grid(columns, rows);
    cells.clear();
    if (columns == 0 || rows == 0) return;
    const double width = cell_size(m_rcBounds.maxX - m_rcBounds.minX, columns);
    const double height = cell_size(m_rcBounds.maxY - m_rcBounds.minY, rows);
    cells.resize(std::size_t{columns} * rows);
    double y = m_rcBounds.minY;
    for (std::uint32_t r = 0; r < rows; ++r) {
        double x = m_rcBounds.minX;
        for (std::uint32_t c = 0; c < columns; ++c) {
            const std::int32_t k = static_cast<std::int32_t>(r * columns + c);
            CSFFragment& cell = cells[static_cast<std::size_t>(k)];
            cell.m_rcBox = {x, y, x + width, y + height};
            cell.m_nCell = k;
            cell.m_nPrevColumn = c == 0 ? -1 : k - 1;
            cell.m_nNextRow = r + 1 == rows ? -1 : k + static_cast<std::int32_t>(columns);
            cell.m_nNextColumn = c + 1 == columns ? -1 : k + 1;
            cell.m_nPrevRow = r == 0 ? -1 : k - static_cast<std::int32_t>(columns);
            x += width;
        }
        y += height;
    }
}

int CSFLayer::find_cell(const CSFPt& point) const {
    CSFPt probe = point;  // the grid may move it onto a boundary; the caller keeps its own
    return cell_grid(m_pCells, m_nGridCols, m_nGridRows).find_cell(probe);
}

regrid_result CSFLayer::AllocateGrid(std::uint32_t columns, std::uint32_t rows) {
    m_pCells.clear();
    BuildCells(columns, rows, m_pCells);
    return regrid_done;
}

}  // namespace model
