#pragma once

#include <QDialog>
#include <vector>

#include "platform/ui_service.h"

class QListWidget;

namespace app {

// The icon chooser: one item per icon at 16 x 16 pixels with its caption. OK, or a
// double-click, chooses the selected item; the answer is its position, -1 for none.
class icon_chooser : public QDialog {
    Q_OBJECT
public:
    icon_chooser(const std::vector<platform::icon_choice>& icons, QWidget* parent);

    QListWidget* list() const { return m_list; }
    int chosen() const { return m_nChosen; }

    void accept() override;

private:
    QListWidget* m_list;
    int m_nChosen = -1;
};

}  // namespace app
