// The attribute table of point layers: reading it from the dBASE table, keeping it in the
// map document, and showing it in hints and labels.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "formats/dbf.h"
#include "georef/transform.h"
#include "map/sf_map.h"
#include "platform/code_page.h"
#include "platform/file.h"
#include "platform/file_io.h"
#include "platform/ui_service.h"
#include "vector/hint_atr.h"
#include "vector/layer_point.h"

using namespace platform::file_io;

namespace model {

namespace {

// Bytes a value of the kind takes in the map document.
std::size_t stored_size(std::uint32_t kind) {
    switch (kind) {
        case _attrValue::integer: return 4;
        case _attrValue::real: return 8;
        case _attrValue::text: return _attrValue::value_size;
        default: return 0;
    }
}

// A date (days since 30 December 1899) as ISO 8601 text, "2020-01-15".
std::u16string iso_date(double days) {
    // Days since 1 March of year 0 of the proleptic Gregorian calendar, in whole days.
    const std::int64_t z = static_cast<std::int64_t>(std::floor(days)) - 25569 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yoe + era * 400 + (month <= 2);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld", static_cast<long long>(year), static_cast<long long>(month),
                  static_cast<long long>(day));
    return std::u16string(text, text + std::strlen(text));
}

// A table value as an attribute of the field's kind. A record without a value there gives no
// value, which labels leave out; hints and the map document show it as a zero of the field's
// kind. A date, whose field the layer keeps no kind for, is held as its ISO 8601 text, which
// only a label of that field shows.
_attrValue attribute_of(std::uint32_t kind, const CDBFValue& v) {
    if (v.m_nKind == CDBF::kindNone) return {};
    if (v.m_nKind == CDBF::kindDate) return std::isfinite(v.m_dValue) ? _attrValue::from_text(iso_date(v.m_dValue)) : _attrValue{};
    switch (kind) {
        case _attrValue::integer: return _attrValue::from_int(v.m_nKind == CDBF::kindLogical ? v.m_bValue : 0);
        case _attrValue::real: return _attrValue::from_double(v.m_nKind == CDBF::kindNumber ? v.m_dValue : 0.0);
        case _attrValue::text: return _attrValue::from_text(v.m_nKind == CDBF::kindText ? v.m_strValue : u"");
        default: return {};
    }
}

bool same_name(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

void append(std::u16string& line, std::string_view ascii) { line.append(ascii.begin(), ascii.end()); }

}  // namespace

std::uint32_t CSFLayerPoint::attribute_kind(std::uint32_t table_kind) {
    switch (table_kind) {
        case CDBF::kindNumber: return _attrValue::real;
        case CDBF::kindText: return _attrValue::text;
        case CDBF::kindLogical: return _attrValue::integer;
        default: return _attrValue::none;
    }
}

void CSFLayerPoint::clear_fields() {
    m_aFieldKinds.clear();
    m_aFieldShown.clear();
    m_aFieldLabel.clear();
    m_aFieldNames.clear();
}

read_result CSFLayerPoint::OpenAttributes(const std::string& path) {
    m_bAttributes = 0;
    clear_fields();
    CDBF table;
    if (table.Open(path) != 0 || table.GetFieldCount() == 0) return read_failed;
    m_bAttributes = 1;
    const int fields = table.GetFieldCount();
    for (int i = 0; i < fields; ++i) {
        const std::uint32_t kind = attribute_kind(table.GetKinds()[static_cast<std::size_t>(i)]);
        m_aFieldKinds.push_back(kind);
        m_aFieldNames.push_back(table.GetNames()[static_cast<std::size_t>(i)]);
        m_aFieldShown.push_back(kind != _attrValue::none ? 1 : 0);
        m_aFieldLabel.push_back(0);
    }
    // Records pair with points by position; points beyond the last record get zero values.
    if (!m_memory) m_memory = std::make_unique<platform::bulk_resource>();
    std::vector<_attrValue> row(static_cast<std::size_t>(fields));
    const std::vector<CDBFValue>* values = &table.MoveFirst();
    for (CSFPoint& point : m_pShapes) {
        for (std::size_t f = 0; f < row.size(); ++f) row[f] = attribute_of(m_aFieldKinds[f], (*values)[f]);
        point.set_attributes(row.data(), fields, m_memory.get());
        values = &table.MoveNext();
    }
    return read_ok;
}

std::int32_t CSFLayerPoint::stored_label_position() const {
    std::int32_t stored = 0;
    for (std::size_t i = 0; i < m_aFieldShown.size(); ++i) {
        if (!m_aFieldShown[i]) continue;
        // A label of a field that is not stored cannot be named among the stored ones.
        if (i < m_aFieldLabel.size() && m_aFieldLabel[i]) return stored;
        ++stored;
    }
    return -1;
}

void CSFLayerPoint::WriteAttributes(platform::CFile& file) {
    write_i32(file, m_bAttributes);
    if (!m_bAttributes) return;
    std::vector<std::size_t> stored;
    for (std::size_t i = 0; i < m_aFieldShown.size(); ++i)
        if (m_aFieldShown[i]) stored.push_back(i);
    write_i32(file, static_cast<std::int32_t>(stored.size()));
    write_i32(file, stored_label_position());
    for (std::size_t i : stored) write_u32(file, i < m_aFieldKinds.size() ? m_aFieldKinds[i] : 0);
    for (std::size_t i : stored) {
        char name[kFieldNameSize] = {};
        if (i < m_aFieldNames.size()) m_aFieldNames[i].copy(name, kFieldNameSize);
        file.Write(name, kFieldNameSize);
    }
    // The value areas hold their numbers and text little-endian already: a value is stored
    // as the first bytes of its area. One write per cell.
    std::vector<std::uint8_t> bytes;
    for (const CSFFragment& cell : m_pCells) {
        bytes.clear();
        for (const auto& shape : cell.m_aShapes) {
            for (std::size_t i : stored) {
                const std::size_t size = stored_size(i < m_aFieldKinds.size() ? m_aFieldKinds[i] : 0);
                const _attrValue value = shape->GetAttribute(static_cast<int>(i));
                bytes.insert(bytes.end(), value.value.begin(), value.value.begin() + static_cast<std::ptrdiff_t>(size));
            }
        }
        if (!bytes.empty()) file.Write(bytes.data(), bytes.size());
    }
}

read_result CSFLayerPoint::ReadAttributes(platform::CFile& file) {
    m_bAttributes = 0;
    clear_fields();
    std::int32_t has = 0, count = 0, label = -1;
    if (!read_i32(file, has)) return read_failed;
    if (has == 0) return read_ok;
    if (has != 1 || !read_i32(file, count)) return read_failed;
    // Each stored field takes a kind and a name at least.
    if (count < 0 || static_cast<std::uint64_t>(count) > bytes_left(file) / (4 + kFieldNameSize)) return read_failed;
    const std::uint32_t version = m_pMap ? m_pMap->GetVersion() : 5;
    if (version >= 5 && !read_i32(file, label)) return read_failed;
    const std::size_t n = static_cast<std::size_t>(count);
    m_aFieldKinds.resize(n);
    std::size_t record_size = 0;
    for (std::uint32_t& kind : m_aFieldKinds) {
        if (!read_u32(file, kind)) return read_failed;
        record_size += stored_size(kind);
    }
    for (std::size_t i = 0; i < n; ++i) {
        char name[kFieldNameSize];
        if (!read_exact(file, name, kFieldNameSize)) return read_failed;
        m_aFieldNames.emplace_back(name, strnlen(name, kFieldNameSize));
    }
    m_aFieldShown.assign(n, 1);
    // Documents before version 5 carry no label: none of their fields is drawn.
    m_aFieldLabel.assign(n, 0);
    if (label >= 0 && static_cast<std::size_t>(label) < n) m_aFieldLabel[static_cast<std::size_t>(label)] = 1;

    std::vector<std::uint8_t> bytes;
    std::vector<_attrValue> row(n);
    for (CSFFragment& cell : m_pCells) {
        const std::uint64_t cell_size = std::uint64_t{record_size} * cell.m_aShapes.size();
        if (cell_size > bytes_left(file)) return read_failed;
        bytes.resize(static_cast<std::size_t>(cell_size));
        if (!read_exact(file, bytes.data(), bytes.size())) return read_failed;
        const std::uint8_t* at = bytes.data();
        for (auto& shape : cell.m_aShapes) {
            for (std::size_t i = 0; i < n; ++i) {
                _attrValue& value = row[i];
                value = _attrValue{};
                value.kind = static_cast<std::int32_t>(m_aFieldKinds[i]);
                // A field of no kind takes no bytes; a block of only such fields has none at all.
                const std::size_t size = stored_size(m_aFieldKinds[i]);
                if (size != 0) std::memcpy(value.value.data(), at, size);
                at += size;
            }
            // Every shape gets the n values, none when there are no fields.
            if (n > 0) shape->set_attributes(row.data(), count);
        }
    }
    m_bAttributes = 1;
    return read_ok;
}

std::vector<std::u16string> CSFLayerPoint::hint_lines(const CSFShape& shape) const {
    std::vector<std::u16string> lines;
    const std::string code_page = platform::system_code_page();
    for (std::size_t i = 0; i < m_aFieldShown.size(); ++i) {
        if (!m_aFieldShown[i]) continue;
        const std::uint32_t kind = i < m_aFieldKinds.size() ? m_aFieldKinds[i] : 0;
        std::u16string line;
        if (kind != _attrValue::none && i < m_aFieldNames.size()) line = platform::to_utf16(m_aFieldNames[i], code_page);
        const _attrValue value = shape.GetAttribute(static_cast<int>(i));
        // Numbers are written as in the C locale ("12.000000"), whatever the user's locale.
        char number[400];
        switch (kind) {
            case _attrValue::integer: {
                append(line, "   ");
                auto r = std::to_chars(number, number + sizeof number, value.get_int());
                append(line, std::string_view(number, static_cast<std::size_t>(r.ptr - number)));
                break;
            }
            case _attrValue::real: {
                append(line, "   ");
                auto r = std::to_chars(number, number + sizeof number, value.get_double(), std::chars_format::fixed, 6);
                append(line, std::string_view(number, static_cast<std::size_t>(r.ptr - number)));
                break;
            }
            case _attrValue::text: append(line, "   "); line += value.get_text(); break;
            default: break;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

CSFPoint* CSFLayerPoint::hit_point(platform::CPoint mouse, bool cells) {
    georef::CTransform* transform = display_transform();
    if (!transform) return nullptr;
    if (!cells) {
        for (CSFPoint& point : m_pShapes)
            if (point.HitTest(transform, mouse)) return &point;
        return nullptr;
    }
    for (const CSFFragment& cell : m_pCells)
        for (const auto& shape : cell.m_aShapes)
            if (auto* point = dynamic_cast<CSFPoint*>(shape.get()); point && point->HitTest(transform, mouse))
                return point;
    return nullptr;
}

int CSFLayerPoint::ShowHint(platform::CPoint, platform::CPoint mouse, int cells) {
    if (m_pHint) {
        // Small moves of a resting hand keep the hint where it is.
        const platform::CPoint anchor = m_pHint->get_anchor();
        if (anchor.x - 10 < mouse.x && mouse.x < anchor.x + 10 && anchor.y - 10 < mouse.y && mouse.y < anchor.y + 10)
            return 0;
        m_pHint->EndDialog(platform::IDCANCEL);
        m_pHint = nullptr;
    }
    CSFPoint* point = hit_point(mouse, cells != 0);
    if (!point) return 0;
    auto hint = std::make_unique<CHintAtr>();
    hint->set_lines(hint_lines(*point));
    hint->ShowAt(mouse.x, mouse.y);
    // The hover timer goes on ticking while the hint is shown and may end it meanwhile.
    m_pHint = hint.get();
    hint->DoModal();
    if (m_pHint == hint.get()) m_pHint = nullptr;
    return 0;
}

bool CSFLayerPoint::set_label_field(const std::string& name) {
    std::size_t found = m_aFieldNames.size();
    for (std::size_t i = 0; i < m_aFieldNames.size() && found == m_aFieldNames.size(); ++i)
        if (same_name(m_aFieldNames[i], name)) found = i;
    if (found == m_aFieldNames.size() || found >= m_aFieldShown.size()) return false;
    m_aFieldLabel.assign(m_aFieldNames.size(), 0);
    m_aFieldLabel[found] = 1;
    m_aFieldShown[found] = 1;
    return true;
}

}  // namespace model
