#pragma once

#include "model/canvas.h"
#include "ui/textextentcache.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <memory>
#include <string>
#include <vector>

// The resolution printed pages are laid out at. The layout takes its fixed distances (the caption at
// (10, 10), the diagram at y = 80, margins, bars, arrow lengths) in printer pixels and only the spacing from
// the printer font; at 300 dpi the 12-point caption fits above the diagram and the figures keep the
// proportions of the screen, where at 1200 dpi they would shrink to a quarter beside the text.
inline constexpr int kPrintResolution = 300;

// The screen font: "MS Sans Serif" with a character height of 13 pixels; where it is not installed, the
// closest installed sans-serif font at the pixel size that makes the text height of "ja" 13 pixels.
QFont screenFont();
// Forgets every text extent measured so far, as at the program's start (for benchmarks of a first paint).
void forgetTextExtents();

// The printer font: "Times New Roman", 12 point, or its metric-compatible substitute Liberation Serif.
QFont printerFont();

// TQtCanvas: the drawing surface over a QPainter, with the design's conventions. A rectangle (L, T, R, B)
// covers the columns L..R-1 and the rows T..B-1; a line does not paint its end point; text stands with
// its top-left corner at the point given, on the brush colour when the brush is solid. Primitives that lie
// wholly outside the painted area are not handed to the painter. Text extents are kept per font and
// device resolution for the life of the program: the same font and string always give the same extent.
class TQtCanvas : public TCanvas
{
public:
    // Draws with `painter` (already begun on its device) in `font`; turns antialiasing off.
    TQtCanvas(QPainter& painter, const QFont& font);

    TSize textExtent(const std::string& s) override;

    TColor penColor() const override { return m_pen; }
    void setPenColor(TColor c) override { m_pen = c; }
    int penWidth() const override { return m_penWidth; }
    void setPenWidth(int w) override { m_penWidth = w; }
    TPenStyle penStyle() const override { return m_penStyle; }
    void setPenStyle(TPenStyle s) override { m_penStyle = s; }
    TColor brushColor() const override { return m_brush; }
    void setBrushColor(TColor c) override { m_brush = c; }
    TBrushStyle brushStyle() const override { return m_brushStyle; }
    void setBrushStyle(TBrushStyle s) override { m_brushStyle = s; }
    TColor fontColor() const override { return m_font; }
    void setFontColor(TColor c) override { m_font = c; }

    void rectangle(int left, int top, int right, int bottom) override;
    void line(int x1, int y1, int x2, int y2) override;
    void polyline(const std::vector<TPoint>& points) override;
    void polygon(const std::vector<TPoint>& points) override;
    void ellipse(int left, int top, int right, int bottom) override;
    void textOut(int x, int y, const std::string& s) override;

    // The palette's colour for the background of windows' contents.
    TColor windowColor() const override;
    // The device's area, within the painter's clip, in the painter's coordinates.
    TRect paintArea() const override { return m_area; }
    // One extent cache per font and resolution: its address tells the metrics apart.
    std::uintptr_t metricsKey() const override { return reinterpret_cast<std::uintptr_t>(m_extents); }

    QPainter& painter() { return m_painter; }

private:
    QPen qtPen() const;
    // A one-pixel pen in the pen colour for single pixels.
    QPen pointPen() const;
    // The columns left..right-1 and rows top..bottom-1 filled with `colour`, clipped to the painted area.
    void fillSpan(int left, int top, int right, int bottom, TColor colour);
    // A one-pixel-wide span of a line in the pen colour and style.
    void penSpan(int left, int top, int right, int bottom);
    // The outline of a rectangle with the pen.
    void outline(int left, int top, int right, int bottom);
    // True when the box (inclusive bounds) around a primitive lies wholly outside the painted area.
    bool outside(int left, int top, int right, int bottom) const;

    QPainter& m_painter;
    QFontMetrics m_metrics;
    bool m_raster = true; // painting into pixels (dotted lines by pixel parity), not a vector format
    TExtentCache* m_extents;
    TRect m_area;
    TColor m_pen = clBlack;
    int m_penWidth = 1;
    TPenStyle m_penStyle = TPenStyle::Solid;
    TColor m_brush = clWhite;
    TBrushStyle m_brushStyle = TBrushStyle::Solid;
    TColor m_font = clBlack;
};

// A canvas with the screen font on a small image, for measuring and hit testing outside a paint.
class TQtMeasureCanvas
{
public:
    TQtMeasureCanvas();
    TCanvas& canvas() { return *m_canvas; }

private:
    QImage m_image;
    QPainter m_painter;
    std::unique_ptr<TQtCanvas> m_canvas;
};

QColor toQColor(TColor c);
TColor fromQColor(const QColor& c);
