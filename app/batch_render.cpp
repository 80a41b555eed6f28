// --render: the whole-design window's picture (PNG, SVG) or the printed page (PDF), without a window.

#include "app/batch.h"

#include "model/dateiformat.h"
#include "model/fileio.h"
#include "ui/cp1252.h"
#include "ui/picture.h"
#include "ui/printing.h"

#include <QApplication>
#include <QDir>
#include <QPrinter>
#include <QTemporaryFile>

#include <cstdio>
#include <memory>

namespace {

// The page the print command prints: the window's caption (for the whole-design window the root's name)
// at (10, 10) in the printer font, the diagram at y = 80, with the printer's metrics; a design too large for
// the page is shrunk to fit it, as the print command does.
std::string renderPdf(TBlock& root, bool flowchart, const std::string& out)
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/struktogramm-XXXXXX.pdf"));
    if (!file.open())
        throw DesignError(ErrorReason::CannotCreateFile, out);
    file.close();

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file.fileName());
    printer.setDocName(fromCp1252(root.Text));
    TDisplayOptions options;
    if (!printBlock(printer, TPrintJob{root.Text, root, options, flowchart}, TPageMode::ShrinkToFit))
        throw DesignError(ErrorReason::CannotCreateFile, out);
    return readWholeFile(file.fileName().toLocal8Bit().toStdString());
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
        if (format == TPictureFormat::Pdf) {
            file += renderPdf(*root, flowchart, out);
        } else {
            // The whole-design window as it starts: nothing collapsed, nothing marked.
            TPictureSource picture(*root, TDisplayOptions(), flowchart);
            const QByteArray bytes = pictureBytes(picture, format, scale, out);
            file += std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        }
        file.commit();
    });
}
