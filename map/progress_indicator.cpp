#include "map/progress_indicator.h"

#include "platform/ui_service.h"

namespace model {

CProgressIndicator::CProgressIndicator() = default;

CProgressIndicator::~CProgressIndicator() = default;

void CProgressIndicator::Create() {
    m_pWindow = platform::ui().CreateProgress(kCaption);
    m_pWindow->SetRange(m_nLower, m_nUpper);
}

void CProgressIndicator::SetRange(int lower, int upper) {
    m_nLower = lower;
    m_nUpper = upper;
    if (m_pWindow) m_pWindow->SetRange(lower, upper);
}

void CProgressIndicator::SetPos(int position) {
    m_nPos = position;
    if (m_pWindow) m_pWindow->SetPos(position);
}

void CProgressIndicator::Destroy() { m_pWindow.reset(); }

}  // namespace model
