// --render: the whole-design window's picture (PNG, SVG) or the printed page (PDF), without a window.

#include "app/batch.h"

#include "model/dateiformat.h"
#include "model/fileio.h"
#include "ui/cp1252.h"
#include "ui/picture.h"
#include "ui/printing.h"

#include <QApplication>
#include <QBuffer>
#include <QPdfWriter>

#include <cstdio>
#include <memory>

namespace {

// The page the print command prints: the window's caption (for the whole-design window the root's name)
// at (10, 10) in the printer font, the diagram at y = 80, with the printer's metrics; a design too large for
// the page is shrunk to fit it, as the print command does. The document is made in memory (the PDF
// writer notices no failed write) and written by the caller, which notices every one.
QByteArray renderPdf(TBlock& root, bool flowchart, const std::string& out)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(fromCp1252(root.Text));
        TDisplayOptions options;
        try {
            if (!printBlock(pdf, TPrintJob{root.Text, root, options, flowchart}, TPageMode::ShrinkToFit))
                throw DesignError(ErrorReason::CannotCreateFile, out);
        } catch (const DesignError& error) {
            if (error.reason() != ErrorReason::ImageTooLarge)
                throw;
            throw DesignError(ErrorReason::ImageTooLarge, out); // the page of the file named
        }
    }
    return buffer.data();
}

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

int batchRender(const std::string& design, const std::string& out, bool flowchart, double scale)
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
        const TPictureFormat format = pictureFormatOf(out);
        const std::unique_ptr<TBlock> root = readDesignFile(design);
        TSafeFileWriter file(out);
        QByteArray bytes;
        if (format == TPictureFormat::Pdf) {
            bytes = renderPdf(*root, flowchart, out);
        } else {
            // The whole-design window as it starts: nothing collapsed, nothing marked.
            TPictureSource picture(*root, TDisplayOptions(), flowchart);
            bytes = pictureBytes(picture, format, scale, out);
        }
        file += std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        file.commit();
    });
}
