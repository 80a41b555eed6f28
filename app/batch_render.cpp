// --render: the whole-design window's picture (PNG, SVG) or the printed page (PDF), without a window.

#include "app/batch.h"

#include "model/dateiformat.h"
#include "model/diagramview.h"
#include "model/texts.h"
#include "ui/cp1252.h"
#include "ui/qtcanvas.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QSvgGenerator>
#include <QTemporaryFile>

#include <cstdio>
#include <memory>

namespace {

enum class Format { Png, Svg, Pdf };

Format formatOf(const std::string& out)
{
    const QString suffix = QFileInfo(QString::fromLocal8Bit(out.c_str())).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return Format::Png;
    if (suffix == QLatin1String("svg"))
        return Format::Svg;
    if (suffix == QLatin1String("pdf"))
        return Format::Pdf;
    throw DesignError(ErrorReason::UnknownOutputFormat, out);
}

std::string bytesOf(const QByteArray& data)
{
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

// What the whole-design window shows when nothing is marked, scrolled to its origin: the scroll range's
// size, on the window's background.
struct WindowPicture
{
    TSize size;
    TPoint origin;
};

WindowPicture windowPicture(TBlock& root, TDisplayOptions& options, bool flowchart)
{
    TQtMeasureCanvas measure;
    return {scrollRangesOf(measure.canvas(), root, options, flowchart),
            displayOrigin(measure.canvas(), root, options, flowchart)};
}

void paintWindow(QPaintDevice& device, TBlock& root, TDisplayOptions& options, bool flowchart,
                 const WindowPicture& picture)
{
    QPainter painter(&device);
    painter.fillRect(QRect(0, 0, picture.size.cx, picture.size.cy), toQColor(kWindowFill));
    TQtCanvas canvas(painter, screenFont());
    paintDiagram(canvas, root, picture.origin, options, flowchart);
}

std::string renderPng(TBlock& root, bool flowchart, const std::string& out)
{
    TDisplayOptions options;
    const WindowPicture picture = windowPicture(root, options, flowchart);
    // A PNG is at most a million pixels on each side; beyond a quarter of a billion pixels the picture
    // would take more than a gigabyte of memory.
    constexpr long long kMaxSide = 1000000;
    constexpr long long kMaxPixels = 1LL << 28;
    const long long width = picture.size.cx;
    const long long height = picture.size.cy;
    if (width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        throw DesignError(ErrorReason::ImageTooLarge, out);
    QImage image(picture.size.cx, picture.size.cy, QImage::Format_RGB32);
    if (image.isNull())
        throw DesignError(ErrorReason::ImageTooLarge, out);
    paintWindow(image, root, options, flowchart, picture);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw DesignError(ErrorReason::StreamWrite);
    return bytesOf(buffer.data());
}

std::string renderSvg(TBlock& root, bool flowchart)
{
    TDisplayOptions options;
    const WindowPicture picture = windowPicture(root, options, flowchart);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setResolution(96);
    svg.setSize(QSize(picture.size.cx, picture.size.cy));
    svg.setViewBox(QRect(0, 0, picture.size.cx, picture.size.cy));
    svg.setTitle(fromCp1252(root.Text));
    paintWindow(svg, root, options, flowchart, picture);
    return bytesOf(buffer.data());
}

// The page the print command prints: the window's caption (for the whole-design window the root's name)
// at (10, 10) in the printer font, the diagram at y = 80, with the printer's metrics.
std::string renderPdf(TBlock& root, bool flowchart, const std::string& out)
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/struktogramm-XXXXXX.pdf"));
    if (!file.open())
        throw DesignError(ErrorReason::CannotCreateFile, out);
    file.close();

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(kPrintResolution);
    printer.setOutputFileName(file.fileName());
    printer.setDocName(fromCp1252(root.Text));
    QPainter painter;
    if (!painter.begin(&printer))
        throw DesignError(ErrorReason::CannotCreateFile, out);
    {
        TQtCanvas page(painter, printerFont());
        TDisplayOptions options;
        printDiagram(page, root.Text, root, options, flowchart);
    }
    painter.end();
    return readWholeFile(file.fileName().toLocal8Bit().toStdString());
}

} // namespace

namespace {

// Qt's own notes (a missing runtime folder, font fallbacks) are not the command's messages: standard
// error carries only the German message of a failure.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        const QByteArray text = message.toLocal8Bit() + '\n';
        std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stderr);
    }
}

} // namespace

int batchRender(const std::string& design, const std::string& out, bool flowchart)
{
    qInstallMessageHandler(quietQtMessages);
    // A batch command needs no display: the offscreen platform unless one is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "struktogramm";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QApplication> application;
    if (!QCoreApplication::instance())
        application = std::make_unique<QApplication>(argc, argv);

    try {
        const Format format = formatOf(out);
        const std::unique_ptr<TBlock> root = readDesignFile(design);
        std::string bytes;
        switch (format) {
        case Format::Png:
            bytes = renderPng(*root, flowchart, out);
            break;
        case Format::Svg:
            bytes = renderSvg(*root, flowchart);
            break;
        case Format::Pdf:
            bytes = renderPdf(*root, flowchart, out);
            break;
        }
        writeFileSafely(out, bytes);
        return 0;
    } catch (const DesignError& error) {
        reportError(error);
        return 1;
    }
}
