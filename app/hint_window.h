#pragma once

#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/ui_service.h"

namespace app {

// The hover hint: a borderless pop-up that paints through the model's paint function. Its
// DoModal runs a nested event loop until EndDialog, as the point layer expects; the hover
// timer keeps ticking inside that loop and ends the hint when the pointer moves on.
class hint_window : public QWidget, public platform::CHintWindow {
    Q_OBJECT
public:
    // rect: where the pop-up goes, in the coordinates of origin (global ones without origin).
    hint_window(const platform::hint_popup& popup, QWidget* origin);
    ~hint_window() override;

    int DoModal() override;
    void EndDialog(int result) override;

    // Loops of hints still on the stack. While there are any, a command must not delete a
    // layer: the layer that shows the hint is below on the stack and returns into it.
    static int running_loops();
    // Ends every hint shown; their loops return once the current event has been handled.
    static void end_all();
    // Runs the command now when no hint loop is on the stack; otherwise ends the hints and
    // runs it once their loops have returned (nothing, should the context go first).
    static void when_settled(QObject* context, std::function<void()> command);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    platform::hint_popup m_popup;
    QEventLoop m_loop;
    bool m_bEnded = false;
    int m_nResult = 0;
};

}  // namespace app
