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
#include <cstdlib>
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

constexpr char kCannotStartQt[] = "Die Zeichenausgabe kann nicht starten: zu wenig Arbeitsspeicher, oder "
                                  "QT_QPA_PLATFORM nennt keine verf\xC3\xBCgbare Plattform\n";

// Whether the application is being made: a fatal message of Qt then (no platform plugin could be started,
// which under the offscreen platform means that memory ran out) would end the program with a core dump.
bool g_startingQt = false;

// Qt's own notes (a missing runtime folder, font fallbacks) are not the command's messages: standard
// error carries only the German message of a failure.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg && g_startingQt) {
        std::fputs(kCannotStartQt, stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
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
    // No GLib main loop either: GLib ends the program when an allocation fails, and a batch command runs
    // no events that need it.
    qputenv("QT_NO_GLIB", "1");
    static int argc = 1;
    static char name[] = "struktogramm";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QApplication> application;

    return runBatchCommand([&] {
        // Made inside the command: memory may run out while the toolkit starts.
        if (!QCoreApplication::instance()) {
            g_startingQt = true;
            application = std::make_unique<QApplication>(argc, argv);
            g_startingQt = false;
        }
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
