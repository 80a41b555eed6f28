// Start-up: reads the command line, then runs a batch command, prints the help or the version, or starts
// the editor. Help, version and the batch commands need no display.
#include "app/batch.h"
#include "app/editor.h"
#include "ui/commandguard.h"
#include "ui/picture.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kUsageError = 2;

using Files = std::vector<std::string>;

// One batch command: the option that names it and takes its first file, the names of all its files, the
// options only it accepts, what it does (for the help), and how it runs.
struct BatchCommand
{
    QString name;
    QStringList files;
    QList<QCommandLineOption> options;
    QString help;
    std::function<int(const Files& files, const QCommandLineParser& parser)> run;
};

bool print(std::FILE* stream, const QString& text);
std::string toArgument(const QString& text);

// The value of --render's --scale (1 when it is not given), or nothing after a message when the value is
// no number in range or the output is the printed page, which has the page's size.
std::optional<double> scaleOption(const QCommandLineParser& parser, const std::string& out)
{
    const QString name = QStringLiteral("scale");
    if (!parser.isSet(name))
        return 1.0;
    bool number = false;
    const double scale = parser.value(name).toDouble(&number);
    if (!number || !(scale >= kMinPictureScale && scale <= kMaxPictureScale)) {
        print(stderr, QStringLiteral("--scale erwartet eine Zahl von 0.25 bis 8, nicht „%1“\n")
                          .arg(parser.value(name)));
        return std::nullopt;
    }
    if (QString::fromLatin1(out.c_str()).endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        print(stderr,
              QStringLiteral("--scale gilt nur für PNG und SVG; die PDF-Datei ist die gedruckte Seite\n"));
        return std::nullopt;
    }
    return scale;
}

const std::vector<BatchCommand>& batchCommands()
{
    static const std::vector<BatchCommand> commands = {
        {QStringLiteral("dump"),
         {QStringLiteral("DATEI.str")},
         {},
         QStringLiteral("gibt den Elementbaum des Entwurfs aus"),
         [](const Files& files, const QCommandLineParser&) { return batchDump(files[0]); }},
        {QStringLiteral("export-java"),
         {QStringLiteral("DATEI.str"), QStringLiteral("AUSGABE.java")},
         {},
         QStringLiteral("schreibt den Entwurf als Java-Quelltext"),
         [](const Files& files, const QCommandLineParser&) { return batchExportJava(files[0], files[1]); }},
        {QStringLiteral("export-java-program"),
         {QStringLiteral("DATEI.str"), QStringLiteral("AUSGABE.java")},
         {},
         QStringLiteral("schreibt den Entwurf als übersetzbares Java-Programm (Klasse mit main)"),
         [](const Files& files, const QCommandLineParser&) {
             return batchExportJavaProgram(files[0], files[1]);
         }},
        {QStringLiteral("import-java"),
         {QStringLiteral("QUELLE.txt"), QStringLiteral("AUSGABE.str")},
         {},
         QStringLiteral("baut aus Java-ähnlichem Text einen Entwurf und speichert ihn"),
         [](const Files& files, const QCommandLineParser&) { return batchImportJava(files[0], files[1]); }},
        {QStringLiteral("render"),
         {QStringLiteral("DATEI.str"), QStringLiteral("AUSGABE.png|AUSGABE.svg|AUSGABE.pdf")},
         {QCommandLineOption(QStringLiteral("flowchart"), QStringLiteral("zeichnet das Flussdiagramm")),
          QCommandLineOption(QStringLiteral("scale"),
                             QStringLiteral("zeichnet PNG und SVG N-mal so groß (0.25 bis 8, z. B. 2)"),
                             QStringLiteral("N"))},
         QStringLiteral("zeichnet den Entwurf als Bild (PNG, SVG) oder als gedruckte Seite (PDF)"),
         [](const Files& files, const QCommandLineParser& parser) {
             const std::optional<double> scale = scaleOption(parser, files[1]);
             if (!scale)
                 return kUsageError;
             return batchRender(files[0], files[1], parser.isSet(QStringLiteral("flowchart")), *scale);
         }},
        {QStringLiteral("run"),
         {QStringLiteral("DATEI.str")},
         {QCommandLineOption(QStringLiteral("max-steps"), QStringLiteral("hält nach N Schritten an"),
                             QStringLiteral("N")),
          QCommandLineOption(
              QStringLiteral("trace"),
              QStringLiteral("schreibt jeden Schritt mit den Variablen auf die Standardfehlerausgabe")),
          QCommandLineOption(QStringLiteral("trace-table"),
                             QStringLiteral("schreibt das Ablaufprotokoll als CSV-Datei (UTF-8)"),
                             QStringLiteral("AUSGABE.csv")),
          QCommandLineOption(QStringLiteral("counts"),
                             QStringLiteral("schreibt nach dem Lauf, wie oft jedes Element lief, auf die "
                                            "Standardfehlerausgabe"))},
         QStringLiteral("führt den Entwurf aus, wie sein Java-Text läuft (Standardein- und -ausgabe)"),
         [](const Files& files, const QCommandLineParser& parser) {
             RunOptions options;
             options.trace = parser.isSet(QStringLiteral("trace"));
             options.traceTable = toArgument(parser.value(QStringLiteral("trace-table")));
             options.counts = parser.isSet(QStringLiteral("counts"));
             return batchRun(files[0], toArgument(parser.value(QStringLiteral("max-steps"))), options);
         }},
        // A further batch command is one more entry here: its function is declared in app/batch.h.
    };
    return commands;
}

// The arguments are read as Latin-1, one character per byte, so that a file name comes back byte for
// byte whatever its encoding; every option name is ASCII.
QString fromArgument(const char* argument)
{
    return QString::fromLatin1(argument);
}

std::string toArgument(const QString& text)
{
    return text.toLatin1().toStdString();
}

bool print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    return std::fflush(stream) == 0 && !std::ferror(stream);
}

QString usageText()
{
    QString text = QStringLiteral("Aufruf:\n  struktogramm [DATEI.str]\n");
    for (const BatchCommand& command : batchCommands()) {
        text += QStringLiteral("  struktogramm --") + command.name + u' ' + command.files.join(u' ');
        for (const QCommandLineOption& option : command.options) {
            text += QStringLiteral(" [--") + option.names().constFirst();
            if (!option.valueName().isEmpty())
                text += u' ' + option.valueName();
            text += u']';
        }
        text += u'\n';
    }
    return text;
}

QString helpText()
{
    QString text = usageText();
    text += QStringLiteral("\nOhne Befehl startet der Editor, mit DATEI.str öffnet er diesen Entwurf.\n"
                           "Die Befehle öffnen kein Fenster und brauchen keine grafische Anzeige:\n");
    const auto line = [&text](const QString& name, const QString& description) {
        text += QStringLiteral("  %1 %2\n").arg(name, -17).arg(description);
    };
    for (const BatchCommand& command : batchCommands()) {
        line(QStringLiteral("--") + command.name, command.help);
        for (const QCommandLineOption& option : command.options)
            line(QStringLiteral("  --") + option.names().constFirst(), option.description());
    }
    text += QStringLiteral("\nOptionen:\n");
    line(QStringLiteral("-h, --help"), QStringLiteral("zeigt diese Hilfe"));
    line(QStringLiteral("-v, --version"), QStringLiteral("zeigt die Versionsnummer"));
    line(QStringLiteral("--"), QStringLiteral("alles Weitere ist ein Dateiname, auch wenn es mit - beginnt"));
    text += QStringLiteral(
        "\nRückgabewert: 0 Erfolg, 1 Fehler (die Meldung steht auf der Standardfehlerausgabe),\n"
        "2 falscher Aufruf.\n");
    return text;
}

int usageError()
{
    print(stderr, usageText());
    return kUsageError;
}

// Names the unknown option as typed: a single-dash word such as "-dump" whole, although the parser
// reports only its first letter.
int unknownOption(const QString& name, const QStringList& arguments)
{
    QString option = (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    if (name.size() == 1) {
        const auto typed = std::find_if(arguments.begin() + 1, arguments.end(), [&option](const QString& a) {
            return a.startsWith(option) && !a.startsWith(QStringLiteral("--"));
        });
        if (typed != arguments.end())
            option = *typed;
    }
    // The option as typed, byte for byte.
    print(stderr, QStringLiteral("Unbekannte Option „"));
    const QByteArray bytes = option.toLatin1();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    print(stderr, QStringLiteral("“ (Aufruf siehe struktogramm --help)\n"));
    return kUsageError;
}

// Runs `command` when the arguments fit it: its option once, its remaining files as plain arguments, and
// no option of another command.
int runBatch(const BatchCommand& command, const QCommandLineParser& parser)
{
    const QStringList values = parser.values(command.name);
    const QStringList positional = parser.positionalArguments();
    if (values.size() != 1 || positional.size() != command.files.size() - 1)
        return usageError();
    for (const QString& found : parser.optionNames()) {
        const bool own = found == command.name || std::any_of(command.options.begin(), command.options.end(),
                                                              [&found](const QCommandLineOption& option) {
                                                                  return option.names().contains(found);
                                                              });
        if (!own)
            return usageError();
    }
    Files files{toArgument(values.constFirst())};
    for (const QString& argument : positional)
        files.push_back(toArgument(argument));
    return command.run(files, parser);
}

} // namespace

int main(int argc, char** argv)
{
    useCompactingAllocator();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << fromArgument(argv[i]);
    if (arguments.isEmpty())
        arguments << QStringLiteral("struktogramm");

    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    parser.addOption(help);
    parser.addOption(version);
    QStringList added;
    for (const BatchCommand& command : batchCommands()) {
        parser.addOption(QCommandLineOption(command.name, command.help, command.files.constFirst()));
        // An option that two commands share is added once.
        for (const QCommandLineOption& option : command.options) {
            if (!added.contains(option.names().constFirst()))
                parser.addOption(option);
            added << option.names();
        }
    }
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        return unknown.isEmpty() ? usageError() : unknownOption(unknown.constFirst(), arguments);
    }

    if (parser.isSet(help))
        return print(stdout, helpText()) ? 0 : 1;
    if (parser.isSet(version))
        return print(stdout, QStringLiteral("struktogramm " STRUKT_VERSION "\n")) ? 0 : 1;

    const BatchCommand* chosen = nullptr;
    for (const BatchCommand& command : batchCommands()) {
        if (!parser.isSet(command.name))
            continue;
        if (chosen)
            return usageError();
        chosen = &command;
    }
    if (chosen)
        return runBatch(*chosen, parser);

    // The editor: no option of a batch command; the first file argument names the design to open, as a
    // file manager passes it, and any further ones are ignored.
    const QStringList positional = parser.positionalArguments();
    if (!parser.optionNames().isEmpty())
        return usageError();
    std::optional<std::string> designFile;
    if (!positional.isEmpty())
        designFile = toArgument(positional.constFirst());
    return runEditor(argv[0] ? argv[0] : "struktogramm", designFile);
}
