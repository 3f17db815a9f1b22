// Reordering the layers by dragging their rows within the list.

#include <QApplication>
#include <QDataStream>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <algorithm>

#include "app/list_layers.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"

namespace app {

namespace {

constexpr int kTextSize = 256;

// Which list a drag comes from: the row indices in it mean nothing to any other list.
quint64 this_process() { return static_cast<quint64>(QCoreApplication::applicationPid()); }

}  // namespace

// The dragged rows, packed: a 0 that marks a drag from a layers list, the number of rows,
// each row's check state, layer index, image and text, and the list the drag comes from.
QMimeData* CListLayers::begin_drag() {
    const auto selected = selectedItems();
    if (selected.isEmpty() || !m_pMap) return nullptr;
    m_aDragged.clear();
    for (QListWidgetItem* item : selected) m_aDragged.push_back(row(item));
    std::sort(m_aDragged.begin(), m_aDragged.end());
    m_bDragging = true;

    QByteArray block;
    QDataStream out(&block, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << qint32(0) << qint32(m_aDragged.size());
    for (int r : m_aDragged) {
        QListWidgetItem* row = item(r);
        QByteArray text = row->text().toUtf8().left(kTextSize - 1);
        text.append(QByteArray(kTextSize - text.size(), '\0'));
        out << qint32(row->data(role_visible).toBool() ? 1 : 0) << qint32(row->data(role_layer_index).toInt())
            << qint32(row->data(role_image).toInt());
        out.writeRawData(text.constData(), kTextSize);
    }
    out << this_process() << static_cast<quint64>(reinterpret_cast<quintptr>(this));
    auto* data = new QMimeData;
    data->setData(mime_type(), block);
    return data;
}

void CListLayers::end_drag() {
    m_bDragging = false;
    m_aDragged.clear();
    set_highlight(-1);
}

void CListLayers::startDrag(Qt::DropActions) {
    QMimeData* data = begin_drag();
    if (!data) return;
    QDrag drag(this);
    drag.setMimeData(data);
    if (QListWidgetItem* first = item(m_aDragged.front())) drag.setPixmap(viewport()->grab(visualItemRect(first)));
    drag.exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
    end_drag();
}

void CListLayers::set_highlight(int row) {
    if (m_nDropHighlight == row) return;
    m_nDropHighlight = row;
    viewport()->update();
}

int CListLayers::drop_row(const QPoint& point) const {
    if (count() == 0) return 0;
    const QPoint below = point + QPoint(0, 5);
    if (const QModelIndex index = indexAt(below); index.isValid()) return index.row();
    const QModelIndex first = indexAt(QPoint(1, 1));
    const QRect top = visualItemRect(item(first.isValid() ? first.row() : 0));
    if (below.y() < top.top()) return 0;
    // Below the rows shown: the last row (the list shows all rows from the first visible on).
    int last = first.isValid() ? first.row() : 0;
    while (last + 1 < count() && visualItemRect(item(last + 1)).top() < viewport()->height()) ++last;
    if (below.y() > visualItemRect(item(last)).bottom()) return count() - 1;
    return -1;
}

bool CListLayers::drop_at(const QMimeData* data, const QPoint& point) {
    if (!data || !data->hasFormat(mime_type()) || !m_pMap) return false;
    const int target = drop_row(point);
    if (target < 0) return false;

    QByteArray block = data->data(mime_type());
    QDataStream in(&block, QIODevice::ReadOnly);
    in.setByteOrder(QDataStream::LittleEndian);
    qint32 marker = -1, rows = 0;
    in >> marker >> rows;
    std::vector<int> indices;
    for (qint32 r = 0; r < rows && in.status() == QDataStream::Ok; ++r) {
        qint32 check = 0, layer = 0, image = 0;
        in >> check >> layer >> image;
        in.skipRawData(kTextSize);
        indices.push_back(layer);
    }
    quint64 process = 0, list = 0;
    in >> process >> list;
    const bool from_here = m_bDragging && in.status() == QDataStream::Ok && process == this_process() &&
                           list == static_cast<quint64>(reinterpret_cast<quintptr>(this));

    if (from_here && std::find(m_aDragged.begin(), m_aDragged.end(), target) != m_aDragged.end()) {
        message("An item can't be dropped onto itself");
        set_highlight(-1);
        return false;
    }
    // Rows of another list, even of the same kind, name layers of another map.
    if (marker != 0 || !from_here) {
        message(" Source control not defined");
        set_highlight(-1);
        return false;
    }

    std::vector<model::CSFLayer*> moved;
    for (int r : m_aDragged) moved.push_back(layer_of(r));
    model::CSFLayer* const goal = layer_of(target);
    const std::int32_t active_index = m_pMap->GetSelectedLayer();
    model::CSFLayer* const active = active_index >= 0 ? m_pMap->GetLayer(static_cast<std::uint32_t>(active_index)) : nullptr;
    std::uint32_t to = goal ? goal->m_nIndex : 0;
    for (model::CSFLayer* layer : moved) {
        if (!layer) continue;
        m_pMap->MoveLayer(layer->m_nIndex, std::min(to, m_pMap->GetLayerCount() - 1));
        to = layer->m_nIndex + 1;
    }
    // The active mark stays with its layer.
    if (active) m_pMap->SetSelectedLayer(static_cast<std::int32_t>(active->m_nIndex));

    set_highlight(-1);
    Reset();
    AddAllRows();
    for (int r = 0; r < count(); ++r)
        if (!moved.empty() && layer_of(r) == moved.back()) setCurrentRow(r);
    emit map_changed();
    return true;
}

void CListLayers::dragEnterEvent(QDragEnterEvent* event) {
    // Files dropped on the list are for the main window.
    if (!event->mimeData()->hasFormat(mime_type())) {
        event->ignore();
        return;
    }
    event->setDropAction(event->modifiers() & Qt::ControlModifier ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
}

void CListLayers::dragMoveEvent(QDragMoveEvent* event) {
    if (!event->mimeData()->hasFormat(mime_type())) {
        event->ignore();
        return;
    }
    const QModelIndex under = indexAt(event->position().toPoint());
    set_highlight(under.isValid() ? under.row() : -1);
    event->setDropAction(event->modifiers() & Qt::ControlModifier ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
}

void CListLayers::dragLeaveEvent(QDragLeaveEvent* event) {
    set_highlight(-1);
    event->accept();
}

void CListLayers::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasFormat(mime_type())) {
        event->ignore();
        return;
    }
    if (drop_at(event->mimeData(), event->position().toPoint())) {
        event->setDropAction(event->modifiers() & Qt::ControlModifier ? Qt::CopyAction : Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace app
