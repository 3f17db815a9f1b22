#include "app/qt_ui_service.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <atomic>

#include "app/coords_dialog_widget.h"
#include "app/hint_window.h"
#include "app/icon_chooser.h"
#include "app/points_list_widget.h"
#include "app/progress_window.h"

namespace app {

namespace {

bool on_gui_thread() { return QThread::currentThread() == qApp->thread(); }

// Runs f on the windows' thread and answers its result; the calling thread waits.
template <class F>
auto on_gui(F f) -> decltype(f()) {
    if (on_gui_thread()) return f();
    decltype(f()) result{};
    QMetaObject::invokeMethod(qApp, [&] { result = f(); }, Qt::BlockingQueuedConnection);
    return result;
}

QString message_text(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

struct button_answer {
    QMessageBox::StandardButton button;
    int answer;
};

std::vector<button_answer> buttons_of(unsigned type) {
    using B = QMessageBox;
    switch (type & platform::MB_TYPEMASK) {
        case platform::MB_OKCANCEL: return {{B::Ok, platform::IDOK}, {B::Cancel, platform::IDCANCEL}};
        case platform::MB_ABORTRETRYIGNORE:
            return {{B::Abort, platform::IDABORT}, {B::Retry, platform::IDRETRY}, {B::Ignore, platform::IDIGNORE}};
        case platform::MB_YESNOCANCEL:
            return {{B::Yes, platform::IDYES}, {B::No, platform::IDNO}, {B::Cancel, platform::IDCANCEL}};
        case platform::MB_YESNO: return {{B::Yes, platform::IDYES}, {B::No, platform::IDNO}};
        case platform::MB_RETRYCANCEL: return {{B::Retry, platform::IDRETRY}, {B::Cancel, platform::IDCANCEL}};
        default: return {{B::Ok, platform::IDOK}};
    }
}

QMessageBox::Icon icon_of(unsigned type) {
    switch (type & platform::MB_ICONMASK) {
        case platform::MB_ICONSTOP: return QMessageBox::Critical;
        case platform::MB_ICONQUESTION: return QMessageBox::Question;
        case platform::MB_ICONWARNING: return QMessageBox::Warning;
        case platform::MB_ICONINFORMATION: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

// A progress window asked for by the model, perhaps from a worker thread: the bar's values
// are kept here and reach the window, on its own thread, one update at a time, so that a
// loop setting the position for every shape never waits for the window.
class progress_handle : public platform::CProgressWindow {
public:
    explicit progress_handle(QPointer<progress_window> window) : m_state(std::make_shared<state>()) {
        m_state->window = std::move(window);
    }
    ~progress_handle() override {
        auto close = [s = m_state] { delete s->window.data(); };
        if (on_gui_thread()) close();
        else QMetaObject::invokeMethod(qApp, close, Qt::BlockingQueuedConnection);
    }
    void SetRange(int lower, int upper) override {
        m_state->lower = lower;
        m_state->upper = upper;
        post();
    }
    void SetPos(int position) override {
        m_state->pos = position;
        post();
    }

private:
    struct state {
        QPointer<progress_window> window;
        std::atomic<int> lower{0}, upper{100}, pos{0};
        std::atomic<bool> pending{false};
        void update() {
            pending = false;
            if (!window) return;
            window->set_range(lower, upper);
            window->set_pos(pos);
        }
    };

    void post() {
        if (on_gui_thread()) {
            // Work on the windows' own thread: no events may run meanwhile (they could draw
            // the map being changed), so the bar is painted at once.
            m_state->update();
            if (m_state->window) m_state->window->repaint();
            return;
        }
        if (m_state->pending.exchange(true)) return;
        QMetaObject::invokeMethod(qApp, [s = m_state] { s->update(); }, Qt::QueuedConnection);
    }

    std::shared_ptr<state> m_state;
};

}  // namespace

qt_ui_service::qt_ui_service() { m_pPrevious = platform::SetUIService(this); }

qt_ui_service::~qt_ui_service() { platform::SetUIService(m_pPrevious); }

QWidget* qt_ui_service::parent_window() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (m_pMain) return m_pMain;
    return QApplication::activeWindow();
}

int qt_ui_service::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
    return on_gui([&] {
        QMessageBox box(icon_of(type), QString::fromStdString(caption), message_text(text), QMessageBox::NoButton,
                        parent_window());
        const std::vector<button_answer> buttons = buttons_of(type);
        for (const button_answer& b : buttons) box.addButton(b.button);
        const std::size_t preferred = (type & platform::MB_DEFMASK) >> 8;
        box.setDefaultButton(buttons[preferred < buttons.size() ? preferred : 0].button);
        const auto chosen = static_cast<QMessageBox::StandardButton>(box.exec());
        for (const button_answer& b : buttons)
            if (b.button == chosen) return b.answer;
        // Closed by the window's own button: as the system answers then.
        for (const button_answer& b : buttons)
            if (b.answer == platform::IDCANCEL) return b.answer;
        return buttons.size() == 1 ? buttons[0].answer : platform::IDCANCEL;
    });
}

std::unique_ptr<platform::CProgressWindow> qt_ui_service::CreateProgress(const std::string& caption) {
    QPointer<progress_window> window = on_gui([&] {
        auto* w = new progress_window(QString::fromStdString(caption), parent_window());
        w->setWindowModality(Qt::ApplicationModal);
        w->show();
        return QPointer<progress_window>(w);
    });
    return std::make_unique<progress_handle>(window);
}

std::unique_ptr<platform::CHintWindow> qt_ui_service::CreateHint(const platform::hint_popup& popup) {
    return on_gui([&] { return std::unique_ptr<platform::CHintWindow>(new hint_window(popup, m_pHintOrigin)); });
}

int qt_ui_service::ChooseIcon(const std::vector<platform::icon_choice>& icons) {
    return on_gui([&] {
        icon_chooser chooser(icons, parent_window());
        return chooser.exec() == QDialog::Accepted ? chooser.chosen() : -1;
    });
}

int qt_ui_service::ShowCoordsDialog(platform::coords_dialog& dialog) {
    return on_gui([&] {
        coords_dialog_widget window(dialog, parent_window());
        return window.exec() == QDialog::Accepted ? platform::IDOK : platform::IDCANCEL;
    });
}

int qt_ui_service::ShowPointsList(platform::points_list_dialog& dialog) {
    return on_gui([&] {
        points_list_widget window(dialog, parent_window());
        window.exec();
        return platform::IDOK;
    });
}

}  // namespace app
