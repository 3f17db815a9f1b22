#pragma once

#include <QDialog>

#include "platform/ui_service.h"

class QPushButton;
class QTableWidget;

namespace app {

// "Points list" over the model's foothold list: a report list and the buttons "Ok",
// "&Delete", "&Edit" and "Del All". Clicks go to the model; after each button the rows are
// shown afresh.
class points_list_widget : public QDialog {
    Q_OBJECT
public:
    points_list_widget(platform::points_list_dialog& dialog, QWidget* parent);

    QTableWidget* table() const { return m_table; }
    QPushButton* button(const QString& text) const;

private:
    void fill();

    platform::points_list_dialog& m_dialog;
    QTableWidget* m_table;
};

}  // namespace app
