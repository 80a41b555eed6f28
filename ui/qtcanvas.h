#pragma once

#include "model/canvas.h"
#include "ui/textextentcache.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTransform>

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

// The extent of `s` in `font` on `device` as a TQtCanvas drawing there measures it, without a painter
// (before a printer's job begins).
TSize textExtentOn(const QPaintDevice& device, const QFont& font, const std::string& s);

// TQtCanvas: the drawing surface over a QPainter, with the design's conventions. A rectangle (L, T, R, B)
// covers the columns L..R-1 and the rows T..B-1; a line does not paint its end point; text stands with
// its top-left corner at the point given, on the brush colour when the brush is solid. Primitives that lie
// wholly outside the painted area are not handed to the painter; figures that reach beyond it are cut
// there, never closed by an edge that is not theirs. Text extents are kept per font and device
// resolution for the life of the program: the same font and string always give the same extent.
//
// How it draws depends on how the painter maps the drawing onto its device:
// - one drawing pixel on one device pixel (a window at scale 1, a picture at 100 %): every pixel is set
//   exactly by the conventions above;
// - scaled pixels (a high-resolution screen, zoom, pictures at 200 %): each drawing pixel stands for a block
//   of device pixels; lines keep one width in whole device pixels, are continuous and meet at the corners,
//   and slanted lines and figures are drawn as smooth lines;
// - a vector device (SVG, PDF, a printer): lines and rectangles as such, at the centres of the pixels.
// The painter's transform and clip must stay as they were at construction while the canvas draws.
class TQtCanvas : public TCanvas
{
public:
    // Draws with `painter` (already begun on its device) in `font`; turns antialiasing off.
    TQtCanvas(QPainter& painter, const QFont& font);
    ~TQtCanvas() override;
    TQtCanvas(const TQtCanvas&) = delete;
    TQtCanvas& operator=(const TQtCanvas&) = delete;

    TSize textExtent(const std::string& s) override;

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
    enum class Mode { Pixels, Scaled, Vector };

    // One axis of the mapping from drawing to device pixels: device = scale * drawing + offset.
    struct Axis
    {
        double scale = 1;
        double offset = 0;
        int at(double x) const;
        // Width in device pixels of a line `penWidth` drawing pixels wide: whole pixels, at least one.
        int width(int penWidth) const;
        // First device pixel of the line `penWidth` wide that is centred on drawing pixel `pixel`.
        int lineStart(int pixel, int penWidth) const;
    };

    QPen qtPen() const;
    // A one-pixel pen in the pen colour for single pixels.
    QPen pointPen() const;
    // The pen for device pixels (scaled mode): the line width in device pixels.
    QPen devicePen() const;
    void useDevicePixels();
    void useDrawingCoordinates();
    // The columns left..right-1 and rows top..bottom-1 filled with `colour`, clipped to the painted area.
    void fillSpan(int left, int top, int right, int bottom, TColor colour);
    // A line of the pen over the columns left..right-1 of row `y`, or over the rows top..bottom-1 of
    // column `x`, cut to the painted area.
    void horizontalRun(int left, int right, int y);
    void verticalRun(int x, int top, int bottom);
    // Scaled mode: the device rectangle of the pen's line over the drawing columns left..right-1 and rows
    // top..bottom-1 (one of the two ranges a single pixel), in dots when the pen is dotted.
    void deviceRun(int left, int top, int right, int bottom);
    // The outline of a rectangle with the pen: its four edges, each cut to the painted area on its own.
    void outline(int left, int top, int right, int bottom);
    // A slanted or wide line, or a polyline that is not made of one-pixel runs, through QPainter.
    void strokedLine(const std::vector<TPoint>& points);
    // The centre of drawing pixel `p` where the pen's line through it runs, in the painter's coordinates
    // of the current mode.
    QPointF centreOf(TPoint p) const;
    // True when the box (inclusive bounds) around a primitive lies wholly outside the painted area.
    bool outside(int left, int top, int right, int bottom) const;

    QPainter& m_painter;
    QFontMetrics m_metrics;
    Mode m_mode = Mode::Pixels;
    Axis m_x;
    Axis m_y;
    QTransform m_world;    // the painter's transform as the caller set it: drawing coordinates
    QTransform m_toDevice; // the transform under which the painter draws in device pixels
    bool m_inDevice = false;
    TExtentCache* m_extents;
    TRect m_area;
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
