#include "platform/ui_service.h"

#include "platform/stderr_ui_service.h"

namespace platform {
namespace {

CUIService* g_pInstalled = nullptr;

CUIService& console_service() {
    static CStderrUIService service;
    return service;
}

}  // namespace

CUIService::~CUIService() = default;

CProgressWindow::~CProgressWindow() = default;

namespace {

class silent_progress : public CProgressWindow {
public:
    void SetRange(int, int) override {}
    void SetPos(int) override {}
};

}  // namespace

std::unique_ptr<CProgressWindow> CUIService::CreateProgress(const std::string&) {
    return std::make_unique<silent_progress>();
}

CHintWindow::~CHintWindow() = default;

namespace {

class unseen_hint : public CHintWindow {
public:
    int DoModal() override { return m_nResult; }
    void EndDialog(int result) override { m_nResult = result; }

private:
    int m_nResult = IDCANCEL;
};

}  // namespace

std::unique_ptr<CHintWindow> CUIService::CreateHint(const hint_popup&) {
    return std::make_unique<unseen_hint>();
}

int CUIService::ChooseIcon(const std::vector<icon_choice>&) { return -1; }

coords_dialog::~coords_dialog() = default;

points_list_dialog::~points_list_dialog() = default;

int CUIService::ShowCoordsDialog(coords_dialog&) { return IDCANCEL; }

int CUIService::ShowPointsList(points_list_dialog&) { return IDCANCEL; }

std::string CUIService::ChooseCoordinateSystem(const std::string&) { return {}; }

int DefaultAnswer(unsigned type) {
    static const int answers[][3] = {
        {IDOK, IDOK, IDOK},              // MB_OK
        {IDOK, IDCANCEL, IDCANCEL},      // MB_OKCANCEL
        {IDABORT, IDRETRY, IDIGNORE},    // MB_ABORTRETRYIGNORE
        {IDYES, IDNO, IDCANCEL},         // MB_YESNOCANCEL
        {IDYES, IDNO, IDNO},             // MB_YESNO
        {IDRETRY, IDCANCEL, IDCANCEL},   // MB_RETRYCANCEL
    };
    unsigned buttons = type & MB_TYPEMASK;
    unsigned def = (type & MB_DEFMASK) >> 8;
    if (buttons > MB_RETRYCANCEL) buttons = MB_OK;
    if (def > 2) def = 0;
    return answers[buttons][def];
}

CUIService& ui() { return g_pInstalled ? *g_pInstalled : console_service(); }

CUIService* SetUIService(CUIService* service) {
    CUIService* previous = g_pInstalled;
    g_pInstalled = service;
    return previous;
}

int AfxMessageBox(const std::string& text, unsigned type) {
    return ui().MessageBox(text, kApplicationTitle, type);
}

distinct_messages::distinct_messages() : m_pPrevious(&ui()), m_pInstalledBefore(SetUIService(this)) {}

distinct_messages::~distinct_messages() { SetUIService(m_pInstalledBefore); }

int distinct_messages::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
    for (const shown& s : m_shown)
        if (s.text == text && s.caption == caption && s.type == type) return s.answer;
    const int answer = m_pPrevious->MessageBox(text, caption, type);
    m_shown.push_back({text, caption, type, answer});
    return answer;
}

std::unique_ptr<CProgressWindow> distinct_messages::CreateProgress(const std::string& caption) {
    return m_pPrevious->CreateProgress(caption);
}

std::unique_ptr<CHintWindow> distinct_messages::CreateHint(const hint_popup& popup) {
    return m_pPrevious->CreateHint(popup);
}

int distinct_messages::ChooseIcon(const std::vector<icon_choice>& icons) { return m_pPrevious->ChooseIcon(icons); }

int distinct_messages::ShowCoordsDialog(coords_dialog& dialog) { return m_pPrevious->ShowCoordsDialog(dialog); }

int distinct_messages::ShowPointsList(points_list_dialog& dialog) { return m_pPrevious->ShowPointsList(dialog); }

std::string distinct_messages::ChooseCoordinateSystem(const std::string& file_name) {
    return m_pPrevious->ChooseCoordinateSystem(file_name);
}

}  // namespace platform
