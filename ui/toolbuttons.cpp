#include "ui/toolbuttons.h"

#include "model/displayoptions.h"
#include "ui/qtcanvas.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace {

// An element of `kind` as a picture shows it: empty texts, and a statement in the first branch so that a
// decision or a loop shows where its body goes. The counting loop, drawn like the loop with the test
// first, carries its range so that the two pictures differ.
std::unique_ptr<TElement> sampleElement(Kind kind)
{
    std::unique_ptr<TBedingung> condition;
    switch (kind) {
    case Kind::Anweisung:
        return TAnweisung::Create(std::string(12, ' ')); // a box about twice as wide as high
    case Kind::Block:
        return TBlock::Create(std::string());
    case Kind::If:
        condition = TIf::Create(std::string());
        break;
    case Kind::While:
        condition = TWhile::Create(std::string());
        break;
    case Kind::DoWhile:
        condition = TDoWhile::Create(std::string());
        break;
    case Kind::Repeat:
        condition = TRepeat::Create(std::string());
        break;
    case Kind::For:
        condition = TFor::Create("1..n");
        break;
    }
    for (int i = 1; i <= condition->BranchCount; ++i) {
        TBlock* branch = condition->branch(i);
        branch->Text.clear();
        if (i == 1)
            branch->FirstChild = TAnweisung::Create(std::string());
    }
    return condition;
}

} // namespace

QIcon toolButtonPicture(Kind kind, bool flowchart)
{
    const QSize pictureSize(50, 25);
    const std::unique_ptr<TElement> element = sampleElement(kind);
    TDisplayOptions options;
    options.Flowchart = flowchart;
    options.OnScreen = false; // white fill, no marking

    TSize size;
    {
        TQtMeasureCanvas measure;
        size = element->Measure(measure.canvas(), options);
    }
    const int margin = 2;
    const int width = std::max(size.cx, 1) + 2 * margin;
    const int height = std::max(size.cy, 1) + 2 * margin;
    QImage drawing(width, height, QImage::Format_ARGB32_Premultiplied);
    drawing.fill(Qt::transparent);
    {
        QPainter painter(&drawing);
        const auto canvas = std::make_unique<TQtCanvas>(painter, screenFont());
        const TPoint origin{flowchart ? margin + size.cx / 2 : margin, margin};
        element->Draw(*canvas, origin, size.cx, options);
    }
    // Scaled down to the button's picture, keeping the proportions, centred.
    const QImage scaled = drawing.scaled(pictureSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage picture(pictureSize, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.drawImage((pictureSize.width() - scaled.width()) / 2,
                          (pictureSize.height() - scaled.height()) / 2, scaled);
    }
    return QIcon(QPixmap::fromImage(picture));
}
