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
};

}  // namespace test_support
