#include "app/points_list_widget.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace app {

namespace {

Qt::Alignment alignment(int format) {
    switch (format) {
        case platform::LVCFMT_RIGHT: return Qt::AlignRight | Qt::AlignVCenter;
        case platform::LVCFMT_CENTER: return Qt::AlignCenter;
        default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

}  // namespace

points_list_widget::points_list_widget(platform::points_list_dialog& dialog, QWidget* parent)
    : QDialog(parent), m_dialog(dialog), m_table(new QTableWidget(this)) {
    setWindowTitle(QString::fromStdString(dialog.GetCaption()));
    const auto& columns = dialog.GetColumns();
    m_table->setColumnCount(static_cast<int>(columns.size()));
    for (std::size_t c = 0; c < columns.size(); ++c) {
        auto* header = new QTableWidgetItem(QString::fromStdString(columns[c].title));
        header->setTextAlignment(alignment(columns[c].format));
        m_table->setHorizontalHeaderItem(static_cast<int>(c), header);
        m_table->setColumnWidth(static_cast<int>(c), columns[c].width);
    }
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(20);
    m_table->setShowGrid(true);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setMinimumHeight(220);
    connect(m_table, &QTableWidget::cellClicked, this, [this](int row, int) { m_dialog.OnClickRow(row); });

    auto* buttons = new QVBoxLayout;
    auto add = [&](const QString& text, auto action) {
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, action);
        buttons->addWidget(b);
        return b;
    };
    add(QStringLiteral("Ok"), [this] { accept(); })->setDefault(true);
    add(QStringLiteral("&Delete"), [this] { m_dialog.OnDelete(); fill(); });
    add(QStringLiteral("&Edit"), [this] { m_dialog.OnEdit(); fill(); });
    add(QStringLiteral("Del All"), [this] { m_dialog.OnDeleteAll(); fill(); });
    buttons->addStretch();
    // A double-click edits the row, as a list of this kind invites.
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        m_dialog.OnClickRow(row);
        m_dialog.OnEdit();
        fill();
    });

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    fill();
}

QPushButton* points_list_widget::button(const QString& text) const {
    for (QPushButton* b : findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

void points_list_widget::fill() {
    const int rows = m_dialog.GetRowCount();
    const auto& columns = m_dialog.GetColumns();
    m_table->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(m_dialog.GetText(r, static_cast<int>(c))));
            item->setTextAlignment(alignment(columns[c].format));
            m_table->setItem(r, static_cast<int>(c), item);
        }
    }
    // The widths are the least a column gets; the system's fonts are wider than the ones
    // they were measured for.
    int width = 0;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const int column = static_cast<int>(c);
        m_table->resizeColumnToContents(column);
        m_table->setColumnWidth(column, std::max(m_table->columnWidth(column), columns[c].width));
        width += m_table->columnWidth(column);
    }
    m_table->setMinimumWidth(width + 2 * m_table->frameWidth() + 4);
    const int selected = m_dialog.GetSelectedRow();
    if (selected >= 0) m_table->selectRow(selected);
    else m_table->clearSelection();
}

}  // namespace app
