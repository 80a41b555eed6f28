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

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// What a child made, as the first byte of what it sends: the bytes follow, or the error's reason and
// file name, or nothing for memory running out.
constexpr char kChildMade = 'b';
constexpr char kChildError = 'e';
constexpr char kChildOutOfMemory = 'm';

bool writeAll(int fd, const char* data, std::size_t size) noexcept
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// The child's side: runs `make` and sends its result or failure; never returns.
[[noreturn]] void makeAndSend(int fd, const std::function<QByteArray()>& make) noexcept
{
    bool sent = false;
    try {
        const QByteArray bytes = make();
        sent = writeAll(fd, &kChildMade, 1) &&
               writeAll(fd, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    } catch (const DesignError& error) {
        const char reason = static_cast<char>(error.reason());
        sent = writeAll(fd, &kChildError, 1) && writeAll(fd, &reason, 1) &&
               writeAll(fd, error.fileName().data(), error.fileName().size());
    } catch (...) {
        sent = writeAll(fd, &kChildOutOfMemory, 1);
    }
    // No destructors and no exit handlers: the toolkit's objects belong to the parent.
    ::_exit(sent ? 0 : 1);
}

// Runs `make` in a child process and gives the bytes it made, or throws the DesignError or memory failure
// it ended with. The toolkit does not check all of its own allocations while it draws and finishes a
// picture (the PDF engine embeds the fonts at the document's end so): where one of them fails, it
// follows a null pointer, which no guard can catch. In a child that ends the child only; a child that
// ends by a signal or without an answer has run out of memory, and the command fails as for any
// shortage, with the old file kept.
std::string madeInChild(const std::function<QByteArray()>& make)
{
    std::fflush(nullptr); // nothing buffered is written twice
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        throw std::bad_alloc();
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        throw std::bad_alloc();
    }
    if (child == 0) {
        ::close(pipeEnds[0]);
        makeAndSend(pipeEnds[1], make);
    }
    ::close(pipeEnds[1]);
    std::string received;
    bool readFailed = false;
    try {
        char chunk[1 << 16];
        for (;;) {
            const ssize_t got = ::read(pipeEnds[0], chunk, sizeof chunk);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                readFailed = got < 0;
                break;
            }
            received.append(chunk, static_cast<std::size_t>(got));
        }
    } catch (...) {
        // The child, finding the pipe closed, ends; it is waited for in any case.
        ::close(pipeEnds[0]);
        ::waitpid(child, nullptr, 0);
        throw;
    }
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (readFailed || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || received.empty())
        throw std::bad_alloc();
    switch (received[0]) {
    case kChildMade:
        received.erase(0, 1);
        return received;
    case kChildError:
        if (received.size() >= 2)
            throw DesignError(static_cast<ErrorReason>(received[1]), received.substr(2));
        break;
    default:
        break;
    }
    throw std::bad_alloc();
}

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
        file += madeInChild([&] {
            if (format == TPictureFormat::Pdf)
                return renderPdf(*root, flowchart, out);
            // The whole-design window as it starts: nothing collapsed, nothing marked.
            TPictureSource picture(*root, TDisplayOptions(), flowchart);
            return pictureBytes(picture, format, scale, out);
        });
        file.commit();
    });
}
