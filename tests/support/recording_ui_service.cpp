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

namespace test_support {
namespace {

// Writes what happens to it into the recorder's list, found by position since the list
// may grow while the window lives.
class recorded_progress : public platform::CProgressWindow {
public:
    recorded_progress(std::vector<recording_ui::progress>& log, std::size_t at) : log_(log), at_(at) {}
    ~recorded_progress() override { log_[at_].closed = true; }
    void SetRange(int lower, int upper) override {
        log_[at_].lower = lower;
        log_[at_].upper = upper;
    }
    void SetPos(int position) override { log_[at_].positions.push_back(position); }

private:
    std::vector<recording_ui::progress>& log_;
    std::size_t at_;
};

}  // namespace

std::unique_ptr<platform::CProgressWindow> recording_ui::CreateProgress(const std::string& caption) {
    progress_.push_back({caption, 0, 0, {}, false});
    return std::make_unique<recorded_progress>(progress_, progress_.size() - 1);
}

}  // namespace test_support

namespace test_support {
namespace {

class recorded_hint : public platform::CHintWindow {
public:
    recorded_hint(std::vector<recording_ui::hint>& log, std::size_t at, const std::function<void(std::size_t)>& tick)
        : log_(log), at_(at), tick_(tick) {}
    int DoModal() override {
        if (tick_ && !log_[at_].ended) tick_(at_);
        return log_[at_].ended ? log_[at_].result : platform::IDCANCEL;
    }
    void EndDialog(int result) override {
        log_[at_].ended = true;
        log_[at_].result = result;
    }

private:
    std::vector<recording_ui::hint>& log_;
    std::size_t at_;
    std::function<void(std::size_t)> tick_;
};

}  // namespace

std::unique_ptr<platform::CHintWindow> recording_ui::CreateHint(const platform::hint_popup& popup) {
    hints_.push_back({popup.lines, popup.rect, false, 0});
    return std::make_unique<recorded_hint>(hints_, hints_.size() - 1, hint_tick_);
}

std::string recording_ui::ChooseCoordinateSystem(const std::string& file_name) {
    crs_questions_.push_back(file_name);
    if (crs_answers_.empty()) return {};
    std::string answer = crs_answers_.front();
    crs_answers_.pop_front();
    return answer;
}

int recording_ui::ChooseIcon(const std::vector<platform::icon_choice>& icons) {
    choosers_.push_back(icons);
    if (icon_answers_.empty()) return -1;
    const int answer = icon_answers_.front();
    icon_answers_.pop_front();
    return answer;
}

}  // namespace test_support

namespace test_support {

int recording_ui::ShowCoordsDialog(platform::coords_dialog& dialog) {
    coords opened{dialog.GetCaption(), {}, dialog.GetLatitudeHemisphere(), dialog.GetLongitudeHemisphere(),
                  dialog.GetDontUse()};
    for (int f = 0; f < platform::coords_dialog::field_count; ++f) opened.texts.push_back(dialog.GetText(f));
    coords_.push_back(std::move(opened));
    if (coords_answers_.empty()) return platform::IDCANCEL;
    auto answer = std::move(coords_answers_.front());
    coords_answers_.pop_front();
    return answer(dialog);
}

std::vector<std::vector<std::string>> recording_ui::rows_of(const platform::points_list_dialog& dialog) {
    std::vector<std::vector<std::string>> rows(static_cast<std::size_t>(dialog.GetRowCount()));
    for (int r = 0; r < dialog.GetRowCount(); ++r)
        for (int c = 0; c < static_cast<int>(dialog.GetColumns().size()); ++c)
            rows[static_cast<std::size_t>(r)].push_back(dialog.GetText(r, c));
    return rows;
}

int recording_ui::ShowPointsList(platform::points_list_dialog& dialog) {
    lists_.push_back({dialog.GetCaption(), dialog.GetColumns(), rows_of(dialog), dialog.GetSelectedRow()});
    if (list_answers_.empty()) return platform::IDOK;
    auto answer = std::move(list_answers_.front());
    list_answers_.pop_front();
    return answer(dialog);
}

}  // namespace test_support
