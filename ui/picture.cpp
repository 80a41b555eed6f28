#include "ui/picture.h"

#include "model/designerror.h"
#include "model/diagramview.h"
#include "model/treewalk.h"
#include "ui/cp1252.h"
#include "ui/longtext.h"
#include "ui/painterscope.h"
#include "ui/qtcanvas.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <cmath>
#include <cstdint>
#include <new>

namespace {

// The window's scroll range and the layout origin in it, measured with the screen font.
struct Frame
{
    TSize size;
    TPoint origin;
};

Frame frameOf(TPictureSource& source)
{
    TQtMeasureCanvas measure;
    return {scrollRangesOf(measure.canvas(), source.shown, source.view, source.flowchart),
            displayOrigin(measure.canvas(), source.shown, source.view, source.flowchart)};
}

// A text as wide as the canvas can measure (tens of millions of characters) would be drawn cut: such a
// picture is refused.
void refuseCutTexts(const TPictureSource& source, const std::string& name)
{
    TQtMeasureCanvas measure;
    const bool cut = visitTree(&source.shown, false, [&measure](const TElement* e) {
        return measure.canvas().textExtent(e->Text).cx >= kMaxTextWidth;
    });
    if (cut)
        throw DesignError(ErrorReason::ImageTooLarge, name);
}

// An SVG picture is refused when it would be larger than 256 MiB (about 65,000 elements): the toolkit's
// generator keeps the whole picture in memory, about five bytes for every byte it writes, until it is
// complete, so the limit stands at about a gigabyte of memory, like a PNG's. What the generator writes per
// element is at most 4 KB (1.7 to 3.3 KB for the figure, its lines and labels), and per byte of text 6.
void refuseHugeSvg(const TPictureSource& source, const std::string& name)
{
    constexpr std::uint64_t kMaxSvgBytes = std::uint64_t{256} << 20;
    std::uint64_t bytes = 0;
    visitTree(&source.shown, false, [&bytes](const TElement* e) {
        bytes += 4000 + 6 * std::uint64_t{e->Text.size()};
        return bytes > kMaxSvgBytes;
    });
    if (bytes > kMaxSvgBytes)
        throw DesignError(ErrorReason::ImageTooLarge, name);
}

// Paints the diagram as on screen, but on white, as it goes on a worksheet; the painter's transform gives
// the scale.
void paintPicture(QPainter& painter, TPictureSource& source, const Frame& frame)
{
    painter.fillRect(QRect(0, 0, frame.size.cx, frame.size.cy), Qt::white);
    TQtCanvas canvas(painter, screenFont());
    paintDiagram(canvas, source.shown, frame.origin, source.view, source.flowchart, clWhite);
}

// Paints the picture on `device` and ends the painter before anything can leave: a device that cannot
// begin or finish the picture throws `failure`.
void paintPictureOn(QPaintDevice& device, TPictureSource& source, const Frame& frame,
                    const DesignError& failure)
{
    TPainterScope scope(device);
    if (!scope.begun())
        throw failure;
    paintPicture(scope.painter(), source, frame);
    if (!scope.end())
        throw failure;
}

} // namespace

TPictureSource::TPictureSource(TBlock& block, const TDisplayOptions& windowOptions, bool flowchartMode)
    : shown(block), view(windowOptions), flowchart(flowchartMode)
{
    view.ClearMarked();
    view.DropTarget = nullptr;
    view.RunMarks = nullptr;
    view.HighlightRect = TRect{};
    view.OnScreen = true;
    view.Printing = false;
    view.Spacing = TDisplayOptions().Spacing;
}

TPictureFormat pictureFormatOf(const std::string& fileName)
{
    const QString suffix = QFileInfo(QString::fromLocal8Bit(fileName.c_str())).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return TPictureFormat::Png;
    if (suffix == QLatin1String("svg"))
        return TPictureFormat::Svg;
    if (suffix == QLatin1String("pdf"))
        return TPictureFormat::Pdf;
    throw DesignError(ErrorReason::UnknownOutputFormat, fileName);
}

QImage pictureImage(TPictureSource& source, double scale, const std::string& name)
{
    refuseCutTexts(source, name);
    const Frame frame = frameOf(source);
    // A picture is at most a million pixels on each side; beyond a quarter of a billion pixels it would
    // take more than a gigabyte of memory.
    constexpr double kMaxSide = 1000000;
    constexpr double kMaxPixels = double(1LL << 28);
    const double width = std::ceil(frame.size.cx * scale);
    const double height = std::ceil(frame.size.cy * scale);
    if (width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        throw DesignError(ErrorReason::ImageTooLarge, name);
    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    // Within these limits an image is null only where its pixels found no memory.
    if (image.isNull())
        throw std::bad_alloc();
    // Drawn at the picture's own resolution: the canvas makes lines whole device pixels wide and draws the
    // texts for that resolution, where a scaled-up small picture would be blurred.
    image.setDevicePixelRatio(scale);
    paintPictureOn(image, source, frame, DesignError(ErrorReason::ImageTooLarge, name));
    image.setDevicePixelRatio(1);
    return image;
}

QByteArray pictureSvg(TPictureSource& source, double scale, const std::string& name)
{
    refuseHugeSvg(source, name);
    refuseCutTexts(source, name);
    const Frame frame = frameOf(source);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setResolution(96);
    svg.setSize(QSize(static_cast<int>(std::ceil(frame.size.cx * scale)),
                      static_cast<int>(std::ceil(frame.size.cy * scale))));
    svg.setViewBox(QRect(0, 0, frame.size.cx, frame.size.cy));
    svg.setTitle(fromCp1252(source.shown.Text));
    paintPictureOn(svg, source, frame, DesignError(ErrorReason::StreamWrite));
    return buffer.data();
}

QByteArray picturePdf(TPictureSource& source, const std::string& name)
{
    refuseCutTexts(source, name);
    const Frame frame = frameOf(source);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(fromCp1252(source.shown.Text));
        pdf.setCreator(QStringLiteral("struktogramm"));
        // One page as large as the picture, a pixel at 96 dpi as on the screen.
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(frame.size.cx * 0.75, frame.size.cy * 0.75), QPageSize::Point,
                                  QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF());
        paintPictureOn(pdf, source, frame, DesignError(ErrorReason::StreamWrite));
    }
    return buffer.data();
}

QByteArray pictureBytes(TPictureSource& source, TPictureFormat format, double scale, const std::string& name)
{
    switch (format) {
    case TPictureFormat::Png: {
        const QImage image = pictureImage(source, scale, name);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        // Encoding into memory fails only where memory runs out.
        if (!image.save(&buffer, "PNG"))
            throw std::bad_alloc();
        return buffer.data();
    }
    case TPictureFormat::Svg:
        return pictureSvg(source, scale, name);
    case TPictureFormat::Pdf:
        break;
    }
    return picturePdf(source, name);
}
