#include "app/left_panel.h"

#include <QVBoxLayout>

#include "app/list_layers.h"

namespace app {

CLeftPanel::CLeftPanel(QWidget* parent) : QDockWidget(QStringLiteral("Layers"), parent) {
    setObjectName(QStringLiteral("LayersPanel"));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetFloatable);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    // The list fills the panel, 1 pixel in from the sides and 2 from the top and bottom.
    layout->setContentsMargins(1, 2, 1, 2);
    m_pList = new CListLayers(client);
    layout->addWidget(m_pList);
    setWidget(client);
}

}  // namespace app
