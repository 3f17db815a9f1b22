#pragma once

#include <deque>
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

    void answer_next(int answer) { answers_.push_back(answer); }
    const std::vector<message>& messages() const { return messages_; }
    void clear() { messages_.clear(); }

private:
    platform::CUIService* previous_;
    std::deque<int> answers_;
    std::vector<message> messages_;
    std::vector<progress> progress_;
};

}  // namespace test_support
