#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/ui_service.h"

namespace app {

// The operator's services of the desktop program: message boxes, progress windows, the hover
// hint and the model's dialogs as Qt windows. The model may call it from the thread of a
// long piece of work (long_work.h): everything that makes or shows a window is then done on
// the windows' thread, the caller waiting for the answer.
class qt_ui_service : public platform::CUIService {
public:
    qt_ui_service();
    ~qt_ui_service() override;

    // The window the dialogs belong to; none: the active window.
    void set_main_window(QWidget* window) { m_pMain = window; }
    // The widget whose coordinates the hint's position is given in (the map view); none:
    // the screen.
    void set_hint_origin(QWidget* widget) { m_pHintOrigin = widget; }

    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;
    std::unique_ptr<platform::CProgressWindow> CreateProgress(const std::string& caption) override;
    std::unique_ptr<platform::CHintWindow> CreateHint(const platform::hint_popup& popup) override;
    int ChooseIcon(const std::vector<platform::icon_choice>& icons) override;
    int ShowCoordsDialog(platform::coords_dialog& dialog) override;
    int ShowPointsList(platform::points_list_dialog& dialog) override;

private:
    QWidget* parent_window() const;

    QPointer<QWidget> m_pMain;
    QPointer<QWidget> m_pHintOrigin;
    platform::CUIService* m_pPrevious = nullptr;
};

}  // namespace app
