#include "platform/device_context.h"

#include <QFont>
#include <QGuiApplication>
#include <QFontMetrics>
#include <QString>
#include <algorithm>

#include "platform/device_context_impl.h"
#include "platform/dib_reader.h"

namespace platform {

QColor to_qcolor(COLORREF color) { return QColor(GetRValue(color), GetGValue(color), GetBValue(color)); }

CBrush CBrush::Hollow() {
    CBrush brush(0);
    brush.m_bHollow = true;
    return brush;
}

void CDC::impl::attach_image() {
    own_painter = std::make_unique<QPainter>(&image);
    painter = own_painter.get();
    device_bounds = QRect(0, 0, image.width(), image.height());
    apply_transform();
}

void CDC::impl::attach_painter(QPainter* external, const QRect& bounds) {
    painter = external;
    device_bounds = bounds;
    apply_transform();
}

void CDC::impl::apply_transform() {
    if (!painter) return;
    painter->setTransform(QTransform::fromTranslate(viewport_org.x - window_org.x, viewport_org.y - window_org.y));
}

namespace {

bool same_pen(const CPen& a, const CPen& b) {
    return a.GetStyle() == b.GetStyle() && a.GetWidth() == b.GetWidth() && a.GetColor() == b.GetColor();
}

bool same_font(const CFont& a, const CFont& b) {
    return a.GetHeight() == b.GetHeight() && a.GetWeight() == b.GetWeight() && a.IsItalic() == b.IsItalic() &&
           a.GetFace() == b.GetFace();
}

}  // namespace

void CDC::impl::use_pen() {
    if (!painter) return;
    if (pen_applied && same_pen(*pen, applied_pen)) return;
    applied_pen = *pen;
    pen_applied = true;
    if (pen->GetStyle() == PS_NULL) {
        painter->setPen(Qt::NoPen);
        return;
    }
    QPen p(to_qcolor(pen->GetColor()));
    p.setWidth(pen->GetWidth() <= 1 ? 0 : pen->GetWidth());
    p.setCapStyle(Qt::RoundCap);
    p.setJoinStyle(Qt::RoundJoin);
    painter->setPen(p);
}

void CDC::impl::use_brush() {
    if (!painter) return;
    if (brush_applied && brush->IsHollow() == applied_brush.IsHollow() &&
        (brush->IsHollow() || brush->GetColor() == applied_brush.GetColor()))
        return;
    applied_brush = *brush;
    brush_applied = true;
    if (brush->IsHollow())
        painter->setBrush(Qt::NoBrush);
    else
        painter->setBrush(to_qcolor(brush->GetColor()));
}

const QBrush& CDC::impl::solid(COLORREF color) {
    if (!solid_set || solid_color != color) {
        solid_brush = QBrush(to_qcolor(color));
        solid_color = color;
        solid_set = true;
    }
    return solid_brush;
}

CDC::CDC() : m_pOwn(std::make_unique<impl>()), m_pImpl(m_pOwn.get()) {}

CDC::~CDC() {
    if (m_pOwn->own_painter) m_pOwn->own_painter->end();
}

void CDC::ShareDevice(CDC* other) { m_pImpl = other ? other->m_pImpl : m_pOwn.get(); }

bool CDC::HasDevice() const { return m_pImpl->painter != nullptr; }

CPen* CDC::SelectObject(CPen* pen) {
    CPen* old = m_pImpl->pen;
    if (pen) m_pImpl->pen = pen;
    return old;
}

CBrush* CDC::SelectObject(CBrush* brush) {
    CBrush* old = m_pImpl->brush;
    if (brush) m_pImpl->brush = brush;
    return old;
}

CFont* CDC::SelectObject(CFont* font) {
    CFont* old = m_pImpl->font;
    if (font) m_pImpl->font = font;
    return old;
}

CPen* CDC::GetCurrentPen() const { return m_pImpl->pen; }
CBrush* CDC::GetCurrentBrush() const { return m_pImpl->brush; }
CFont* CDC::GetCurrentFont() const { return m_pImpl->font; }

CPoint CDC::MoveTo(int x, int y) {
    CPoint old = m_pImpl->position;
    m_pImpl->position = {x, y};
    if (m_pImpl->in_path) m_pImpl->path.moveTo(x, y);
    return old;
}

bool CDC::LineTo(int x, int y) {
    impl& s = *m_pImpl;
    CPoint from = s.position;
    s.position = {x, y};
    if (s.in_path) {
        if (s.path.elementCount() == 0) s.path.moveTo(from.x, from.y);
        s.path.lineTo(x, y);
        return true;
    }
    if (!s.painter) return false;
    s.use_pen();
    s.painter->drawLine(from.x, from.y, x, y);
    return true;
}

CPoint CDC::GetCurrentPosition() const { return m_pImpl->position; }

bool CDC::Ellipse(int left, int top, int right, int bottom) {
    impl& s = *m_pImpl;
    if (s.in_path) {
        s.path.addEllipse(QRectF(left, top, right - left, bottom - top));
        return true;
    }
    if (!s.painter) return false;
    s.use_pen();
    s.use_brush();
    // The outline stays inside the box, right and bottom exclusive.
    s.painter->drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
    return true;
}

bool CDC::Polygon(const CPoint* points, int count) {
    impl& s = *m_pImpl;
    if (!points || count < 2) return false;
    if (s.in_path) {
        s.path.moveTo(points[0].x, points[0].y);
        for (int i = 1; i < count; ++i) s.path.lineTo(points[i].x, points[i].y);
        s.path.closeSubpath();
        return true;
    }
    if (!s.painter) return false;
    s.points.clear();
    for (int i = 0; i < count; ++i) s.points.emplace_back(points[i].x, points[i].y);
    s.use_pen();
    s.use_brush();
    s.painter->drawPolygon(s.points.data(), count, s.fill_mode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    return true;
}

bool CDC::BeginPath() {
    m_pImpl->path.clear();
    m_pImpl->in_path = true;
    m_pImpl->path_ready = false;
    return true;
}

bool CDC::EndPath() {
    if (!m_pImpl->in_path) return false;
    m_pImpl->in_path = false;
    m_pImpl->path_ready = true;
    return true;
}

bool CDC::FillPath() {
    impl& s = *m_pImpl;
    if (!s.path_ready) return false;
    s.path_ready = false;
    if (s.painter && !s.brush->IsHollow()) {
        s.path.setFillRule(s.fill_mode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
        s.painter->fillPath(s.path, s.solid(s.brush->GetColor()));
    }
    // Emptied rather than replaced, so that the next path reuses its memory.
    s.path.clear();
    return s.painter != nullptr;
}

int CDC::SetPolyFillMode(int mode) {
    int old = m_pImpl->fill_mode;
    if (mode == ALTERNATE || mode == WINDING) m_pImpl->fill_mode = mode;
    return old;
}

namespace {

// Fonts need a GUI application. The desktop program makes its own; the command-line front
// end and the tests get one here, off-screen unless a display is at hand.
void ensure_gui_application() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "plotwright";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
}

QFont to_qfont(const CFont& font) {
    ensure_gui_application();
    QFont f(QString::fromStdString(font.GetFace()));
    f.setPixelSize(std::max(1, std::abs(font.GetHeight())));
    if (font.GetWeight() > 0) f.setWeight(static_cast<QFont::Weight>(std::clamp(font.GetWeight(), 1, 1000)));
    f.setItalic(font.IsItalic());
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

QString to_qstring(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

const QFont& CDC::impl::use_font() {
    if (!font_key || !same_font(*font_key, *font)) {
        font_key = *font;
        qfont = to_qfont(*font);
        metrics.emplace(qfont);
    }
    return qfont;
}

bool CDC::TextOut(int x, int y, std::u16string_view text) {
    impl& s = *m_pImpl;
    if (!s.painter) return false;
    const QFont& font = s.use_font();
    const QFontMetrics& metrics = *s.metrics;
    const QString string = to_qstring(text);
    const int width = metrics.horizontalAdvance(string);
    int left = x;
    if ((s.text_align & TA_CENTER) == TA_CENTER)
        left = x - width / 2;
    else if (s.text_align & TA_RIGHT)
        left = x - width;
    int top = y;
    if ((s.text_align & TA_BASELINE) == TA_BASELINE)
        top = y - metrics.ascent();
    else if (s.text_align & TA_BOTTOM)
        top = y - metrics.height();
    if (s.bk_mode == OPAQUE) s.painter->fillRect(QRect(left, top, width, metrics.height()), to_qcolor(s.bk_color));
    s.painter->setFont(font);
    s.painter->setPen(to_qcolor(s.text_color));
    s.forget_pen_and_brush();
    s.painter->drawText(QPoint(left, top + metrics.ascent()), string);
    return true;
}

CSize CDC::GetTextExtent(std::u16string_view text) {
    impl& s = *m_pImpl;
    s.use_font();
    return {s.metrics->horizontalAdvance(to_qstring(text)), s.metrics->height()};
}

COLORREF CDC::SetTextColor(COLORREF color) { return std::exchange(m_pImpl->text_color, color); }
COLORREF CDC::GetTextColor() const { return m_pImpl->text_color; }
unsigned CDC::SetTextAlign(unsigned align) { return std::exchange(m_pImpl->text_align, align); }
int CDC::SetBkMode(int mode) { return std::exchange(m_pImpl->bk_mode, mode); }
COLORREF CDC::SetBkColor(COLORREF color) { return std::exchange(m_pImpl->bk_color, color); }
COLORREF CDC::GetBkColor() const { return m_pImpl->bk_color; }

bool CDC::DrawBitmap565(int x, int y, int width, int height, const std::uint16_t* pixels) {
    impl& s = *m_pImpl;
    if (!s.painter || !pixels || width <= 0 || height <= 0) return false;
    QImage picture(width, height, QImage::Format_RGB16);
    for (int row = 0; row < height; ++row) {
        const std::uint16_t* from = pixels + static_cast<std::size_t>(height - 1 - row) * width;
        std::copy(from, from + width, reinterpret_cast<std::uint16_t*>(picture.scanLine(row)));
    }
    s.painter->drawImage(QPoint(x, y), picture);
    return true;
}

bool CDC::StretchDIBits(const CRect& destination, const CRect& source, dib_header_view header,
                        const std::uint8_t* bits) {
    impl& s = *m_pImpl;
    if (!s.painter || !bits) return false;
    dib_reader reader;
    if (!reader.open(header, bits)) return false;
    if (destination.Width() <= 0 || destination.Height() <= 0) return false;
    if (source.Width() <= 0 || source.Height() <= 0) return false;

    // Source rows counted as the bitmap stores them: for a bottom-up bitmap the source's
    // top is its distance from the bottom row. Turn it into a top-down rectangle.
    const int h = reader.height();
    QRect wanted = reader.bottom_up()
                       ? QRect(source.left, h - source.top - source.Height(), source.Width(), source.Height())
                       : QRect(source.left, source.top, source.Width(), source.Height());
    const QRect inside = wanted.intersected(QRect(0, 0, reader.width(), h));
    if (inside.isEmpty()) return true;

    // Parts of the source outside the bitmap shrink the destination in proportion.
    const double sx = double(destination.Width()) / wanted.width();
    const double sy = double(destination.Height()) / wanted.height();
    const QRectF target(destination.left + (inside.left() - wanted.left()) * sx,
                        destination.top + (inside.top() - wanted.top()) * sy, inside.width() * sx,
                        inside.height() * sy);
    const QImage picture = reader.read(inside);
    if (picture.isNull()) return false;
    s.painter->save();
    s.painter->setCompositionMode(QPainter::CompositionMode_Source);
    s.painter->drawImage(target, picture);
    s.painter->restore();
    return true;
}

bool CDC::BitBlt(int x, int y, int width, int height, CDC* source, int sx, int sy) {
    impl& s = *m_pImpl;
    if (!s.painter || !source || width <= 0 || height <= 0) return false;
    const impl& from = *source->m_pImpl;
    if (from.image.isNull()) return false;
    const CPoint corner = source->LPtoDP(CPoint{sx, sy});
    const QRect block(corner.x, corner.y, width, height);
    s.painter->save();
    s.painter->setCompositionMode(QPainter::CompositionMode_Source);
    // Within one picture the block is copied out first; between two it goes straight across.
    if (&from == &s)
        s.painter->drawImage(QPoint(x, y), from.image.copy(block));
    else
        s.painter->drawImage(QPoint(x, y), from.image, block);
    s.painter->restore();
    return true;
}

void CDC::FillSolidRect(const CRect& rect, COLORREF color) {
    if (!m_pImpl->painter) return;
    m_pImpl->painter->fillRect(QRect(rect.left, rect.top, rect.Width(), rect.Height()), to_qcolor(color));
}

bool CDC::FillRect(const CRect& rect, const CBrush* brush) {
    if (!m_pImpl->painter || !brush) return false;
    if (!brush->IsHollow()) FillSolidRect(rect, brush->GetColor());
    return true;
}

CRect CDC::GetClipBox() const {
    const QRect& b = m_pImpl->device_bounds;
    return DPtoLP(CRect{b.left(), b.top(), b.left() + b.width(), b.top() + b.height()});
}

CPoint CDC::SetWindowOrg(int x, int y) {
    CPoint old = std::exchange(m_pImpl->window_org, CPoint{x, y});
    m_pImpl->apply_transform();
    return old;
}

CPoint CDC::GetWindowOrg() const { return m_pImpl->window_org; }

CPoint CDC::SetViewportOrg(int x, int y) {
    CPoint old = std::exchange(m_pImpl->viewport_org, CPoint{x, y});
    m_pImpl->apply_transform();
    return old;
}

CPoint CDC::GetViewportOrg() const { return m_pImpl->viewport_org; }

CPoint CDC::LPtoDP(CPoint p) const {
    const impl& s = *m_pImpl;
    return {p.x - s.window_org.x + s.viewport_org.x, p.y - s.window_org.y + s.viewport_org.y};
}

CPoint CDC::DPtoLP(CPoint p) const {
    const impl& s = *m_pImpl;
    return {p.x + s.window_org.x - s.viewport_org.x, p.y + s.window_org.y - s.viewport_org.y};
}

CRect CDC::LPtoDP(const CRect& r) const {
    CPoint a = LPtoDP(CPoint{r.left, r.top}), b = LPtoDP(CPoint{r.right, r.bottom});
    return {a.x, a.y, b.x, b.y};
}

CRect CDC::DPtoLP(const CRect& r) const {
    CPoint a = DPtoLP(CPoint{r.left, r.top}), b = DPtoLP(CPoint{r.right, r.bottom});
    return {a.x, a.y, b.x, b.y};
}

bool CDC::IsPrinting() const { return m_pImpl->printing; }

bool CDC::HasPixels() const { return !m_pImpl->image.isNull(); }

}  // namespace platform
