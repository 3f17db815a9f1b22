#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/color.h"
#include "platform/geometry.h"

namespace platform {

// Pen styles: only solid lines are drawn; PS_NULL draws no outline.
enum : int { PS_SOLID = 0, PS_NULL = 5 };
// Background modes for text.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
// Text alignment flags: horizontal (left, right, centre) | vertical (top, bottom, baseline).
enum : unsigned {
    TA_LEFT = 0,
    TA_TOP = 0,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_BOTTOM = 8,
    TA_BASELINE = 24,
};
// Filling of paths and polygons.
enum : int { ALTERNATE = 1, WINDING = 2 };

class CPen {
public:
    CPen(int style, int width, COLORREF color) : m_nStyle(style), m_nWidth(width), m_crColor(color) {}
    int GetStyle() const { return m_nStyle; }
    int GetWidth() const { return m_nWidth; }
    COLORREF GetColor() const { return m_crColor; }

private:
    int m_nStyle;
    int m_nWidth;
    COLORREF m_crColor;
};

class CBrush {
public:
    explicit CBrush(COLORREF color) : m_crColor(color) {}
    COLORREF GetColor() const { return m_crColor; }
    // A hollow brush fills nothing.
    static CBrush Hollow();
    bool IsHollow() const { return m_bHollow; }

private:
    COLORREF m_crColor;
    bool m_bHollow = false;
};

class CFont {
public:
    // height in pixels (its magnitude; negative asks for the character height as on the
    // original platform), weight 0..1000 (0 and 400 normal, 700 bold).
    CFont(int height, int weight, std::string face, bool italic = false)
        : m_nHeight(height), m_nWeight(weight), m_strFace(std::move(face)), m_bItalic(italic) {}
    int GetHeight() const { return m_nHeight; }
    int GetWeight() const { return m_nWeight; }
    const std::string& GetFace() const { return m_strFace; }
    bool IsItalic() const { return m_bItalic; }

private:
    int m_nHeight;
    int m_nWeight;
    std::string m_strFace;
    bool m_bItalic;
};

// Describes a packed device-independent bitmap: the information header as the file and
// memory hold it (platform/bitmap_info.h), followed by the bit-field masks or the palette.
struct dib_header_view {
    const std::uint8_t* header = nullptr;  // the information header
    std::size_t size = 0;                  // bytes readable from header on (masks, palette)
};

// The drawing surface the model and the library draw on. Coordinates are logical units;
// device = logical - window origin + viewport origin. Pens, brushes and fonts are selected
// by pointer and must outlive their selection; selecting answers the previous one.
// A context without a device (the base as constructed) draws nothing: tests derive
// recording contexts from it.
class CDC {
public:
    CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC();

    virtual CPen* SelectObject(CPen* pen);
    virtual CBrush* SelectObject(CBrush* brush);
    virtual CFont* SelectObject(CFont* font);
    CPen* GetCurrentPen() const;
    CBrush* GetCurrentBrush() const;
    CFont* GetCurrentFont() const;

    virtual CPoint MoveTo(int x, int y);
    virtual bool LineTo(int x, int y);
    CPoint GetCurrentPosition() const;
    // Outlined with the pen, filled with the brush; right and bottom exclusive.
    virtual bool Ellipse(int left, int top, int right, int bottom);
    virtual bool Polygon(const CPoint* points, int count);

    // Between BeginPath and EndPath, MoveTo/LineTo/Polygon build the path instead of drawing.
    virtual bool BeginPath();
    virtual bool EndPath();
    // Fills the path with the brush (no outline) and discards it.
    virtual bool FillPath();
    virtual int SetPolyFillMode(int mode);

    virtual bool TextOut(int x, int y, std::u16string_view text);
    virtual COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const;
    virtual unsigned SetTextAlign(unsigned align);
    virtual int SetBkMode(int mode);
    virtual COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    // Width and height of the text in the selected font.
    virtual CSize GetTextExtent(std::u16string_view text);

    // A 16-bit picture, red in bits 11-15, green 5-10, blue 0-4: width x height pixels in
    // rows from the bottom up, no padding between rows, top-left corner at (x, y).
    virtual bool DrawBitmap565(int x, int y, int width, int height, const std::uint16_t* pixels);
    // Stretches the source rectangle of a packed bitmap onto the destination rectangle. For
    // a bitmap stored bottom-up, as they normally are, the source rectangle's top is counted
    // from the bottom row. 1, 4, 8, 16, 24 and 32 bits per pixel are drawn.
    virtual bool StretchDIBits(const CRect& destination, const CRect& source, dib_header_view header,
                               const std::uint8_t* bits);
    // Copies width x height pixels from (sx, sy) of the source context to (x, y) here.
    virtual bool BitBlt(int x, int y, int width, int height, CDC* source, int sx, int sy);
    virtual void FillSolidRect(const CRect& rect, COLORREF color);
    virtual bool FillRect(const CRect& rect, const CBrush* brush);

    // The drawable area in logical units.
    virtual CRect GetClipBox() const;
    virtual CPoint SetWindowOrg(int x, int y);
    CPoint GetWindowOrg() const;
    virtual CPoint SetViewportOrg(int x, int y);
    CPoint GetViewportOrg() const;
    CPoint LPtoDP(CPoint point) const;
    CPoint DPtoLP(CPoint point) const;
    CRect LPtoDP(const CRect& rect) const;
    CRect DPtoLP(const CRect& rect) const;

    virtual bool IsPrinting() const;
    // Whether this context can be read back by BitBlt.
    virtual bool HasPixels() const;
    // Whether drawing reaches a device at all.
    bool HasDevice() const;

protected:
    struct impl;
    impl& state() const { return *m_pImpl; }
    // From now on this context draws on the other's device with the other's state (pens,
    // colours, origins, current position): two handles on one device, as an off-screen
    // painter needs for its surface. The other must outlive the sharing; none: back to this
    // context's own device and state.
    void ShareDevice(CDC* other);

private:
    std::unique_ptr<impl> m_pOwn;
    impl* m_pImpl;  // m_pOwn, or the state of the context shared with
};

}  // namespace platform
