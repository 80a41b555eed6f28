// The editor's start-up: the application, its title, the main window with the design named by the first
// argument, the counting-loop dialog, then the event loop until the main window closes.
#include "app/batch.h"

#include "ui/foredit.h"
#include "ui/hauptfenster.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <optional>
#include <string>

int runEditor(int argc, char** argv)
{
    QApplication app(argc, argv);
    setApplicationTitle();
    // The toolkit's own dialogs (files, printing) speak German too, where the translations are installed.
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&toolkitTexts);

    std::optional<std::string> designFile;
    if (argc > 1)
        designFile = argv[1];
    TForm2 form2(designFile);
    setForm3(new TForm3(&form2));

    form2.show();
    return QApplication::exec();
}
