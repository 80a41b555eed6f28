// The editor's start-up: the application, its title and icon, the main window with the design named on the
// command line, the counting-loop dialog, then the event loop until the main window closes.
#include "app/editor.h"

#include "ui/commandguard.h"
#include "ui/foredit.h"
#include "ui/hauptfenster.h"
#include "ui/settings.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

constexpr char kNoDisplay[] = "Keine grafische Anzeige gefunden: der Editor braucht eine X11- oder "
                              "Wayland-Sitzung (die Befehle aus „struktogramm --help“ laufen auch ohne).\n";

// Qt's messages while the application connects to the display, held back until the connection stands.
QStringList heldMessages;

// Without a display Qt ends the program with a fatal message and a core dump, after warnings that only
// name the failing plugin; the user gets one German line and exit status 1 instead.
void holdStartMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fputs(kNoDisplay, stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    heldMessages << qFormatLogMessage(type, context, message);
}

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/struktogramm-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace

int runEditor(const char* programPath, const std::optional<std::string>& designFile)
{
    // Qt sees only the program's name: every argument has been read already, and a file name such as
    // "-reverse" must not turn into one of Qt's own options.
    std::string program = programPath;
    int argc = 1;
    char* argv[] = {program.data(), nullptr};

    const QtMessageHandler previousHandler = qInstallMessageHandler(holdStartMessages);
    QApplication app(argc, argv);
    qInstallMessageHandler(previousHandler);
    for (const QString& message : std::as_const(heldMessages))
        std::fprintf(stderr, "%s\n", qPrintable(message));
    heldMessages.clear();

    setApplicationTitle();
    QApplication::setWindowIcon(applicationIcon());
    // Links the windows to the installed menu entry (its icon and name on Wayland and in task bars).
    QGuiApplication::setDesktopFileName(QStringLiteral("struktogramm"));
    // The toolkit's own dialogs (files, printing) speak German too, where the translations are installed.
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&toolkitTexts);

    keepMemoryReserve();
    // The window, the zoom, the folders and the recent designs of the last session.
    appsettings::enable();
    TForm2 form2(designFile);
    setForm3(new TForm3(&form2));

    form2.show();
    return QApplication::exec();
}
