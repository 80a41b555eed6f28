#include "ui/longtext.h"

#include <algorithm>
#include <cstdint>

int textWidth(const QFontMetrics& metrics, const QString& text)
{
    if (text.size() <= kTextPiece)
        return metrics.horizontalAdvance(text);
    std::int64_t width = 0;
    for (qsizetype start = 0; start < text.size() && width < kMaxTextWidth; start += kTextPiece)
        width += metrics.horizontalAdvance(text.mid(start, kTextPiece));
    return static_cast<int>(std::min<std::int64_t>(width, kMaxTextWidth));
}

void drawText(QPainter& painter, const QFontMetrics& metrics, QPoint origin, const QString& text, int left,
              int right)
{
    if (text.size() <= kTextPiece) {
        painter.drawText(origin, text);
        return;
    }
    std::int64_t x = origin.x();
    for (qsizetype start = 0; start < text.size() && x < right; start += kTextPiece) {
        const QString piece = text.mid(start, kTextPiece);
        const int width = metrics.horizontalAdvance(piece);
        if (x + width >= left)
            painter.drawText(QPoint(static_cast<int>(x), origin.y()), piece);
        x += width;
    }
}
