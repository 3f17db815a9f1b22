#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/geometry.h"

namespace platform {

// Message box styles and answers with the values the system was written against, so that
// a style reads the same here as in the operator's message table.
enum : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_ABORTRETRYIGNORE = 0x2,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_RETRYCANCEL = 0x5,
    MB_TYPEMASK = 0xF,

    MB_ICONHAND = 0x10,
    MB_ICONERROR = MB_ICONHAND,
    MB_ICONSTOP = MB_ICONHAND,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONWARNING = MB_ICONEXCLAMATION,
    MB_ICONASTERISK = 0x40,
    MB_ICONINFORMATION = MB_ICONASTERISK,
    MB_ICONMASK = 0xF0,

    MB_DEFBUTTON1 = 0x000,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
    MB_DEFMASK = 0xF00,
};

enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

// The answer of the default button of a style (MB_DEFBUTTONn of its buttons).
int DefaultAnswer(unsigned type);

// Caption of the message boxes the program shows under its own name.
inline constexpr char kApplicationTitle[] = "Plotwright";

// A modeless window with one progress bar, shown while a long operation runs.
class CProgressWindow {
public:
    virtual ~CProgressWindow();
    virtual void SetRange(int lower, int upper) = 0;
    virtual void SetPos(int position) = 0;
};

class CDC;

// The borderless pop-up of text lines that follows the mouse (the hover hint). It is shown
// modally and stays until EndDialog, which a later hover tick may call while it is shown.
struct hint_popup {
    std::vector<std::u16string> lines;
    CRect rect;  // screen position and size
    // Paints the client area; the window calls it whenever it needs painting.
    std::function<void(CDC&)> paint;
};

class CHintWindow {
public:
    virtual ~CHintWindow();
    // Runs until EndDialog and answers the result given there.
    virtual int DoModal() = 0;
    virtual void EndDialog(int result) = 0;
};

// One icon of the icon chooser: its caption and its 5-6-5 pixels, rows from the bottom up.
struct icon_choice {
    std::string caption;
    int width = 0;
    int height = 0;
    const std::uint16_t* pixels = nullptr;
};

// Everything the model asks of the operator goes through one process-wide service: the
// desktop program installs its windows, the command-line front end answers on the console,
// tests record. Further kinds of interaction join as further virtual operations.
class CUIService {
public:
    CUIService() = default;
    CUIService(const CUIService&) = delete;
    CUIService& operator=(const CUIService&) = delete;
    virtual ~CUIService();

    // A modal message: type is the buttons, the icon and the default button (MB_ values);
    // answers the button chosen (ID values).
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned type) = 0;
    // A progress window with the caption; the console shows none (nothing is drawn while a
    // command runs to its end anyway).
    virtual std::unique_ptr<CProgressWindow> CreateProgress(const std::string& caption);
    // The hint pop-up; the console has none to show, so its DoModal ends at once.
    virtual std::unique_ptr<CHintWindow> CreateHint(const hint_popup& popup);
    // The icon chooser: the position of the chosen icon in the list, -1 when none is
    // chosen. The console chooses none.
    virtual int ChooseIcon(const std::vector<icon_choice>& icons);
};

// The installed service; the console one when nothing else has been installed.
CUIService& ui();
// Installs a service (nullptr: the console one again) and answers the one it replaces, so
// that the caller can put it back. The caller keeps ownership.
CUIService* SetUIService(CUIService* service);

// A message under the program's own caption.
int AfxMessageBox(const std::string& text, unsigned type = MB_OK);

}  // namespace platform
