#include "georef/coords_dlg.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "georef/foot_hold.h"

namespace georef {
namespace {

// A field's number, as the dialog shows it: integers plainly, reals with 15 significant
// digits, in the C locale.
std::string IntegerText(int v) {
    char buffer[16];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
}

std::string RealText(double v) {
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 15).ptr);
}

// The text without the blanks around it, and without a leading '+'.
std::string_view NumberPart(const std::string& text) {
    std::string_view s(text);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    if (s.size() > 1 && s.front() == '+' && s[1] != '-' && s[1] != '+') s.remove_prefix(1);
    return s;
}

template <class T>
bool Parse(const std::string& text, T& value) {
    const std::string_view s = NumberPart(text);
    if (s.empty()) return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size();
}

struct field_range {
    bool integer;
    int high;  // every field starts at 0
};

constexpr field_range kRanges[platform::coords_dialog::field_count] = {
    {true, 90}, {false, 60}, {true, 180}, {false, 60}, {true, 1000},
};

// The field validation's own messages.
std::string RangeMessage(const field_range& r) {
    return std::string(r.integer ? "Please enter an integer between 0 and " : "Please enter a number between 0 and ") +
           IntegerText(r.high) + ".";
}

}  // namespace

CCoordsDlg::CCoordsDlg(CFootHold& footholds, int index) : m_footholds(footholds), m_nIndex(index) {
    const CPt* ground = footholds.GetGround(index);
    const CPt at = ground ? *ground : CPt();
    // Degrees are the integer part, minutes the rest.
    auto split = [&](double v, int degreesField, int minutesField) {
        const double a = std::fabs(v);
        const double degrees = std::trunc(a);
        m_strFields[degreesField] = std::isfinite(degrees) && degrees < 2e9 ? IntegerText(int(degrees)) : RealText(a);
        m_strFields[minutesField] = RealText((a - degrees) * 60.0);
        return v < 0.0;
    };
    m_bSouth = split(at.y, latitude_degrees, latitude_minutes);
    m_bWest = split(at.x, longitude_degrees, longitude_minutes);
    m_strFields[number] = IntegerText(footholds.GetNumber(index));
    m_bDontUse = ground && !footholds.IsUsed(index);
}

int CCoordsDlg::DoModal() {
    if (!m_footholds.GetGround(m_nIndex)) return platform::IDCANCEL;
    return platform::ui().ShowCoordsDialog(*this);
}

std::string CCoordsDlg::GetText(int field) const {
    return field >= 0 && field < field_count ? m_strFields[field] : std::string();
}

void CCoordsDlg::SetText(int field, const std::string& text) {
    if (field >= 0 && field < field_count) m_strFields[field] = text;
}

bool CCoordsDlg::OnOK() {
    double values[field_count] = {};
    for (int f = 0; f < field_count; ++f) {
        const field_range& r = kRanges[f];
        bool ok;
        if (r.integer) {
            int v = 0;
            ok = Parse(m_strFields[f], v) && v >= 0 && v <= r.high;
            values[f] = v;
        } else {
            double v = 0.0;
            ok = Parse(m_strFields[f], v) && v >= 0.0 && v <= r.high;  // refuses nan
            values[f] = v;
        }
        if (!ok) {
            m_nBadField = f;
            platform::AfxMessageBox(RangeMessage(r), platform::MB_OK | platform::MB_ICONEXCLAMATION);
            return false;
        }
    }
    m_nBadField = -1;
    const double latitude = (m_bSouth ? -1.0 : 1.0) * (values[latitude_degrees] + values[latitude_minutes] / 60.0);
    const double longitude = (m_bWest ? -1.0 : 1.0) * (values[longitude_degrees] + values[longitude_minutes] / 60.0);
    m_footholds.SetNumber(m_nIndex, static_cast<int>(values[number]));
    m_footholds.SetGround(m_nIndex, CPt(longitude, latitude, 0.0));
    if (m_bDontUse)
        m_footholds.SetUnused(m_nIndex);
    else
        m_footholds.SetUsed(m_nIndex);
    return true;
}

}  // namespace georef
