#include "ui/qtcanvas.h"

#include "ui/cp1252.h"
#include "ui/longtext.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPalette>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <map>

namespace {

constexpr int kScreenTextHeight = 13;
// Primitives are clipped to the painted area widened by this much, more than any pen reaches.
constexpr int kClipMargin = 16;

QString firstInstalled(std::initializer_list<const char*> families)
{
    const QStringList installed = QFontDatabase::families();
    for (const char* family : families) {
        if (installed.contains(QString::fromLatin1(family), Qt::CaseInsensitive))
            return QString::fromLatin1(family);
    }
    return {};
}

std::map<QString, TExtentCache>& extentCaches()
{
    static std::map<QString, TExtentCache> caches;
    return caches;
}

// The extent cache of one font on devices of one resolution.
TExtentCache& extentCache(const QFont& font, const QPaintDevice* device)
{
    std::map<QString, TExtentCache>& caches = extentCaches();
    const int dpiX = device ? device->logicalDpiX() : 0;
    const int dpiY = device ? device->logicalDpiY() : 0;
    const QString key = font.key() + QStringLiteral("@%1x%2").arg(dpiX).arg(dpiY);
    if (const auto found = caches.find(key); found != caches.end())
        return found->second;
    return caches.try_emplace(key, font, device).first->second;
}

// The device's area in the coordinates its painter starts with: a widget's in its own pixels, an image's,
// a pixmap's or a printer's in device pixels divided by the device's pixel ratio.
QRectF logicalArea(const QPaintDevice* device)
{
    if (!device)
        return {};
    const qreal ratio = device->devType() == QInternal::Widget ? 1.0 : device->devicePixelRatioF();
    return QRectF(0, 0, device->width() / ratio, device->height() / ratio);
}

} // namespace

void forgetTextExtents()
{
    for (auto& [key, cache] : extentCaches())
        cache.clear();
}

TSize textExtentOn(const QPaintDevice& device, const QFont& font, const std::string& s)
{
    return extentCache(font, &device).extent(s);
}

QFont screenFont()
{
    static const QFont font = [] {
        // The first of these families that has a size with the text height 13; failing that, the first
        // installed one at the size whose height comes closest.
        const QStringList installed = QFontDatabase::families();
        QFont closest;
        int closestMiss = -1;
        for (const char* name : {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arial",
                                 "DejaVu Sans", "FreeSans"}) {
            const QString family = QString::fromLatin1(name);
            if (!installed.contains(family, Qt::CaseInsensitive))
                continue;
            QFont f(family);
            for (int pixels = 6; pixels <= 24; ++pixels) {
                f.setPixelSize(pixels);
                const int miss = std::abs(QFontMetrics(f).height() - kScreenTextHeight);
                if (miss == 0)
                    return f;
                if (closestMiss < 0 || miss < closestMiss) {
                    closest = f;
                    closestMiss = miss;
                }
            }
        }
        if (closestMiss < 0) {
            closest.setStyleHint(QFont::SansSerif);
            closest.setPixelSize(11);
        }
        return closest;
    }();
    return font;
}

QFont printerFont()
{
    static const QFont font = [] {
        QFont f;
        const QString family = firstInstalled({"Times New Roman", "Liberation Serif"});
        if (family.isEmpty())
            f.setStyleHint(QFont::Serif);
        else
            f.setFamily(family);
        f.setPointSize(12);
        return f;
    }();
    return font;
}

QColor toQColor(TColor c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

TColor fromQColor(const QColor& c)
{
    return static_cast<TColor>(c.red()) | static_cast<TColor>(c.green()) << 8 |
           static_cast<TColor>(c.blue()) << 16;
}

int TQtCanvas::Axis::at(double x) const
{
    return static_cast<int>(std::floor(scale * x + offset + 0.5));
}

int TQtCanvas::Axis::width(int penWidth) const
{
    return std::max(1, static_cast<int>(std::lround(scale * std::max(1, penWidth))));
}

int TQtCanvas::Axis::lineStart(int pixel, int penWidth) const
{
    return static_cast<int>(std::floor(scale * (pixel + 0.5) + offset - width(penWidth) / 2.0 + 0.5));
}

TQtCanvas::TQtCanvas(QPainter& painter, const QFont& font)
    : m_painter(painter), m_metrics(font, painter.device()), m_extents(&extentCache(font, painter.device()))
{
    m_painter.setFont(font);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);

    // The whole mapping from drawing coordinates to device pixels, a screen's pixel ratio included.
    const QTransform full = painter.deviceTransform();
    m_world = painter.worldTransform();
    m_toDevice = full.inverted() * m_world;
    m_x = Axis{full.m11(), full.dx()};
    m_y = Axis{full.m22(), full.dy()};
    const bool raster = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
    const bool axisAligned = full.type() <= QTransform::TxScale && full.m11() > 0 && full.m22() > 0;
    const auto whole = [](double v) { return std::abs(v - std::round(v)) < 1e-9; };
    if (!raster || !axisAligned)
        m_mode = Mode::Vector;
    else if (full.m11() == 1 && full.m22() == 1 && whole(full.dx()) && whole(full.dy()))
        m_mode = Mode::Pixels;
    else
        m_mode = Mode::Scaled;

    // The world transform: a widget's painter also carries the widget's offset in its window in the
    // device transform, but paints in the widget's own coordinates.
    QRectF area = m_world.inverted().mapRect(logicalArea(painter.device()));
    if (painter.hasClipping())
        area &= painter.clipBoundingRect();
    const QRect aligned = area.toAlignedRect();
    m_area = TRect{aligned.left(), aligned.top(), aligned.left() + aligned.width(),
                   aligned.top() + aligned.height()};
}

TQtCanvas::~TQtCanvas()
{
    if (m_inDevice && m_painter.isActive())
        m_painter.setWorldTransform(m_world);
}

TSize TQtCanvas::textExtent(const std::string& s)
{
    return m_extents->extent(s);
}

TColor TQtCanvas::windowColor() const
{
    return fromQColor(QGuiApplication::palette().color(QPalette::Base));
}

bool TQtCanvas::outside(int left, int top, int right, int bottom) const
{
    const int reach = penWidth() + 2;
    return right + reach < m_area.Left || left - reach >= m_area.Right || bottom + reach < m_area.Top ||
           top - reach >= m_area.Bottom;
}

void TQtCanvas::useDevicePixels()
{
    if (m_inDevice)
        return;
    m_painter.setWorldTransform(m_toDevice);
    m_inDevice = true;
}

void TQtCanvas::useDrawingCoordinates()
{
    if (!m_inDevice)
        return;
    m_painter.setWorldTransform(m_world);
    m_inDevice = false;
}

QPen TQtCanvas::qtPen() const
{
    QPen pen(toQColor(penColor()));
    pen.setStyle(penStyle() == TPenStyle::Dotted ? Qt::DotLine : Qt::SolidLine);
    if (m_mode == Mode::Scaled) {
        pen.setWidth(m_x.width(penWidth()));
    } else if (m_mode == Mode::Vector) {
        // In the drawing's own units, so that a printout scaled to its page keeps the proportions.
        pen.setWidthF(std::max(1, penWidth()));
    } else if (penWidth() <= 1) {
        // A cosmetic one-pixel pen with flat caps leaves out a line's end point.
        pen.setWidth(0);
        pen.setCosmetic(true);
    } else {
        pen.setWidth(penWidth());
    }
    pen.setCapStyle(penWidth() <= 1 ? Qt::FlatCap : Qt::RoundCap);
    pen.setJoinStyle(penWidth() <= 1 ? Qt::MiterJoin : Qt::RoundJoin);
    return pen;
}

QPen TQtCanvas::pointPen() const
{
    QPen pen(toQColor(penColor()), 0);
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::SquareCap);
    return pen;
}

QPointF TQtCanvas::centreOf(TPoint p) const
{
    if (m_mode != Mode::Scaled)
        return QPointF(p.x + 0.5, p.y + 0.5);
    const int w = m_x.width(penWidth());
    return QPointF(m_x.lineStart(p.x, penWidth()) + w / 2.0, m_y.lineStart(p.y, penWidth()) + w / 2.0);
}

void TQtCanvas::fillSpan(int left, int top, int right, int bottom, TColor colour)
{
    // (left, top) to (right, bottom) exclusive, clipped so that huge figures stay cheap and in range.
    left = std::max(left, m_area.Left - kClipMargin);
    top = std::max(top, m_area.Top - kClipMargin);
    right = std::min(right, m_area.Right + kClipMargin);
    bottom = std::min(bottom, m_area.Bottom + kClipMargin);
    if (right <= left || bottom <= top)
        return;
    if (m_mode == Mode::Scaled) {
        useDevicePixels();
        const int x = m_x.at(left);
        const int y = m_y.at(top);
        m_painter.fillRect(QRect(x, y, m_x.at(right) - x, m_y.at(bottom) - y), toQColor(colour));
        return;
    }
    useDrawingCoordinates();
    m_painter.fillRect(QRect(left, top, right - left, bottom - top), toQColor(colour));
}

void TQtCanvas::horizontalRun(int left, int right, int y)
{
    left = std::max(left, m_area.Left - kClipMargin);
    right = std::min(right, m_area.Right + kClipMargin);
    if (right > left && y >= m_area.Top - kClipMargin && y < m_area.Bottom + kClipMargin)
        deviceRun(left, y, right, y + 1);
}

void TQtCanvas::verticalRun(int x, int top, int bottom)
{
    top = std::max(top, m_area.Top - kClipMargin);
    bottom = std::min(bottom, m_area.Bottom + kClipMargin);
    if (bottom > top && x >= m_area.Left - kClipMargin && x < m_area.Right + kClipMargin)
        deviceRun(x, top, x + 1, bottom);
}

void TQtCanvas::deviceRun(int left, int top, int right, int bottom)
{
    const bool horizontal = bottom - top == 1 && right - left > 1;
    if (m_mode == Mode::Vector || (m_mode == Mode::Pixels && penWidth() > 1)) {
        useDrawingCoordinates();
        QPen pen = qtPen();
        if (penWidth() <= 1) {
            // Along the edge of the pixels from the first one to the end of the last one.
            m_painter.setPen(pen);
            if (horizontal)
                m_painter.drawLine(QPointF(left, top + 0.5), QPointF(right, top + 0.5));
            else
                m_painter.drawLine(QPointF(left + 0.5, top), QPointF(left + 0.5, bottom));
            return;
        }
        // A wide pen is centred on the pixels and reaches as far past the ends as to the sides, so that
        // the edges of a rectangle meet in square corners.
        pen.setCapStyle(Qt::SquareCap);
        m_painter.setPen(pen);
        m_painter.drawLine(QPointF(left + 0.5, top + 0.5), QPointF(right - 0.5, bottom - 0.5));
        return;
    }
    if (m_mode == Mode::Pixels) {
        if (penStyle() == TPenStyle::Solid) {
            fillSpan(left, top, right, bottom, penColor());
            return;
        }
        // Every other pixel, by the parity of its coordinates: the dots stay where they are however the
        // line is clipped or split.
        QList<QPoint> dots;
        for (int y = top; y < bottom; ++y) {
            for (int x = left + ((left + y) & 1); x < right; x += 2)
                dots.append(QPoint(x, y));
        }
        if (!dots.isEmpty()) {
            useDrawingCoordinates();
            m_painter.setPen(pointPen());
            m_painter.drawPoints(dots.constData(), static_cast<int>(dots.size()));
        }
        return;
    }
    // Scaled: one width in whole device pixels, from the first drawing pixel's line to the last one's.
    const int x0 = m_x.lineStart(left, penWidth());
    const int y0 = m_y.lineStart(top, penWidth());
    const QRect run(x0, y0, m_x.lineStart(right - 1, penWidth()) + m_x.width(penWidth()) - x0,
                    m_y.lineStart(bottom - 1, penWidth()) + m_y.width(penWidth()) - y0);
    useDevicePixels();
    if (penStyle() == TPenStyle::Solid) {
        m_painter.fillRect(run, toQColor(penColor()));
        return;
    }
    // Dots as long as the line is wide, one dot's length apart, placed by the device pixels' parity.
    const int dot = horizontal ? run.height() : run.width();
    const int from = horizontal ? run.left() : run.top();
    const int to = horizontal ? run.right() + 1 : run.bottom() + 1;
    QList<QRect> dots;
    for (int at = from - ((from % (2 * dot)) + 2 * dot) % (2 * dot); at < to; at += 2 * dot) {
        const int begin = std::max(at, from);
        const int end = std::min(at + dot, to);
        if (end <= begin)
            continue;
        dots.append(horizontal ? QRect(begin, run.top(), end - begin, dot)
                               : QRect(run.left(), begin, dot, end - begin));
    }
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(toQColor(penColor()));
    m_painter.drawRects(dots.constData(), static_cast<int>(dots.size()));
}

void TQtCanvas::outline(int left, int top, int right, int bottom)
{
    // The border pixels of the columns left..right-1 and rows top..bottom-1, edge by edge: where the
    // rectangle reaches past the painted area its sides are cut there, and no edge is drawn that the
    // rectangle does not have.
    horizontalRun(left, right, top);
    horizontalRun(left, right, bottom - 1);
    verticalRun(left, top + 1, bottom - 1);
    verticalRun(right - 1, top + 1, bottom - 1);
}

void TQtCanvas::rectangle(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top || outside(left, top, right - 1, bottom - 1))
        return;
    if (brushStyle() == TBrushStyle::Solid) {
        if (m_mode == Mode::Scaled) {
            // As far as the outline reaches, so that no fill shows outside it.
            const int l = std::max(left, m_area.Left - kClipMargin);
            const int t = std::max(top, m_area.Top - kClipMargin);
            const int r = std::min(right, m_area.Right + kClipMargin);
            const int b = std::min(bottom, m_area.Bottom + kClipMargin);
            const int x = m_x.lineStart(l, 1);
            const int y = m_y.lineStart(t, 1);
            useDevicePixels();
            m_painter.fillRect(QRect(x, y, m_x.lineStart(r - 1, 1) + m_x.width(1) - x,
                                     m_y.lineStart(b - 1, 1) + m_y.width(1) - y),
                               toQColor(brushColor()));
        } else {
            fillSpan(left, top, right, bottom, brushColor());
        }
    }
    outline(left, top, right, bottom);
}

void TQtCanvas::strokedLine(const std::vector<TPoint>& points)
{
    QPolygonF line;
    for (const TPoint& p : points)
        line << centreOf(p);
    if (penWidth() <= 1) {
        // The end point is not painted: the line stops half a pixel before its centre.
        const QPointF along = line[line.size() - 1] - line[line.size() - 2];
        const double length = std::hypot(along.x(), along.y());
        const double half = 0.5 * (m_mode == Mode::Scaled ? m_x.scale : 1.0);
        if (length > half)
            line[line.size() - 1] -= along * (half / length);
    }
    if (m_mode == Mode::Scaled)
        useDevicePixels();
    else
        useDrawingCoordinates();
    m_painter.setPen(qtPen());
    m_painter.setRenderHint(QPainter::Antialiasing, m_mode != Mode::Pixels);
    m_painter.drawPolyline(line);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
}

void TQtCanvas::line(int x1, int y1, int x2, int y2)
{
    if ((x1 == x2 && y1 == y2) ||
        outside(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)))
        return;
    if (penWidth() <= 1 && (x1 == x2 || y1 == y2)) {
        // Axis-parallel: the pixels from the start up to, not including, the end point.
        if (y1 == y2)
            horizontalRun(std::min(x1, x2 + 1), std::max(x1 + 1, x2), y1);
        else
            verticalRun(x1, std::min(y1, y2 + 1), std::max(y1 + 1, y2));
        return;
    }
    if (m_mode != Mode::Pixels) {
        strokedLine({TPoint{x1, y1}, TPoint{x2, y2}});
        return;
    }
    if (penWidth() <= 1 && penStyle() == TPenStyle::Solid) {
        // Any other direction: the pixels of the line from its start, without its end point.
        const int dx = std::abs(x2 - x1);
        const int dy = std::abs(y2 - y1);
        const int sx = x1 < x2 ? 1 : -1;
        const int sy = y1 < y2 ? 1 : -1;
        int error = dx - dy;
        QList<QPoint> points;
        points.reserve(std::max(dx, dy));
        for (int x = x1, y = y1; x != x2 || y != y2;) {
            if (x >= m_area.Left && x < m_area.Right && y >= m_area.Top && y < m_area.Bottom)
                points.append(QPoint(x, y));
            const int twice = 2 * error;
            if (twice > -dy) {
                error -= dy;
                x += sx;
            }
            if (twice < dx) {
                error += dx;
                y += sy;
            }
        }
        m_painter.setPen(pointPen());
        m_painter.drawPoints(points.constData(), static_cast<int>(points.size()));
        return;
    }
    m_painter.setPen(qtPen());
    if (penWidth() <= 1)
        m_painter.drawLine(QPoint(x1, y1), QPoint(x2, y2));
    else
        m_painter.drawLine(QPointF(x1 + 0.5, y1 + 0.5), QPointF(x2 + 0.5, y2 + 0.5));
}

void TQtCanvas::polyline(const std::vector<TPoint>& points)
{
    if (points.size() < 2)
        return;
    bool axisParallel = true;
    for (std::size_t i = 1; i < points.size(); ++i)
        axisParallel = axisParallel && (points[i].x == points[i - 1].x || points[i].y == points[i - 1].y);
    if (penWidth() <= 1 && (m_mode == Mode::Pixels || axisParallel)) {
        // Each segment leaves out its end point, which the next one starts with: only the last point
        // of the whole line stays unpainted.
        for (std::size_t i = 1; i < points.size(); ++i)
            line(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
        return;
    }
    strokedLine(points);
}

void TQtCanvas::polygon(const std::vector<TPoint>& points)
{
    if (points.empty())
        return;
    int left = points[0].x, right = points[0].x, top = points[0].y, bottom = points[0].y;
    for (const TPoint& p : points) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    if (outside(left, top, right, bottom))
        return;
    // An axis-parallel rectangle (the flowchart's block frames): filled and outlined through its corners.
    if (points.size() == 4 && points[0].y == points[1].y && points[1].x == points[2].x &&
        points[2].y == points[3].y && points[3].x == points[0].x) {
        rectangle(left, top, right + 1, bottom + 1);
        return;
    }
    if (brushStyle() == TBrushStyle::Solid)
        m_painter.setBrush(toQColor(brushColor()));
    else
        m_painter.setBrush(Qt::NoBrush);
    m_painter.setPen(qtPen());
    if (m_mode == Mode::Pixels) {
        QPolygon polygon;
        for (const TPoint& p : points)
            polygon << QPoint(p.x, p.y);
        m_painter.drawPolygon(polygon);
        return;
    }
    QPolygonF polygon;
    for (const TPoint& p : points)
        polygon << centreOf(p);
    if (m_mode == Mode::Scaled)
        useDevicePixels();
    else
        useDrawingCoordinates();
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.drawPolygon(polygon);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
}

void TQtCanvas::ellipse(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top || outside(left, top, right - 1, bottom - 1))
        return;
    m_painter.setPen(qtPen());
    if (brushStyle() == TBrushStyle::Solid)
        m_painter.setBrush(toQColor(brushColor()));
    else
        m_painter.setBrush(Qt::NoBrush);
    if (m_mode == Mode::Pixels) {
        m_painter.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
        return;
    }
    const QPointF first = centreOf(TPoint{left, top});
    const QPointF last = centreOf(TPoint{right - 1, bottom - 1});
    if (m_mode == Mode::Scaled)
        useDevicePixels();
    else
        useDrawingCoordinates();
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.drawEllipse(QRectF(first, last));
    m_painter.setRenderHint(QPainter::Antialiasing, false);
}

void TQtCanvas::textOut(int x, int y, const std::string& s)
{
    const TSize extent = textExtent(s);
    if (outside(x, y, x + extent.cx, y + extent.cy))
        return;
    if (brushStyle() == TBrushStyle::Solid)
        fillSpan(x, y, x + extent.cx, y + extent.cy, brushColor());
    if (s.empty())
        return;
    useDrawingCoordinates();
    m_painter.setPen(toQColor(fontColor()));
    drawText(m_painter, m_metrics, QPoint(x, y + m_metrics.ascent()), fromCp1252(s),
             m_area.Left - kClipMargin, m_area.Right + kClipMargin);
}

TQtMeasureCanvas::TQtMeasureCanvas() : m_image(8, 8, QImage::Format_RGB32)
{
    m_painter.begin(&m_image);
    m_canvas = std::make_unique<TQtCanvas>(m_painter, screenFont());
}
