#pragma once

#include <QListWidget>
#include <QPixmap>
#include <vector>

class QAction;
class QMenu;

namespace model {
class CSFLayer;
class CSFMap;
}  // namespace model

namespace app {

// The layers list of the panel: one row per layer of the map shown, in map order, except
// the icon layer. A row shows the layer's visibility picture (a click there shows or hides
// the layer), an edge unless the layer is the map's active one, a swatch of its colours and
// its name. Rows are reordered by dragging them within the list; the context menu changes
// colours and icons, marks the active layer, deletes layers and opens the attribute list.
//
// What a row draws is taken from the layer whenever the list is told the map changed, and
// kept in the row: the list never reads the map while long work may be changing it.
class CListLayers : public QListWidget {
    Q_OBJECT
public:
    // Item data roles of a row.
    enum role : int {
        role_layer_index = Qt::UserRole,  // the layer's index in the map
        role_image,                       // the row's picture in the row image list
        role_visible,
        role_active,
        role_kind,     // the layer's kind tag
        role_contour,  // colour references
        role_fill,
        role_icon,  // the picture of a point layer's icon, when it has one
    };
    // The context menu's commands, by the system's identifiers.
    enum command : int {
        ID_CONTOUR_COLOR = 32791,
        ID_FILL_COLOR = 32807,
        ID_DEFAULT_COLORS = 32808,
        ID_ICONS = 32792,
        ID_REMOVE_ICON = 32810,
        ID_ACTIVE = 32802,
        ID_DELETE = 32800,
        ID_ATTRIBUTE = 32809,
    };
    static constexpr int kRowHeight = 20;
    static constexpr int kCheckColumn = 20;

    explicit CListLayers(QWidget* parent);
    ~CListLayers() override;

    void SetMap(model::CSFMap* map);
    model::CSFMap* GetMap() const { return m_pMap; }
    void AddLayerRow(model::CSFLayer* layer);
    void Reset();
    // Stores the map's layer indices into the rows again, in map order, skipping the icon
    // layer, and takes what the rows draw from the layers afresh.
    void Renumber();
    // A row for every layer of the map but the icon layer.
    void AddAllRows();

    // The layer of a row; none for no such row.
    model::CSFLayer* layer_of(int row) const;
    const QPixmap& row_image(int row) const;

    // The context menu as it would open over the selected row, its items enabled for it.
    QMenu* context_menu();
    QAction* menu_action(command id) const;
    void update_menu();
    void run_command(command id);

    // Drag and drop from and to this list. begin_drag packs the selected row as a drag from
    // this list would; drop_at applies a drop of that data at a point of the list; end_drag
    // clears the drag state. startDrag and the drop events run through them.
    QMimeData* begin_drag();
    bool drop_at(const QMimeData* data, const QPoint& point);
    void end_drag();
    int drop_highlight() const { return m_nDropHighlight; }

    static QString mime_type();

signals:
    // A layer's look, visibility or order changed, or a layer went: the view redraws and
    // the map counts as changed since it was saved.
    void map_changed();
    // Only the view needs redrawing (the active layer changed).
    void redraw_needed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void startDrag(Qt::DropActions actions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct dragged_row {
        std::int32_t check;
        std::int32_t layer_index;
        std::int32_t image;
        QString text;
    };
    void refresh_row(QListWidgetItem* item);
    void set_highlight(int row);
    // The row a drop at the point goes to; -1 when the drop is refused there.
    int drop_row(const QPoint& point) const;
    void message(const char* text);
    // Commands act on the selected row's layer; none without a map or a selected row.
    model::CSFLayer* selected_layer() const;
    void choose_color(bool fill);
    void delete_selected();

    model::CSFMap* m_pMap = nullptr;
    std::vector<QPixmap> m_aImages;  // the 16 x 16 row images
    QPixmap m_visibility[2];
    QMenu* m_pMenu;
    int m_nDropHighlight = -1;
    // The drag under way from this list.
    bool m_bDragging = false;
    std::vector<int> m_aDragged;
};

}  // namespace app
