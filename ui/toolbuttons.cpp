#include "ui/toolbuttons.h"

#include "model/displayoptions.h"
#include "ui/painterscope.h"
#include "ui/qtcanvas.h"

#include <QApplication>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <cmath>
#include <new>

namespace {

constexpr QSize kPictureSize(50, 25);
constexpr int kMargin = 1;

// An element of `kind` as a picture shows it: blank texts; in a structogram a statement in the first branch
// shows where a decision's or a loop's body goes, a flowchart's tall figures stay small enough without.
std::unique_ptr<TElement> sampleElement(Kind kind, bool flowchart)
{
    // A flowchart's diamond is as wide as its text: blanks make it wide enough to be seen.
    const std::string blanks(flowchart ? 4 : 0, ' ');
    std::unique_ptr<TBedingung> condition;
    switch (kind) {
    case Kind::Anweisung:
        return TAnweisung::Create(std::string(12, ' ')); // a box about twice as wide as high
    case Kind::Block:
        return TBlock::Create(std::string());
    case Kind::If:
        condition = TIf::Create(blanks);
        break;
    case Kind::While:
        condition = TWhile::Create(blanks);
        break;
    case Kind::DoWhile:
        condition = TDoWhile::Create(blanks);
        break;
    case Kind::Repeat:
        condition = TRepeat::Create(blanks);
        break;
    case Kind::For:
        condition = TFor::Create(std::string(flowchart ? 4 : 6, ' ')); // room for the range, written below
        break;
    }
    for (int i = 1; i <= condition->BranchCount; ++i) {
        TBlock* branch = condition->branch(i);
        branch->Text.clear();
        if (i == 1 && !flowchart)
            branch->FirstChild = TAnweisung::Create(std::string());
    }
    return condition;
}

// The font the pictures are measured and drawn in: their texts are empty, so it sets only how high the
// figures' text lines are; a small one keeps the tall flowchart figures large enough to recognise.
QFont pictureFont(bool flowchart)
{
    QFont font = screenFont();
    if (flowchart)
        font.setPixelSize(8);
    return font;
}

// Draws the picture into the logical rectangle (0, 0) to kPictureSize of `painter`, whose device may have
// any pixel ratio: the element is scaled into it on the painter, so lines are drawn at the resolution.
void drawPicture(QPainter& painter, Kind kind, bool flowchart)
{
    const std::unique_ptr<TElement> element = sampleElement(kind, flowchart);
    TDisplayOptions options;
    options.Flowchart = flowchart;
    options.OnScreen = false; // white fill, no marking
    TSize size;
    TSize condition;
    {
        QImage scratch(8, 8, QImage::Format_RGB32);
        TPainterScope measurePainter(scratch);
        TQtCanvas measure(measurePainter.painter(), pictureFont(flowchart));
        size = element->Measure(measure, options);
        if (const auto* c = dynamic_cast<const TBedingung*>(element.get()))
            condition = c->MeasureCondition(measure, options);
    }
    const double scale = std::min(double(kPictureSize.width() - 2 * kMargin) / std::max(size.cx, 1),
                                  double(kPictureSize.height() - 2 * kMargin) / std::max(size.cy, 1));
    // Centred; the flowchart's counting loop stands at the left, its range beside it.
    const bool rangeBeside = flowchart && kind == Kind::For;
    const QPointF corner(rangeBeside ? kMargin + 1 : (kPictureSize.width() - size.cx * scale) / 2,
                         (kPictureSize.height() - size.cy * scale) / 2);
    painter.save();
    painter.translate(corner);
    painter.scale(scale, scale);
    {
        TQtCanvas canvas(painter, pictureFont(flowchart));
        element->Draw(canvas, TPoint{flowchart ? size.cx / 2 : 0, 0}, size.cx, options);
    }
    painter.restore();
    if (kind != Kind::For)
        return;
    // The range: in the strip across the top of the structogram figure, beside the flowchart's diamond.
    QFont font = screenFont();
    font.setBold(true);
    QRectF label;
    if (rangeBeside) {
        const double right = corner.x() + size.cx * scale + 1;
        label = QRectF(right, 0, kPictureSize.width() - right, 14);
        font.setPixelSize(10);
    } else {
        label = QRectF(corner.x(), corner.y(), size.cx * scale, condition.cy * scale);
        font.setPixelSize(std::max(7, static_cast<int>(std::lround(label.height() * 0.8))));
    }
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(label, Qt::AlignCenter, QStringLiteral("1..n"));
}

class TToolPictureEngine : public QIconEngine
{
public:
    TToolPictureEngine(Kind kind, bool flowchart) : m_kind(kind), m_flowchart(flowchart) {}

    QIconEngine* clone() const override { return new TToolPictureEngine(m_kind, m_flowchart); }
    QString key() const override { return QStringLiteral("struktogramm-tool-picture"); }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size() * ratio, mode, state, ratio));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // `size` in device pixels; the picture fills it at `scale` device pixels to a pixel.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        // The toolkit asks while it paints a button, outside every command: when memory runs out the
        // button goes without its picture until it is painted again.
        try {
            return makePixmap(size, mode, scale);
        } catch (const std::bad_alloc&) {
            return QPixmap();
        }
    }

private:
    QPixmap makePixmap(const QSize& size, QIcon::Mode mode, qreal scale) const
    {
        const QString cacheKey = QStringLiteral("struktogramm-tool-%1-%2-%3x%4-%5-%6")
                                     .arg(static_cast<int>(m_kind))
                                     .arg(m_flowchart)
                                     .arg(size.width())
                                     .arg(size.height())
                                     .arg(scale)
                                     .arg(static_cast<int>(mode));
        QPixmap cached;
        if (QPixmapCache::find(cacheKey, &cached))
            return cached;
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        // The picture's 50 x 25 pixels over the whole size asked for.
        const qreal ratio = std::min(size.width() / qreal(kPictureSize.width()),
                                     size.height() / qreal(kPictureSize.height()));
        image.setDevicePixelRatio(ratio > 0 ? ratio : 1.0);
        {
            TPainterScope painter(image);
            drawPicture(painter.painter(), m_kind, m_flowchart);
            painter.end();
        }
        image.setDevicePixelRatio(scale);
        QPixmap picture = QPixmap::fromImage(image);
        if (mode != QIcon::Normal) {
            QStyleOption option;
            option.palette = QApplication::palette();
            picture = QApplication::style()->generatedIconPixmap(mode, picture, &option);
        }
        QPixmapCache::insert(cacheKey, picture);
        return picture;
    }

    Kind m_kind;
    bool m_flowchart;
};

} // namespace

QIcon toolButtonPicture(Kind kind, bool flowchart)
{
    return QIcon(new TToolPictureEngine(kind, flowchart));
}
