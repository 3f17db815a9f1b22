#include "app/attribute_list_dlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "app/pictures.h"
#include "app/system_text.h"
#include "map/sf_layer.h"

namespace app {

namespace {

class row_drawing : public QStyledItemDelegate {
public:
    explicit row_drawing(CListCtrlEx* list) : QStyledItemDelegate(list), m_list(list), m_check(check_mark_picture()) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& palette = option.palette;
        painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
        painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
        const int column = index.column();
        const CAttributeRows* rows = m_list->get_rows();
        if (column == 0) {
            const QRect text = option.rect.adjusted(4, 0, -4, 0);
            const QString shown = option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, text.width());
            painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, shown);
            return;
        }
        if (!rows || index.row() >= rows->GetCount()) return;
        const tagAtrItem& item = rows->GetItem(index.row());
        if ((column == 1 && item.save) || (column == 2 && item.draw))
            painter->drawPixmap(option.rect.center().x() - 8, option.rect.top() + 1, m_check);
    }

private:
    CListCtrlEx* m_list;
    QPixmap m_check;
};

}  // namespace

CListCtrlEx::CListCtrlEx(QWidget* parent) : QTableWidget(parent) {
    setItemDelegate(new row_drawing(this));
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(18);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

CAttributeListDlg::CAttributeListDlg(model::CSFMap* map, QWidget* parent)
    : QDialog(parent), m_pMap(map), m_pList(new CListCtrlEx(this)) {
    setWindowTitle(QStringLiteral("Attribute"));
    m_pList->setColumnCount(3);
    const struct {
        const char* title;
        int width;
        Qt::Alignment align;
    } columns[] = {{"Name", 280, Qt::AlignLeft}, {"Save", 40, Qt::AlignCenter}, {"Draw", 40, Qt::AlignCenter}};
    for (int c = 0; c < 3; ++c) {
        auto* header = new QTableWidgetItem(QString::fromLatin1(columns[c].title));
        header->setTextAlignment(columns[c].align | Qt::AlignVCenter);
        m_pList->setHorizontalHeaderItem(c, header);
        m_pList->setColumnWidth(c, columns[c].width);
    }
    m_pList->setMinimumSize(280 + 40 + 40 + 24, 240);
    connect(m_pList, &QTableWidget::cellClicked, this, &CAttributeListDlg::click_cell);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pList);
    layout->addWidget(buttons);
}

void CAttributeListDlg::fill() {
    m_rows.Fill(m_pMap, m_nFilter);
    m_pList->set_rows(&m_rows);
    m_pList->setRowCount(m_rows.GetCount());
    for (int r = 0; r < m_rows.GetCount(); ++r) {
        auto* name = new QTableWidgetItem(system_text(m_rows.GetName(r)));
        // Fields of several layers may share a name; the layer tells them apart.
        name->setToolTip(system_text(m_rows.GetItem(r).layer->m_strName));
        m_pList->setItem(r, 0, name);
        for (int c = 1; c < 3; ++c) m_pList->setItem(r, c, new QTableWidgetItem);
    }
}

int CAttributeListDlg::DoModal() {
    fill();
    return exec();
}

void CAttributeListDlg::click_cell(int row, int column) {
    if (row < 0 || row >= m_rows.GetCount()) return;
    if (column == 1) m_rows.ClickSave(row);
    else if (column == 2) m_rows.ClickDraw(row);
    else return;
    m_pList->viewport()->update();
}

void CAttributeListDlg::accept() {
    m_rows.Apply();
    QDialog::accept();
}

}  // namespace app
