#pragma once

#include "model/struktteile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Colours are packed 0x00BBGGRR values (red in the low byte).
using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clGray = 0x808080;

enum class TPenStyle : std::uint8_t { Solid, Dotted };
enum class TBrushStyle : std::uint8_t { Solid, Clear };

// TCanvas: the drawing surface that layout and drawing use. A rectangle (L, T, R, B) is outlined with the
// pen, filled with the brush, and covers the columns L..R-1 and the rows T..B-1; a line does not paint
// its end point; text is drawn with its top-left corner at the point given, on the brush colour, in the
// font colour. Implemented over QPainter in ui/ and by a recording canvas in the tests.
class TCanvas
{
public:
    virtual ~TCanvas() = default;

    // Width and height of `s` (code page 1252 bytes) in the current font.
    virtual TSize textExtent(const std::string& s) = 0;

    // The drawing state, which every primitive uses as it stands when the primitive is drawn.
    TColor penColor() const { return m_pen; }
    void setPenColor(TColor c) { m_pen = c; }
    int penWidth() const { return m_penWidth; }
    void setPenWidth(int w) { m_penWidth = w; }
    TPenStyle penStyle() const { return m_penStyle; }
    void setPenStyle(TPenStyle s) { m_penStyle = s; }

    TColor brushColor() const { return m_brush; }
    void setBrushColor(TColor c) { m_brush = c; }
    TBrushStyle brushStyle() const { return m_brushStyle; }
    void setBrushStyle(TBrushStyle s) { m_brushStyle = s; }

    TColor fontColor() const { return m_font; }
    void setFontColor(TColor c) { m_font = c; }

    virtual void rectangle(int left, int top, int right, int bottom) = 0;
    virtual void line(int x1, int y1, int x2, int y2) = 0;
    // Lines through the points in turn; like Line, the last point is not painted.
    virtual void polyline(const std::vector<TPoint>& points) = 0;
    // A closed figure through the points, outlined with the pen and filled with the brush.
    virtual void polygon(const std::vector<TPoint>& points) = 0;
    // The ellipse inscribed in the rectangle, outlined and filled like Rectangle.
    virtual void ellipse(int left, int top, int right, int bottom) = 0;
    virtual void textOut(int x, int y, const std::string& s) = 0;

    // The system colour for window backgrounds.
    virtual TColor windowColor() const = 0;

    // The area being painted, in the coordinates of the drawing: figures wholly outside it may be
    // skipped. The default is everything.
    virtual TRect paintArea() const { return TRect{-(1 << 30), -(1 << 30), 1 << 30, 1 << 30}; }

    // A number that two canvases share exactly when every text measures the same on both (same font,
    // same resolution), so that sizes measured on one hold for the other; 0 promises nothing, and then
    // no size is kept from one call to the next.
    virtual std::uintptr_t metricsKey() const { return 0; }

private:
    TColor m_pen = clBlack;
    int m_penWidth = 1;
    TPenStyle m_penStyle = TPenStyle::Solid;
    TColor m_brush = clWhite;
    TBrushStyle m_brushStyle = TBrushStyle::Solid;
    TColor m_font = clBlack;
};
