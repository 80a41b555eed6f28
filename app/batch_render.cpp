// --render: the whole-design window's picture (PNG, SVG) or the printed page (PDF), without a window.

#include "app/batch.h"

#include "model/dateiformat.h"
#include "model/diagramview.h"
#include "model/texts.h"
#include "model/treewalk.h"
#include "ui/cp1252.h"
#include "ui/longtext.h"
#include "ui/qtcanvas.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QSvgGenerator>
#include <QTemporaryFile>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>

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

// A write-only device that hands what the toolkit writes on to a sink. A failure of the sink is kept
// and thrown again by rethrowFailure(), since no exception may pass through the toolkit's writers.
class SinkDevice : public QIODevice
{
public:
    explicit SinkDevice(TByteSink& sink) : m_sink(sink) { open(QIODevice::WriteOnly); }

    void rethrowFailure() const
    {
        if (m_failure)
            throw *m_failure;
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        try {
            m_sink += std::string_view(data, static_cast<std::size_t>(size));
        } catch (const DesignError& error) {
            m_failure = error;
            return -1;
        }
        return size;
    }

private:
    TByteSink& m_sink;
    std::optional<DesignError> m_failure;
};

// What the whole-design window shows when nothing is marked, scrolled to its origin: the scroll range's
// size, on the window's background.
struct WindowPicture
{
    TSize size;
    TPoint origin;
};

// Throws ImageTooLarge when the picture cannot be drawn as it is: a text wider than the canvas measures
// (tens of millions of characters) would be drawn cut.
WindowPicture windowPicture(TBlock& root, TDisplayOptions& options, bool flowchart, const std::string& name)
{
    TQtMeasureCanvas measure;
    const bool cut = visitTree(&root, true, [&measure](const TElement* e) {
        return measure.canvas().textExtent(e->Text).cx >= kMaxTextWidth;
    });
    if (cut)
        throw DesignError(ErrorReason::ImageTooLarge, name);
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

void renderPng(TByteSink& out, TBlock& root, bool flowchart, const std::string& name)
{
    TDisplayOptions options;
    const WindowPicture picture = windowPicture(root, options, flowchart, name);
    // A PNG is at most a million pixels on each side; beyond a quarter of a billion pixels the picture
    // would take more than a gigabyte of memory.
    constexpr long long kMaxSide = 1000000;
    constexpr long long kMaxPixels = 1LL << 28;
    const long long width = picture.size.cx;
    const long long height = picture.size.cy;
    if (width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        throw DesignError(ErrorReason::ImageTooLarge, name);
    QImage image(picture.size.cx, picture.size.cy, QImage::Format_RGB32);
    if (image.isNull())
        throw DesignError(ErrorReason::ImageTooLarge, name);
    paintWindow(image, root, options, flowchart, picture);
    SinkDevice device(out);
    const bool saved = image.save(&device, "PNG");
    device.rethrowFailure();
    if (!saved)
        throw DesignError(ErrorReason::StreamWrite);
}

// An SVG picture is refused when it would be larger than 256 MiB (about 65,000 elements): the toolkit's
// generator keeps the whole picture in memory, about five bytes for every byte it writes, until it is
// complete, so the limit stands at about a gigabyte of memory, like the PNG's.
constexpr std::uint64_t kMaxSvgBytes = std::uint64_t{256} << 20;
// What the generator writes per element, at most (it writes 1.7 to 3.3 KB for the figure, its lines and
// labels), and per byte of text (escaped, in UTF-8).
constexpr std::uint64_t kSvgBytesPerElement = 4000;
constexpr std::uint64_t kSvgBytesPerTextByte = 6;

std::uint64_t estimatedSvgBytes(const TBlock& root)
{
    std::uint64_t bytes = 0;
    visitTree(&root, true, [&bytes](const TElement* e) {
        bytes += kSvgBytesPerElement + kSvgBytesPerTextByte * e->Text.size();
        return false;
    });
    return bytes;
}

void renderSvg(TByteSink& out, TBlock& root, bool flowchart, const std::string& name)
{
    if (estimatedSvgBytes(root) > kMaxSvgBytes)
        throw DesignError(ErrorReason::ImageTooLarge, name);
    TDisplayOptions options;
    const WindowPicture picture = windowPicture(root, options, flowchart, name);
    SinkDevice device(out);
    {
        QSvgGenerator svg;
        svg.setOutputDevice(&device);
        svg.setResolution(96);
        svg.setSize(QSize(picture.size.cx, picture.size.cy));
        svg.setViewBox(QRect(0, 0, picture.size.cx, picture.size.cy));
        svg.setTitle(fromCp1252(root.Text));
        paintWindow(svg, root, options, flowchart, picture);
    }
    device.rethrowFailure();
}

// The page the print command prints: the window's caption (for the whole-design window the root's name)
// at (10, 10) in the printer font, the diagram at y = 80, with the printer's metrics.
void renderPdf(TByteSink& out, TBlock& root, bool flowchart, const std::string& name)
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/struktogramm-XXXXXX.pdf"));
    if (!file.open())
        throw DesignError(ErrorReason::CannotCreateFile, name);
    file.close();

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(kPrintResolution);
    printer.setOutputFileName(file.fileName());
    printer.setDocName(fromCp1252(root.Text));
    QPainter painter;
    if (!painter.begin(&printer))
        throw DesignError(ErrorReason::CannotCreateFile, name);
    {
        TQtCanvas page(painter, printerFont());
        TDisplayOptions options;
        printDiagram(page, root.Text, root, options, flowchart);
    }
    painter.end();
    out += readWholeFile(file.fileName().toLocal8Bit().toStdString());
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

    return runBatchCommand([&] {
        const Format format = formatOf(out);
        const std::unique_ptr<TBlock> root = readDesignFile(design);
        TSafeFileWriter file(out);
        switch (format) {
        case Format::Png:
            renderPng(file, *root, flowchart, out);
            break;
        case Format::Svg:
            renderSvg(file, *root, flowchart, out);
            break;
        case Format::Pdf:
            renderPdf(file, *root, flowchart, out);
            break;
        }
        file.commit();
    });
}
