#include "app/long_work.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <exception>
#include <memory>
#include <set>

#include "app/progress_window.h"
#include "platform/ui_service.h"

namespace app {

namespace {

int running = 0;

// Drops input meant for the windows that were open when the work began; windows that open
// later (the model's messages) take input as usual.
class input_gate : public QObject {
public:
    input_gate() {
        for (QWidget* w : QApplication::topLevelWidgets()) m_blocked.insert(w);
        qApp->installEventFilter(this);
    }
    ~input_gate() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop: {
                auto* widget = qobject_cast<QWidget*>(watched);
                return widget && m_blocked.count(widget->window()) != 0;
            }
            default: return false;
        }
    }

private:
    std::set<QWidget*> m_blocked;
};

}  // namespace

void long_work::report(const std::exception& e) { platform::AfxMessageBox(e.what(), platform::MB_ICONSTOP); }

bool long_work::is_running() { return running > 0; }

void long_work::run_erased(QWidget* parent, const QString& caption, const std::function<void()>& work) {
    std::exception_ptr error;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
    }));
    input_gate gate;
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QPointer<progress_window> window;
    QTimer later;
    later.setSingleShot(true);
    QObject::connect(&later, &QTimer::timeout, [&] {
        window = new progress_window(caption, parent);
        window->set_range(0, 0);
        window->show();
    });
    // The wait cursor over the program's windows, not over the messages the work may show.
    QPointer<QWidget> top = parent ? parent->window() : nullptr;
    if (top) top->setCursor(Qt::WaitCursor);
    ++running;
    later.start(400);
    thread->start();
    loop.exec();
    thread->wait();
    --running;
    later.stop();
    delete window.data();
    if (top) top->unsetCursor();
    if (error) std::rethrow_exception(error);
}

}  // namespace app
