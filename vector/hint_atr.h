#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/device_context.h"
#include "platform/geometry.h"

namespace platform {
class CHintWindow;
}

namespace model {

// The hover hint of point layers: one line per attribute in a borderless pop-up just below
// the mouse. This keeps what the pop-up shows and where; the window itself comes from the
// operator's services.
class CHintAtr {
public:
    // The tooltip background of the system's standard colour scheme, and its text colour.
    static constexpr platform::COLORREF kBackground = platform::RGB(255, 255, 225);
    static constexpr platform::COLORREF kText = platform::RGB(0, 0, 0);
    static constexpr int kCharWidth = 8;
    static constexpr int kLineHeight = 20;

    CHintAtr();
    ~CHintAtr();
    CHintAtr(const CHintAtr&) = delete;
    CHintAtr& operator=(const CHintAtr&) = delete;

    void set_lines(std::vector<std::u16string> lines);
    const std::vector<std::u16string>& get_lines() const { return m_aLines; }
    int get_line_count() const { return m_nLines; }
    // Characters (UTF-16 units) of the longest line.
    int get_longest() const { return m_nLongest; }

    // Anchors the hint at (x, y): the window goes 20 pixels below it, as wide and as high
    // as its lines need.
    void ShowAt(int x, int y);
    platform::CPoint get_anchor() const { return m_ptAnchor; }
    platform::CRect get_window_rect() const { return m_rcWindow; }

    // Shows the pop-up until EndDialog; answers the result given there.
    int DoModal();
    // Closes the pop-up; before DoModal it makes DoModal return at once.
    void EndDialog(int result);
    bool is_ended() const { return m_bEnded; }

    // The client area: the tooltip colour, line i at (10, 20 i + 3).
    void paint(platform::CDC& dc) const;

private:
    std::vector<std::u16string> m_aLines;
    int m_nLines = 0;
    int m_nLongest = 0;
    platform::CPoint m_ptAnchor;
    platform::CRect m_rcWindow;
    std::unique_ptr<platform::CHintWindow> m_pWindow;
    bool m_bEnded = false;
    int m_nResult = 0;
};

}  // namespace model
