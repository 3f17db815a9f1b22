#include "app/icon_chooser.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPalette>
#include <QVBoxLayout>

#include "app/pictures.h"

namespace app {

icon_chooser::icon_chooser(const std::vector<platform::icon_choice>& icons, QWidget* parent)
    : QDialog(parent), m_list(new QListWidget(this)) {
    setWindowTitle(QStringLiteral("Icons"));
    m_list->setViewMode(QListView::IconMode);
    m_list->setIconSize(QSize(16, 16));
    m_list->setGridSize(QSize(72, 44));
    m_list->setResizeMode(QListView::Adjust);
    m_list->setMovement(QListView::Static);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Light));
    m_list->setPalette(palette);
    for (const platform::icon_choice& icon : icons) {
        const QPixmap pixmap = pixels_565_pixmap(icon.pixels, icon.width, icon.height);
        m_list->addItem(new QListWidgetItem(QIcon(pixmap.scaled(16, 16)), QString::fromStdString(icon.caption)));
    }
    m_list->setCurrentRow(-1);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &icon_chooser::accept);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &icon_chooser::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(360, 260);
}

void icon_chooser::accept() {
    m_nChosen = -1;
    const auto selected = m_list->selectedItems();
    if (!selected.isEmpty()) m_nChosen = m_list->row(selected.back());
    QDialog::accept();
}

}  // namespace app
