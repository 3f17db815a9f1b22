#include "app/hint_window.h"

#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "platform/painter_dc.h"

namespace app {

namespace {

std::vector<hint_window*>& shown() {
    static std::vector<hint_window*> windows;
    return windows;
}
int loops = 0;

}  // namespace

hint_window::hint_window(const platform::hint_popup& popup, QWidget* origin)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint), m_popup(popup) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    QPoint at(popup.rect.left, popup.rect.top);
    if (origin) at = origin->mapToGlobal(at);
    setGeometry(at.x(), at.y(), std::max(1, popup.rect.Width()), std::max(1, popup.rect.Height()));
    shown().push_back(this);
}

hint_window::~hint_window() {
    auto& windows = shown();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
}

int hint_window::DoModal() {
    if (m_bEnded) return m_nResult;
    show();
    ++loops;
    m_loop.exec();
    --loops;
    hide();
    return m_nResult;
}

void hint_window::EndDialog(int result) {
    m_bEnded = true;
    m_nResult = result;
    m_loop.exit(result);
}

int hint_window::running_loops() { return loops; }

void hint_window::end_all() {
    for (hint_window* window : std::vector<hint_window*>(shown())) window->EndDialog(platform::IDCANCEL);
}

void hint_window::when_settled(QObject* context, std::function<void()> command) {
    if (loops == 0) {
        command();
        return;
    }
    end_all();
    QTimer::singleShot(0, context, [context, command = std::move(command)]() mutable {
        when_settled(context, std::move(command));
    });
}

void hint_window::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    platform::CPainterDC dc(&painter, rect());
    if (m_popup.paint) m_popup.paint(dc);
}

}  // namespace app
