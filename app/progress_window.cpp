#include "app/progress_window.h"

#include <QVBoxLayout>

namespace app {

progress_window::progress_window(const QString& caption, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_bar(new QProgressBar(this)) {
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setMinimumWidth(320);
}

void progress_window::set_range(int lower, int upper) { m_bar->setRange(lower, upper); }

void progress_window::set_pos(int position) { m_bar->setValue(position); }

}  // namespace app
