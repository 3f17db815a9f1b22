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

// Column alignments of a report list, with the values the system was written against.
enum : int { LVCFMT_LEFT = 0, LVCFMT_RIGHT = 1, LVCFMT_CENTER = 2 };

// The dialog in which the operator types a foothold's latitude and longitude in degrees and
// minutes. The model keeps what the fields hold and what OK does; the desktop program only
// shows it: edit fields with these texts, two buttons labelled with the hemispheres that
// toggle them, a "Don't use" check box, OK and Cancel.
class coords_dialog {
public:
    enum field : int {
        latitude_degrees,
        latitude_minutes,
        longitude_degrees,
        longitude_minutes,
        number,
        field_count
    };

    virtual ~coords_dialog();
    virtual std::string GetCaption() const = 0;
    // The text of an edit field, as the operator sees and types it.
    virtual std::string GetText(int field) const = 0;
    virtual void SetText(int field, const std::string& text) = 0;
    // "N" or "S", "E" or "W": the labels of the hemisphere buttons.
    virtual std::string GetLatitudeHemisphere() const = 0;
    virtual std::string GetLongitudeHemisphere() const = 0;
    virtual void ToggleLatitudeHemisphere() = 0;
    virtual void ToggleLongitudeHemisphere() = 0;
    virtual bool GetDontUse() const = 0;
    virtual void SetDontUse(bool dontUse) = 0;
    // Checks the fields and applies them. false: a field is refused (the operator has been
    // told which range it takes) and the dialog stays open with that field focused.
    virtual bool OnOK() = 0;
    // The field refused by the last OnOK, or -1.
    virtual int GetBadField() const = 0;
};

// One column of a report list: its title, width in pixels and alignment (LVCFMT_).
struct list_column {
    std::string title;
    int width = 0;
    int format = LVCFMT_LEFT;
};

// The list of a layer's footholds: a report list with full-row selection and grid lines, and
// the buttons "Ok", "&Delete", "&Edit" and "Del All". The desktop program shows the rows, tells
// the model which row was clicked and which button was pressed, and shows the rows afresh
// after each button (they may have changed).
class points_list_dialog {
public:
    virtual ~points_list_dialog();
    virtual std::string GetCaption() const = 0;
    virtual const std::vector<list_column>& GetColumns() const = 0;
    virtual int GetRowCount() const = 0;
    virtual std::string GetText(int row, int column) const = 0;
    // The row that Delete and Edit act on, to be shown selected; -1 when there is none.
    virtual int GetSelectedRow() const = 0;
    virtual void OnClickRow(int row) = 0;
    virtual void OnDelete() = 0;
    virtual void OnEdit() = 0;
    virtual void OnDeleteAll() = 0;
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
    // The modal dialogs of the footholds; each answers IDOK or IDCANCEL. The console shows
    // neither and answers IDCANCEL at once, having changed nothing.
    virtual int ShowCoordsDialog(coords_dialog& dialog);
    virtual int ShowPointsList(points_list_dialog& dialog);
    // The coordinate system of a shapefile that names none and whose coordinates cannot be
    // degrees, as the operator types it ("EPSG:32617", WKT or a PROJ string); empty when the
    // file is to stay as it stands. The console asks nothing: --assume-crs names it there.
    virtual std::string ChooseCoordinateSystem(const std::string& file_name);
};

// The installed service; the console one when nothing else has been installed.
CUIService& ui();
// Installs a service (nullptr: the console one again) and answers the one it replaces, so
// that the caller can put it back. The caller keeps ownership.
CUIService* SetUIService(CUIService* service);

// While it lives, it stands in for the installed service and passes each distinct message
// (text, caption and style) on once, answering a repeat as the first was answered; everything
// else goes straight through. For the console, where the fitting kernel would otherwise print
// the same warning at every step of a fit.
class distinct_messages : public CUIService {
public:
    distinct_messages();
    ~distinct_messages() override;

    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;
    std::unique_ptr<CProgressWindow> CreateProgress(const std::string& caption) override;
    std::unique_ptr<CHintWindow> CreateHint(const hint_popup& popup) override;
    int ChooseIcon(const std::vector<icon_choice>& icons) override;
    int ShowCoordsDialog(coords_dialog& dialog) override;
    int ShowPointsList(points_list_dialog& dialog) override;
    std::string ChooseCoordinateSystem(const std::string& file_name) override;

private:
    struct shown {
        std::string text;
        std::string caption;
        unsigned type;
        int answer;
    };
    CUIService* m_pPrevious;         // the service that answers
    CUIService* m_pInstalledBefore;  // what SetUIService put back: nullptr for the console
    std::vector<shown> m_shown;
};

// A message under the program's own caption.
int AfxMessageBox(const std::string& text, unsigned type = MB_OK);

}  // namespace platform
