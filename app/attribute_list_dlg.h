#pragma once

#include <QDialog>
#include <QTableWidget>

#include "app/attribute_rows.h"

namespace model {
class CSFMap;
}

namespace app {

// A report list drawn row by row: the whole row in the selection or window colours, column 0
// the text cut with an ellipsis where it does not fit, columns 1 and 2 a check mark centred
// when the row's Save or Draw flag is set.
class CListCtrlEx : public QTableWidget {
    Q_OBJECT
public:
    explicit CListCtrlEx(QWidget* parent);

    // Where the flags of a row come from.
    void set_rows(const CAttributeRows* rows) { m_pRows = rows; }
    const CAttributeRows* get_rows() const { return m_pRows; }

private:
    const CAttributeRows* m_pRows = nullptr;
};

// "Attribute": the fields of the map's point layers with their Save and Draw choices.
class CAttributeListDlg : public QDialog {
    Q_OBJECT
public:
    CAttributeListDlg(model::CSFMap* map, QWidget* parent);

    // Only the layer of that index; -1 (as made): every layer.
    void SetLayerFilter(std::int32_t layer) { m_nFilter = layer; }
    int DoModal();

    CListCtrlEx* list() const { return m_pList; }
    // A click in the row's cell of column 1 (Save) or 2 (Draw).
    void click_cell(int row, int column);

    void accept() override;

private:
    void fill();

    model::CSFMap* m_pMap;
    std::int32_t m_nFilter = -1;
    CAttributeRows m_rows;
    CListCtrlEx* m_pList;
};

}  // namespace app
