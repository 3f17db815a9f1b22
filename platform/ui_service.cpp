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

}  // namespace platform
