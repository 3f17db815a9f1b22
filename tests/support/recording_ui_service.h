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

    void answer_next(int answer) { answers_.push_back(answer); }
    const std::vector<message>& messages() const { return messages_; }
    void clear() { messages_.clear(); }

private:
    platform::CUIService* previous_;
    std::deque<int> answers_;
    std::vector<message> messages_;
};

}  // namespace test_support
