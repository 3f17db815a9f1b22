#pragma once

#include <QDialog>
#include <QProgressBar>

namespace app {

// A window with one progress bar and a caption: the model's "Layer saving" window, and the
// one the program shows while it waits for long work. A range of 0 to 0 shows a busy bar.
class progress_window : public QDialog {
    Q_OBJECT
public:
    progress_window(const QString& caption, QWidget* parent);

    void set_range(int lower, int upper);
    void set_pos(int position);
    int get_pos() const { return m_bar->value(); }

protected:
    // The window goes when the work is done, not before.
    void reject() override {}

private:
    QProgressBar* m_bar;
};

}  // namespace app
