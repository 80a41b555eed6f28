#pragma once

#include <QFontMetrics>
#include <QPainter>
#include <QString>

// Texts of any length on the toolkit's canvas. The toolkit measures and places glyphs in 26.6 fixed
// point, which overflows at 2^25 pixels, about 3.3 million characters of the screen font: a longer text
// came out a few pixels wide and was drawn cut. Texts longer than kTextPiece characters are therefore
// measured and drawn in pieces of that length, side by side.
inline constexpr qsizetype kTextPiece = qsizetype{1} << 16;
// The widest text extent given (about 40 million characters): far wider than any picture can be, and
// small enough that the layout's sums of widths stay within its integers.
inline constexpr int kMaxTextWidth = 1 << 28;

// The width of `text`, added up piece by piece for a long one, at most kMaxTextWidth.
int textWidth(const QFontMetrics& metrics, const QString& text);

// Draws `text` with its baseline starting at `origin`; of a long text only the pieces that reach into
// the columns left..right-1 are drawn.
void drawText(QPainter& painter, const QFontMetrics& metrics, QPoint origin, const QString& text, int left,
              int right);
