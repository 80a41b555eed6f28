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

// The extent cache of one font on devices of one resolution.
TExtentCache& extentCache(const QFont& font, const QPaintDevice* device)
{
    static std::map<QString, TExtentCache> caches;
    const int dpiX = device ? device->logicalDpiX() : 0;
    const int dpiY = device ? device->logicalDpiY() : 0;
    return caches[font.key() + QStringLiteral("@%1x%2").arg(dpiX).arg(dpiY)];
}

} // namespace

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

TQtCanvas::TQtCanvas(QPainter& painter, const QFont& font)
    : m_painter(painter), m_metrics(font, painter.device()), m_extents(&extentCache(font, painter.device()))
{
    m_painter.setFont(font);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    m_raster = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;

    const QPaintDevice* device = painter.device();
    QRectF area = device ? QRectF(0, 0, device->width(), device->height()) : QRectF();
    // The world transform: a widget's painter also carries the widget's offset in its window in the
    // device transform, but paints in the widget's own coordinates.
    area = painter.transform().inverted().mapRect(area);
    if (painter.hasClipping())
        area &= painter.clipBoundingRect();
    const QRect aligned = area.toAlignedRect();
    m_area = TRect{aligned.left(), aligned.top(), aligned.left() + aligned.width(),
                   aligned.top() + aligned.height()};
}

TSize TQtCanvas::textExtent(const std::string& s)
{
    if (const TSize* found = m_extents->find(s))
        return *found;
    const TSize extent{textWidth(m_metrics, fromCp1252(s)), m_metrics.height()};
    m_extents->insert(s, extent);
    return extent;
}

TColor TQtCanvas::windowColor() const
{
    return fromQColor(QGuiApplication::palette().color(QPalette::Base));
}

bool TQtCanvas::outside(int left, int top, int right, int bottom) const
{
    const int reach = m_penWidth + 2;
    return right + reach < m_area.Left || left - reach >= m_area.Right || bottom + reach < m_area.Top ||
           top - reach >= m_area.Bottom;
}

QPen TQtCanvas::qtPen() const
{
    QPen pen(toQColor(m_pen));
    pen.setStyle(m_penStyle == TPenStyle::Dotted ? Qt::DotLine : Qt::SolidLine);
    if (m_penWidth <= 1) {
        // A cosmetic one-pixel pen with flat caps leaves out a line's end point.
        pen.setWidth(0);
        pen.setCosmetic(true);
        pen.setCapStyle(Qt::FlatCap);
    } else {
        pen.setWidth(m_penWidth);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    return pen;
}

QPen TQtCanvas::pointPen() const
{
    QPen pen(toQColor(m_pen), 0);
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::SquareCap);
    return pen;
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
    m_painter.fillRect(QRect(left, top, right - left, bottom - top), toQColor(colour));
}

void TQtCanvas::penSpan(int left, int top, int right, int bottom)
{
    if (m_penStyle == TPenStyle::Solid) {
        fillSpan(left, top, right, bottom, m_pen);
        return;
    }
    if (m_raster) {
        // Every other pixel, by the parity of its coordinates: the dots stay where they are however the
        // line is clipped or split.
        left = std::max(left, m_area.Left - kClipMargin);
        top = std::max(top, m_area.Top - kClipMargin);
        right = std::min(right, m_area.Right + kClipMargin);
        bottom = std::min(bottom, m_area.Bottom + kClipMargin);
        QList<QPoint> dots;
        for (int y = top; y < bottom; ++y) {
            for (int x = left + ((left + y) & 1); x < right; x += 2)
                dots.append(QPoint(x, y));
        }
        if (!dots.isEmpty()) {
            m_painter.setPen(pointPen());
            m_painter.drawPoints(dots.constData(), static_cast<int>(dots.size()));
        }
        return;
    }
    m_painter.setPen(qtPen());
    if (right - left > 1)
        m_painter.drawLine(QPointF(left, top + 0.5), QPointF(right, top + 0.5));
    else
        m_painter.drawLine(QPointF(left + 0.5, top), QPointF(left + 0.5, bottom));
}

void TQtCanvas::outline(int left, int top, int right, int bottom)
{
    // The border pixels of the columns left..right-1 and rows top..bottom-1.
    if (m_penWidth <= 1) {
        penSpan(left, top, right, top + 1);
        penSpan(left, bottom - 1, right, bottom);
        penSpan(left, top + 1, left + 1, bottom - 1);
        penSpan(right - 1, top + 1, right, bottom - 1);
        return;
    }
    // A wide pen is centred on the border pixels. Edges far outside the painted area are moved to just
    // outside it, where they paint nothing.
    const int l = std::max(left, m_area.Left - kClipMargin);
    const int t = std::max(top, m_area.Top - kClipMargin);
    const int r = std::min(right, m_area.Right + kClipMargin);
    const int b = std::min(bottom, m_area.Bottom + kClipMargin);
    QPen pen = qtPen();
    pen.setJoinStyle(Qt::MiterJoin);
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(QRectF(l + 0.5, t + 0.5, r - l - 1, b - t - 1));
}

void TQtCanvas::rectangle(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top || outside(left, top, right - 1, bottom - 1))
        return;
    if (m_brushStyle == TBrushStyle::Solid)
        fillSpan(left, top, right, bottom, m_brush);
    outline(left, top, right, bottom);
}

void TQtCanvas::line(int x1, int y1, int x2, int y2)
{
    if ((x1 == x2 && y1 == y2) ||
        outside(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)))
        return;
    if (m_penWidth <= 1 && (x1 == x2 || y1 == y2)) {
        // Axis-parallel: the pixels from the start up to, not including, the end point.
        if (y1 == y2) {
            if (x2 > x1)
                penSpan(x1, y1, x2, y1 + 1);
            else
                penSpan(x2 + 1, y1, x1 + 1, y1 + 1);
        } else {
            if (y2 > y1)
                penSpan(x1, y1, x1 + 1, y2);
            else
                penSpan(x1, y2 + 1, x1 + 1, y1 + 1);
        }
        return;
    }
    if (m_penWidth <= 1 && m_penStyle == TPenStyle::Solid) {
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
    if (m_penWidth <= 1)
        m_painter.drawLine(QPoint(x1, y1), QPoint(x2, y2));
    else
        m_painter.drawLine(QPointF(x1 + 0.5, y1 + 0.5), QPointF(x2 + 0.5, y2 + 0.5));
}

void TQtCanvas::polyline(const std::vector<TPoint>& points)
{
    if (points.size() < 2)
        return;
    if (m_penWidth <= 1) {
        // Each segment leaves out its end point, which the next one starts with: only the last point
        // of the whole line stays unpainted.
        for (std::size_t i = 1; i < points.size(); ++i)
            line(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
        return;
    }
    QPolygonF line;
    for (const TPoint& p : points)
        line << QPointF(p.x + 0.5, p.y + 0.5);
    m_painter.setPen(qtPen());
    m_painter.drawPolyline(line);
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
        if (m_brushStyle == TBrushStyle::Solid)
            fillSpan(left, top, right + 1, bottom + 1, m_brush);
        outline(left, top, right + 1, bottom + 1);
        return;
    }
    QPolygon polygon;
    for (const TPoint& p : points)
        polygon << QPoint(p.x, p.y);
    m_painter.setPen(qtPen());
    if (m_brushStyle == TBrushStyle::Solid)
        m_painter.setBrush(toQColor(m_brush));
    else
        m_painter.setBrush(Qt::NoBrush);
    m_painter.drawPolygon(polygon);
}

void TQtCanvas::ellipse(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top || outside(left, top, right - 1, bottom - 1))
        return;
    m_painter.setPen(qtPen());
    if (m_brushStyle == TBrushStyle::Solid)
        m_painter.setBrush(toQColor(m_brush));
    else
        m_painter.setBrush(Qt::NoBrush);
    m_painter.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
}

void TQtCanvas::textOut(int x, int y, const std::string& s)
{
    const TSize extent = textExtent(s);
    if (outside(x, y, x + extent.cx, y + extent.cy))
        return;
    if (m_brushStyle == TBrushStyle::Solid)
        fillSpan(x, y, x + extent.cx, y + extent.cy, m_brush);
    if (s.empty())
        return;
    m_painter.setPen(toQColor(m_font));
    drawText(m_painter, m_metrics, QPoint(x, y + m_metrics.ascent()), fromCp1252(s),
             m_area.Left - kClipMargin, m_area.Right + kClipMargin);
}

TQtMeasureCanvas::TQtMeasureCanvas() : m_image(8, 8, QImage::Format_RGB32)
{
    m_painter.begin(&m_image);
    m_canvas = std::make_unique<TQtCanvas>(m_painter, screenFont());
}
