#pragma once

#include <memory>

namespace platform {
class CProgressWindow;
}

namespace model {

// The modeless "Layer saving" window with one bar that line and polygon layers show while
// they cut their shapes into grid cells. The window itself comes from the operator's
// services; this keeps what the bar shows.
class CProgressIndicator {
public:
    static constexpr const char* kCaption = "Layer saving";

    CProgressIndicator();
    ~CProgressIndicator();

    void Create();
    void SetRange(int lower, int upper);
    void SetPos(int position);
    void Destroy();

    bool is_shown() const { return m_pWindow != nullptr; }
    int get_lower() const { return m_nLower; }
    int get_upper() const { return m_nUpper; }
    int get_pos() const { return m_nPos; }

private:
    std::unique_ptr<platform::CProgressWindow> m_pWindow;
    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nPos = 0;
};

}  // namespace model
