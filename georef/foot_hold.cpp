#include "georef/foot_hold.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "georef/foothold_marker.h"
#include "georef/pixel.h"

namespace georef {
namespace {

constexpr platform::COLORREF kLabelColour = platform::RGB(255, 0, 0);

// A drawing position, kept far enough inside the integer range that the marker's corner and
// the label beside it stay inside it too.
int DrawingPosition(int offset, double plane, int zoom) {
    const double v = (offset + std::trunc(plane)) * zoom;
    return ToPixel(std::clamp(v, -2.0e9, 2.0e9));
}

}  // namespace

CFootHold::CFootHold() : m_font(36, 1, "Arial") {}

CFootHold::~CFootHold() = default;

CGroundPoint* CFootHold::Item(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_pItems[static_cast<std::size_t>(index)].get();
}

int CFootHold::Add(const platform::CPoint& plane) {
    if (GetCount() >= kMaxCount) return -1;
    ++m_nNextNumber;
    m_pItems.push_back(std::make_unique<CGroundPoint>(CPt(plane.x, plane.y), static_cast<std::uint32_t>(m_nNextNumber)));
    ++m_nUsedCount;
    return GetCount() - 1;
}

bool CFootHold::RemoveAt(int index) {
    const CGroundPoint* item = Item(index);
    if (!item) return false;
    if (item->m_bUsed) --m_nUsedCount;
    m_pItems.erase(m_pItems.begin() + index);
    return true;
}

bool CFootHold::RemoveNearest(const platform::CPoint& plane) {
    if (m_pItems.empty()) return false;
    const CPt at(plane.x, plane.y);
    int nearest = 0;
    double best = (m_pItems[0]->m_ptPlane - at).Length();
    for (int i = 1; i < GetCount(); ++i) {
        const double d = (m_pItems[static_cast<std::size_t>(i)]->m_ptPlane - at).Length();
        if (d < best) {
            best = d;
            nearest = i;
        }
    }
    return RemoveAt(nearest);
}

void CFootHold::Clear() {
    m_pItems.clear();
    m_nUsedCount = 0;
}

CPt CFootHold::GetPlane(int index) const {
    const CGroundPoint* item = Item(index);
    return item ? item->m_ptPlane : CPt();
}

CPt* CFootHold::GetGround(int index) {
    CGroundPoint* item = Item(index);
    return item ? &item->m_ptGround : nullptr;
}

const CPt* CFootHold::GetGround(int index) const {
    const CGroundPoint* item = Item(index);
    return item ? &item->m_ptGround : nullptr;
}

int CFootHold::GetNumber(int index) const {
    const CGroundPoint* item = Item(index);
    return item ? static_cast<int>(item->m_nNumber) : -1;
}

bool CFootHold::SetNumber(int index, int number) {
    CGroundPoint* item = Item(index);
    if (!item) return false;
    item->m_nNumber = static_cast<std::uint32_t>(number);
    return true;
}

bool CFootHold::IsUsed(int index) const {
    const CGroundPoint* item = Item(index);
    return item && item->m_bUsed;
}

bool CFootHold::SetGround(int index, const CPt& ground) {
    CGroundPoint* item = Item(index);
    if (!item) return false;
    item->m_ptGround = ground;
    return true;
}

bool CFootHold::SetUsed(int index) {
    CGroundPoint* item = Item(index);
    if (!item) return false;
    if (!item->m_bUsed) {
        item->m_bUsed = true;
        ++m_nUsedCount;
    }
    return true;
}

bool CFootHold::SetUnused(int index) {
    CGroundPoint* item = Item(index);
    if (!item) return false;
    if (item->m_bUsed) {
        item->m_bUsed = false;
        --m_nUsedCount;
    }
    return true;
}

int CFootHold::Draw(platform::CDC* dc, const platform::CPoint& offset, int zoom) const {
    if (!dc) return GetCount();
    platform::CFont* oldFont = dc->SelectObject(&m_font);
    const platform::COLORREF oldColour = dc->SetTextColor(kLabelColour);
    const int oldMode = dc->SetBkMode(platform::TRANSPARENT);
    const unsigned oldAlign = dc->SetTextAlign(platform::TA_LEFT | platform::TA_BASELINE);
    const foothold_marker& marker = foothold_marker::get();
    for (int i = 0; i < GetCount(); ++i) {
        const CPt& p = m_pItems[static_cast<std::size_t>(i)]->m_ptPlane;
        const int px = DrawingPosition(offset.x, p.x, zoom);
        const int py = DrawingPosition(offset.y, p.y, zoom);
        marker.Draw(*dc, px - foothold_marker::kCentre, py - foothold_marker::kCentre);
        const std::string label = std::to_string(i + 1);
        dc->TextOut(px + foothold_marker::kCentre, py, std::u16string(label.begin(), label.end()));
    }
    dc->SetTextAlign(oldAlign);
    dc->SetBkMode(oldMode);
    dc->SetTextColor(oldColour);
    dc->SelectObject(oldFont);
    return GetCount();
}

}  // namespace georef
