#include "tests/support/recording_ui_service.h"

namespace test_support {

recording_ui::recording_ui() : previous_(platform::SetUIService(this)) {}

recording_ui::~recording_ui() { platform::SetUIService(previous_); }

int recording_ui::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
    messages_.push_back({text, caption, type & platform::MB_ICONMASK, type & platform::MB_TYPEMASK});
    if (answers_.empty()) return platform::DefaultAnswer(type);
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

}  // namespace test_support
