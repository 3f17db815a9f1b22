#pragma once

#include <QDockWidget>

namespace app {

class CListLayers;

// The layers panel, docked on the left of the main window, holding the layers list.
class CLeftPanel : public QDockWidget {
    Q_OBJECT
public:
    explicit CLeftPanel(QWidget* parent);
    CListLayers* list() const { return m_pList; }

private:
    CListLayers* m_pList;
};

}  // namespace app
