#include "vector/hint_atr.h"

#include <algorithm>

#include "platform/ui_service.h"

namespace model {

CHintAtr::CHintAtr() = default;

CHintAtr::~CHintAtr() = default;

void CHintAtr::set_lines(std::vector<std::u16string> lines) {
    m_aLines = std::move(lines);
    m_nLines = static_cast<int>(m_aLines.size());
    m_nLongest = 0;
    for (const auto& line : m_aLines) m_nLongest = std::max(m_nLongest, static_cast<int>(line.size()));
}

void CHintAtr::ShowAt(int x, int y) {
    m_ptAnchor = {x, y};
    const int width = m_nLongest * kCharWidth + 10;
    const int height = m_nLines * kLineHeight + 6;
    m_rcWindow = {x, y + 20, x + width, y + 20 + height};
}

int CHintAtr::DoModal() {
    if (m_bEnded) return m_nResult;
    platform::hint_popup popup{m_aLines, m_rcWindow, [this](platform::CDC& dc) { paint(dc); }};
    m_pWindow = platform::ui().CreateHint(popup);
    const int result = m_pWindow->DoModal();
    m_pWindow.reset();
    return m_bEnded ? m_nResult : result;
}

void CHintAtr::EndDialog(int result) {
    m_bEnded = true;
    m_nResult = result;
    if (m_pWindow) m_pWindow->EndDialog(result);
}

void CHintAtr::paint(platform::CDC& dc) const {
    dc.FillSolidRect({0, 0, m_rcWindow.Width(), m_rcWindow.Height()}, kBackground);
    dc.SetBkMode(platform::OPAQUE);
    dc.SetBkColor(kBackground);
    dc.SetTextColor(kText);
    for (int i = 0; i < m_nLines; ++i) dc.TextOut(10, kLineHeight * i + 3, m_aLines[static_cast<std::size_t>(i)]);
}

}  // namespace model
