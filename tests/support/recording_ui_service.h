#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui_service.h"

namespace test_support {

// Installs itself as the process-wide service for its lifetime and records every call;
// answers what the test queued, else the default button.
class recording_ui : public platform::CUIService {
public:
    struct message {
        std::string text;
        std::string caption;
        unsigned icon;     // the MB_ICON bits
        unsigned buttons;  // the MB_ button bits
    };

    recording_ui();
    ~recording_ui() override;

    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;
    std::unique_ptr<platform::CProgressWindow> CreateProgress(const std::string& caption) override;

    // What progress windows were shown: their captions, ranges and positions, in order.
    struct progress {
        std::string caption;
        int lower = 0, upper = 0;
        std::vector<int> positions;
        bool closed = false;
    };
    const std::vector<progress>& progress_windows() const { return progress_; }

    // Hint pop-ups: their lines and place, and whether EndDialog closed them. While one is
    // shown, the function given to while_hint_shown runs (the hover timer ticking on), with
    // the position of that hint in hints(); then DoModal returns.
    struct hint {
        std::vector<std::u16string> lines;
        platform::CRect rect;
        bool ended = false;
        int result = 0;
    };
    std::unique_ptr<platform::CHintWindow> CreateHint(const platform::hint_popup& popup) override;
    const std::vector<hint>& hints() const { return hints_; }
    void while_hint_shown(std::function<void(std::size_t)> tick) { hint_tick_ = std::move(tick); }

    // Icon choosers: the captions each one listed; answered from answer_icon, else -1.
    int ChooseIcon(const std::vector<platform::icon_choice>& icons) override;
    const std::vector<std::vector<platform::icon_choice>>& icon_choosers() const { return choosers_; }
    void answer_icon(int position) { icon_answers_.push_back(position); }

    // Foothold coordinates dialogs: what each showed as it opened. The next one is handed to
    // the function queued by answer_coords, which may type into it and press OK, and whose
    // answer is the dialog's; with none queued the dialog is cancelled.
    struct coords {
        std::string caption;
        std::vector<std::string> texts;  // by coords_dialog::field
        std::string latitude_hemisphere, longitude_hemisphere;
        bool dont_use = false;
    };
    int ShowCoordsDialog(platform::coords_dialog& dialog) override;
    const std::vector<coords>& coords_dialogs() const { return coords_; }
    void answer_coords(std::function<int(platform::coords_dialog&)> answer) { coords_answers_.push_back(std::move(answer)); }

    // Foothold lists: what each showed as it opened, and the function that plays the operator
    // (queued by answer_points_list; with none the list is closed at once with IDOK).
    struct points_list {
        std::string caption;
        std::vector<platform::list_column> columns;
        std::vector<std::vector<std::string>> rows;
        int selected = -1;
    };
    int ShowPointsList(platform::points_list_dialog& dialog) override;
    const std::vector<points_list>& points_lists() const { return lists_; }
    void answer_points_list(std::function<int(platform::points_list_dialog&)> answer) {
        list_answers_.push_back(std::move(answer));
    }
    // The rows a list shows now, cell by cell.
    static std::vector<std::vector<std::string>> rows_of(const platform::points_list_dialog& dialog);

    // Questions for a shapefile's coordinate system: the file names asked about; answered
    // from answer_crs, else left as the file stands.
    std::string ChooseCoordinateSystem(const std::string& file_name) override;
    const std::vector<std::string>& crs_questions() const { return crs_questions_; }
    void answer_crs(const std::string& definition) { crs_answers_.push_back(definition); }

    void answer_next(int answer) { answers_.push_back(answer); }
    const std::vector<message>& messages() const { return messages_; }
    void clear() { messages_.clear(); }

private:
    platform::CUIService* previous_;
    std::deque<int> answers_;
    std::vector<message> messages_;
    std::vector<progress> progress_;
    std::vector<hint> hints_;
    std::function<void(std::size_t)> hint_tick_;
    std::vector<std::vector<platform::icon_choice>> choosers_;
    std::deque<int> icon_answers_;
    std::vector<coords> coords_;
    std::deque<std::function<int(platform::coords_dialog&)>> coords_answers_;
    std::vector<points_list> lists_;
    std::deque<std::function<int(platform::points_list_dialog&)>> list_answers_;
    std::vector<std::string> crs_questions_;
    std::deque<std::string> crs_answers_;
};

}  // namespace test_support
