#include "app/list_layers.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <optional>
#include <qdrawutil.h>

#include "app/attribute_list_dlg.h"
#include "app/hint_window.h"
#include "app/operator_choices.h"
#include "app/pictures.h"
#include "app/system_text.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "platform/ui_service.h"
#include "vector/layer_point.h"
#include "vector/layer_polygon.h"
#include "vector/select_icon_dlg.h"

namespace app {

namespace {

bool is_point(const model::CSFLayer* layer) { return dynamic_cast<const model::CSFLayerPoint*>(layer) != nullptr; }
bool is_rre(const model::CSFLayer* layer) { return layer && layer->m_nKind == model::kLayerRRE; }

// A row drawn as the list has always drawn it: visibility picture, edge, swatch, name.
class row_drawing : public QStyledItemDelegate {
public:
    row_drawing(CListLayers* list, const QPixmap* visibility)
        : QStyledItemDelegate(list), m_list(list), m_visibility(visibility) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {100, CListLayers::kRowHeight};
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        using L = CListLayers;
        const QRect row = option.rect;
        const QPalette& palette = option.palette;
        p->save();
        p->drawPixmap(row.left(), row.top(), m_visibility[index.data(L::role_visible).toBool() ? 0 : 1]);
        int x = row.left() + 22;
        const QRect edge(x, row.top(), row.right() + 1 - x, row.height());
        if (!index.data(L::role_active).toBool()) qDrawShadePanel(p, edge, palette, false, 1);
        x += 2;
        const auto kind = index.data(L::role_kind).toUInt();
        const QPixmap icon = index.data(L::role_icon).value<QPixmap>();
        if (kind != model::kLayerRRE && kind != model::kLayerPoint) {
            p->setPen(QPen(to_qcolor(index.data(L::role_contour).toUInt()), 3));
            p->setBrush(to_qcolor(index.data(L::role_fill).toUInt()));
            p->drawRect(QRect(x + 1, row.top() + 3, 14, 14));
            x += 20;
        } else if (!icon.isNull()) {
            // A point layer shows its icon where other layers show their colours.
            p->drawPixmap(QRect(x, row.top() + 2, 16, 16), icon);
            x += 20;
        }
        const bool selected = (option.state & QStyle::State_Selected) || index.row() == m_list->drop_highlight();
        const QRect rest(x, row.top() + 1, row.right() - x, row.height() - 2);
        p->fillRect(rest, selected ? palette.highlight() : palette.base());
        p->setPen(selected ? palette.highlightedText().color() : palette.text().color());
        p->drawText(rest.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                    option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, rest.width() - 4));
        p->restore();
    }

private:
    CListLayers* m_list;
    const QPixmap* m_visibility;
};

}  // namespace

CListLayers::CListLayers(QWidget* parent) : QListWidget(parent), m_pMenu(new QMenu(this)) {
    m_visibility[0] = visibility_picture(0);
    m_visibility[1] = visibility_picture(1);
    setItemDelegate(new row_drawing(this, m_visibility));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    QPalette p = palette();
    p.setColor(QPalette::Base, p.color(QPalette::Midlight));
    setPalette(p);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);

    const struct {
        const char* text;
        command id;
    } items[] = {{"Contour color", ID_CONTOUR_COLOR}, {"Filling color", ID_FILL_COLOR},
                 {"Set default colors", ID_DEFAULT_COLORS}, {nullptr, ID_DELETE},
                 {"Icons", ID_ICONS}, {"Remove icon", ID_REMOVE_ICON}, {nullptr, ID_DELETE},
                 {"Active", ID_ACTIVE}, {nullptr, ID_DELETE},
                 {"Delete", ID_DELETE}, {"Attribute", ID_ATTRIBUTE}};
    for (const auto& item : items) {
        if (!item.text) {
            m_pMenu->addSeparator();
            continue;
        }
        QAction* action = m_pMenu->addAction(QString::fromLatin1(item.text));
        action->setData(static_cast<int>(item.id));
        connect(action, &QAction::triggered, this, [this, id = item.id] { run_command(id); });
    }
}

CListLayers::~CListLayers() = default;

void CListLayers::SetMap(model::CSFMap* map) { m_pMap = map; }

void CListLayers::AddLayerRow(model::CSFLayer* layer) {
    if (!layer) return;
    QPixmap image;
    auto* point = dynamic_cast<model::CSFLayerPoint*>(layer);
    if (model::CPicture* icon = point && m_pMap ? m_pMap->GetIcon(point->m_nIcon) : nullptr) {
        image = picture_pixmap(*icon);
    } else {
        image = QPixmap(16, 16);
        image.fill(to_qcolor(layer->m_crContour));
    }
    m_aImages.push_back(image);
    auto* item = new QListWidgetItem(system_text(layer->m_strName));
    item->setData(role_layer_index, static_cast<int>(layer->m_nIndex));
    item->setData(role_image, static_cast<int>(m_aImages.size() - 1));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    addItem(item);
    refresh_row(item);
}

void CListLayers::Reset() {
    clear();
    m_aImages.clear();
    m_nDropHighlight = -1;
}

void CListLayers::AddAllRows() {
    if (!m_pMap) return;
    for (std::uint32_t i = 0; i < m_pMap->GetLayerCount(); ++i)
        if (static_cast<std::int32_t>(i) != m_pMap->m_nIconsLayer) AddLayerRow(m_pMap->GetLayer(i));
}

void CListLayers::Renumber() {
    if (!m_pMap) return;
    int row = 0;
    for (std::uint32_t i = 0; i < m_pMap->GetLayerCount() && row < count(); ++i) {
        if (static_cast<std::int32_t>(i) == m_pMap->m_nIconsLayer) continue;
        item(row)->setData(role_layer_index, static_cast<int>(i));
        refresh_row(item(row));
        ++row;
    }
}

void CListLayers::refresh_row(QListWidgetItem* row) {
    const model::CSFLayer* layer = layer_of(this->row(row));
    if (!layer) return;
    row->setText(system_text(layer->m_strName));
    row->setData(role_visible, layer->IsVisible());
    row->setData(role_active, m_pMap->GetSelectedLayer() == static_cast<std::int32_t>(layer->m_nIndex));
    row->setData(role_kind, layer->m_nKind);
    row->setData(role_contour, layer->m_crContour);
    row->setData(role_fill, layer->m_crFill);
    const auto* point = dynamic_cast<const model::CSFLayerPoint*>(layer);
    const model::CPicture* icon = point ? m_pMap->GetIcon(point->m_nIcon) : nullptr;
    row->setData(role_icon, icon ? picture_pixmap(*icon) : QPixmap());
}

model::CSFLayer* CListLayers::layer_of(int row) const {
    if (!m_pMap || row < 0 || row >= count()) return nullptr;
    return m_pMap->GetLayer(static_cast<std::uint32_t>(item(row)->data(role_layer_index).toInt()));
}

const QPixmap& CListLayers::row_image(int row) const {
    static const QPixmap none;
    if (row < 0 || row >= count()) return none;
    const int image = item(row)->data(role_image).toInt();
    return image >= 0 && static_cast<std::size_t>(image) < m_aImages.size() ? m_aImages[static_cast<std::size_t>(image)]
                                                                             : none;
}

void CListLayers::mousePressEvent(QMouseEvent* event) {
    // The check box column: the row under the press is shown or hidden.
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier && at.x() < kCheckColumn) {
        const int row = indexAt(at).row();
        if (model::CSFLayer* layer = count() > 0 ? layer_of(row) : nullptr) {
            layer->SetVisible(!layer->IsVisible());
            refresh_row(item(row));
            emit map_changed();
        }
    }
    QListWidget::mousePressEvent(event);
}

model::CSFLayer* CListLayers::selected_layer() const {
    const auto selected = selectedItems();
    return selected.isEmpty() ? nullptr : layer_of(row(selected.front()));
}

QAction* CListLayers::menu_action(command id) const {
    for (QAction* action : m_pMenu->actions())
        if (!action->isSeparator() && action->data().toInt() == id) return action;
    return nullptr;
}

void CListLayers::update_menu() {
    const model::CSFLayer* layer = selected_layer();
    if (!layer) return;
    auto set = [this](command id, bool on) { menu_action(id)->setEnabled(on); };
    const bool rre = is_rre(layer);
    const bool point_with_icons = is_point(layer) && m_pMap->m_nIconsLayer >= 0;
    const bool polygon = dynamic_cast<const model::CSFLayerPolygon*>(layer) != nullptr;
    set(ID_CONTOUR_COLOR, !rre && !point_with_icons);
    set(ID_FILL_COLOR, polygon && layer->IsFilled());
    // Point layers with icons and RRE layers leave "Set default colors" as it was.
    if (!rre && !point_with_icons) set(ID_DEFAULT_COLORS, true);
    set(ID_ICONS, point_with_icons);
    set(ID_REMOVE_ICON, point_with_icons);
    set(ID_ACTIVE, point_with_icons);
    set(ID_DELETE, true);
    set(ID_ATTRIBUTE, true);
}

QMenu* CListLayers::context_menu() {
    update_menu();
    return m_pMenu;
}

void CListLayers::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_pMap || count() == 0) return;
    if (QListWidgetItem* under = itemAt(event->pos())) setCurrentItem(under);
    context_menu()->exec(event->globalPos());
}

void CListLayers::message(const char* text) { platform::AfxMessageBox(text); }

void CListLayers::run_command(command id) {
    model::CSFLayer* layer = selected_layer();
    if (!layer) return;
    auto* point = dynamic_cast<model::CSFLayerPoint*>(layer);
    const bool plain = !is_rre(layer) && !point;
    switch (id) {
        case ID_CONTOUR_COLOR:
        case ID_FILL_COLOR:
            if (plain) choose_color(id == ID_FILL_COLOR);
            return;
        case ID_DEFAULT_COLORS:
            if (!plain) return;
            layer->m_crContour = model::kDefaultContour;
            layer->m_crFill = model::kDefaultFill;
            break;
        case ID_ICONS: {
            model::CSelectIconDlg chooser(m_pMap);
            const int chosen = chooser.DoModal();
            if (chosen < 0 || !point) return;
            point->m_nIcon = chosen;
            if (model::CPicture* icon = m_pMap->GetIcon(chosen)) {
                const int image = currentItem()->data(role_image).toInt();
                if (image >= 0 && static_cast<std::size_t>(image) < m_aImages.size())
                    m_aImages[static_cast<std::size_t>(image)] = picture_pixmap(*icon);
            }
            break;
        }
        case ID_REMOVE_ICON:
            if (!point) return;
            point->m_nIcon = -1;
            break;
        case ID_ACTIVE:
            m_pMap->SetSelectedLayer(static_cast<std::int32_t>(layer->m_nIndex));
            Renumber();
            emit redraw_needed();
            return;
        case ID_DELETE: delete_selected(); return;
        case ID_ATTRIBUTE: {
            CAttributeListDlg dialog(m_pMap, window());
            dialog.SetLayerFilter(static_cast<std::int32_t>(layer->m_nIndex));
            if (dialog.DoModal() != QDialog::Accepted) return;
            break;
        }
    }
    Renumber();
    emit map_changed();
}

void CListLayers::choose_color(bool fill) {
    model::CSFLayer* layer = selected_layer();
    platform::COLORREF& color = fill ? layer->m_crFill : layer->m_crContour;
    const std::optional<QColor> chosen = choices().color(window(), to_qcolor(color));
    if (!chosen) return;
    color = to_colorref(*chosen);
    Renumber();
    emit map_changed();
}

void CListLayers::delete_selected() {
    model::CSFLayer* layer = selected_layer();
    // The hint on the screen may belong to this very layer, whose code is still running
    // below on the stack; the layer goes once that hint has closed.
    hint_window::when_settled(this, [this, layer] {
        int row = -1;
        for (int r = 0; r < count() && row < 0; ++r)
            if (layer_of(r) == layer) row = r;
        if (row < 0) return;
        const auto index = static_cast<std::int32_t>(layer->m_nIndex);
        if (m_pMap->RemoveLayer(static_cast<std::uint32_t>(index)) != model::layer_removed) return;
        // The active mark stays with its layer, or goes with the layer deleted.
        const std::int32_t active = m_pMap->GetSelectedLayer();
        if (active == index) m_pMap->SetSelectedLayer(-1);
        else if (active > index) m_pMap->SetSelectedLayer(active - 1);
        delete takeItem(row);
        Renumber();
        emit map_changed();
    });
}

QString CListLayers::mime_type() { return QStringLiteral("application/x-plotwright-layer-rows"); }

}  // namespace app
