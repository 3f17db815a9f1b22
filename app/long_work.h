#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <optional>
#include <type_traits>

class QWidget;

namespace app {

// Long work of the model (reading a big shapefile, regridding and saving, loading a map,
// importing or exporting a big picture) runs on a thread of its own, so that the windows
// keep repainting meanwhile. Input to the windows that were open when it began is dropped
// until it is done; a window with a busy bar and the caption shows when it takes more than
// a moment. The model's own messages and progress windows appear as usual (the operator's
// services bring them to the windows' thread). An exception of the work is thrown again here.
class long_work {
public:
    template <class F>
    static auto run(QWidget* parent, const QString& caption, F work) -> std::invoke_result_t<F> {
        using result = std::invoke_result_t<F>;
        if constexpr (std::is_void_v<result>) {
            run_erased(parent, caption, work);
        } else {
            std::optional<result> value;
            run_erased(parent, caption, [&] { value.emplace(work()); });
            return std::move(*value);
        }
    }

    // As run; an exception of the work is told to the operator (its reason, under the
    // program's caption) and the answer is `failed`.
    template <class R, class F>
    static R run_or(QWidget* parent, const QString& caption, R failed, F work) {
        try {
            return run(parent, caption, work);
        } catch (const std::exception& e) {
            report(e);
            return failed;
        }
    }

    // While it is true the map view shows its last picture and the hover hint rests: the
    // maps belong to the work.
    static bool is_running();

private:
    static void report(const std::exception& e);
    static void run_erased(QWidget* parent, const QString& caption, const std::function<void()>& work);
};

}  // namespace app
