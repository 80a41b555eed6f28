#pragma once

// The editor's fixed German texts that only the user interface shows: window and menu captions, hints,
// prompts and questions. Texts that the model also uses (messages, default element texts) are in
// model/texts.h as code page 1252 bytes.

#include <QLocale>
#include <QString>
#include <QStringList>

#include <cstddef>

namespace uitexts {

// One text a line reads best here.
// clang-format off

// The application's title, and the main window's caption in each drawing mode.
inline QString appTitle() { return QStringLiteral("Struktogramm-Editor"); }
inline QString captionStructogramMode() { return QStringLiteral("Struktogramm — Struktogramm-Editor"); }
inline QString captionFlowchartMode() { return QStringLiteral("Flussdiagramm — Struktogramm-Editor"); }
// The drawing modes, as the diagram area names itself to assistive technology.
inline QString structogramMode() { return QStringLiteral("Struktogramm"); }
inline QString flowchartMode() { return QStringLiteral("Flussdiagramm"); }

// The main window's caption: the file's name (or "Unbenannt"), a star while the design has unsaved
// changes, then the mode's caption.
inline QString untitled() { return QStringLiteral("Unbenannt"); }
inline QString mainCaption(const QString& fileName, bool modified, bool flowchart)
{
    return (fileName.isEmpty() ? untitled() : fileName) + (modified ? QStringLiteral("*") : QString()) +
           QStringLiteral(" — ") + (flowchart ? captionFlowchartMode() : captionStructogramMode());
}

// The status line while the active window has no current element.
inline QString clickAnElementFirst() { return QStringLiteral("Zuerst ein Element anklicken"); }

// The diagram window's default caption, replaced at once by the block's name.
inline QString diagramWindowDefault() { return QStringLiteral("Komplettes Programm"); }

// Input boxes of the text edit command: captions and prompts.
inline QString captionStatement() { return QStringLiteral("Anweisung"); }
inline QString captionDecision() { return QStringLiteral("If-Anweisung"); }
inline QString captionLoop() { return QStringLiteral("Schleife"); }
inline QString promptStatement() { return QStringLiteral("Gib eine neue Anweisung ein:"); }
inline QString promptCondition() { return QStringLiteral("Gib eine neue Bedingung ein:"); }

// The question before work would be thrown away, and its three answers with their mnemonics.
inline QString saveChangesQuestion() { return QStringLiteral("Änderungen speichern?"); }
inline QString answerJa() { return QStringLiteral("&Ja"); }
inline QString answerNein() { return QStringLiteral("&Nein"); }
inline QString answerAbbrechenQuestion() { return QStringLiteral("&Abbrechen"); }
// "Abbrechen" of the input box and the counting-loop dialog.
inline QString answerAbbrechen() { return QStringLiteral("Abbrechen"); }
inline QString answerOk() { return QStringLiteral("OK"); }

// File dialog filters, in the form description|pattern|description|pattern.
inline QString filterDesigns() { return QStringLiteral("Struktogramme (*.str)|*.str|Alle Dateien|*.*"); }
inline QString filterJava() { return QStringLiteral("Quellcode (*.java)|*.java|Alle Dateien|*.*"); }

// The print job could not be started (no printer, or the output file cannot be written).
inline QString cannotPrint() { return QStringLiteral("Der Ausdruck konnte nicht gestartet werden"); }

// The commands beside "Drucken" in the "Datei" menu and after the design's own items of "Ansicht".
inline QString menuPrintPreview() { return QStringLiteral("Druck&vorschau"); }
inline QString menuSavePicture() { return QStringLiteral("&Als Bild speichern …"); }
inline QString menuCopyPicture() { return QStringLiteral("Als B&ild kopieren"); }
inline QString menuZoomIn() { return QStringLiteral("&Vergrößern"); }
inline QString menuZoomOut() { return QStringLiteral("Ver&kleinern"); }
inline QString menuZoomReset() { return QStringLiteral("&Originalgröße"); }

// The picture formats of "Als Bild speichern"; the first three are PNG at 100, 200 and 400 %.
inline QString filterPictures()
{
    return QStringLiteral("PNG-Bild 100 % (*.png)|*.png|PNG-Bild 200 % (*.png)|*.png|PNG-Bild 400 % (*.png)|*.png|"
                          "SVG-Grafik (*.svg)|*.svg|PDF-Dokument (*.pdf)|*.pdf");
}
// What the picture is called in a message when it is too large for the clipboard.
inline QString clipboardPicture() { return QStringLiteral("die Zwischenablage"); }

// The print preview.
inline QString printPreviewCaption() { return QStringLiteral("Druckvorschau"); }
inline QString shrinkToOnePage() { return QStringLiteral("Auf eine Seite verkleinern"); }
inline QString spreadOverPages() { return QStringLiteral("Auf mehrere Seiten verteilen"); }
inline QString portrait() { return QStringLiteral("Hochformat"); }
inline QString landscape() { return QStringLiteral("Querformat"); }
inline QString printButton() { return QStringLiteral("Drucken …"); }
inline QString closeButton() { return QStringLiteral("Schließen"); }

// The counting-loop dialog.
inline QString countingLoopCaption() { return QStringLiteral("Zählschleife"); }
inline QString countingLoopVariable() { return QStringLiteral("Zählvariable"); }
inline QString countingLoopFrom() { return QStringLiteral("von"); }
inline QString countingLoopTo() { return QStringLiteral("bis"); }
inline QString buttonOk() { return QStringLiteral("Ok"); }

// Running the design: the menu after the design's menus, its speeds, the docks and their items at the end
// of the "Ansicht" menu.
inline QString menuRun() { return QStringLiteral("A&usführen"); }
inline QString menuRunStart() { return QStringLiteral("&Starten"); }
inline QString menuRunResume() { return QStringLiteral("&Fortsetzen"); }
inline QString runToolBar() { return QStringLiteral("Ausführen"); }
inline QString speedSliderLabel() { return QStringLiteral(" Tempo: "); }
inline QString speedSliderTip(int stepsPerSecond)
{
    return stepsPerSecond == 0 ? QStringLiteral("So schnell wie möglich")
                               : stepsPerSecond == 1 ? QStringLiteral("1 Schritt pro Sekunde")
                                                     : QStringLiteral("%1 Schritte pro Sekunde").arg(stepsPerSecond);
}
inline QString menuRunStep() { return QStringLiteral("&Einzelschritt"); }
inline QString menuRunPause() { return QStringLiteral("&Anhalten"); }
inline QString menuRunStop() { return QStringLiteral("&Beenden"); }
inline QString menuBreakpoint() { return QStringLiteral("&Haltepunkt an/aus"); }
inline QString menuSpeed() { return QStringLiteral("&Geschwindigkeit"); }
// A speed in steps per second, with its mnemonic; 0: as fast as possible.
inline QString menuSpeedItem(int stepsPerSecond, int mnemonicAt)
{
    if (stepsPerSecond == 0)
        return QStringLiteral("&So schnell wie möglich");
    QString number = QString::number(stepsPerSecond);
    number.insert(mnemonicAt, QLatin1Char('&'));
    return number + (stepsPerSecond == 1 ? QStringLiteral(" Schritt pro Sekunde") : QStringLiteral(" Schritte pro Sekunde"));
}
inline QString javaViewTitle() { return QStringLiteral("Java-Ansicht"); }
inline QString javaViewNoMemory() { return QStringLiteral("Für den Java-Text ist nicht genug Arbeitsspeicher frei."); }
inline QString variablesTitle() { return QStringLiteral("Variablen"); }
inline QString consoleTitle() { return QStringLiteral("Konsole"); }
inline QString menuJavaView() { return QStringLiteral("&Java-Ansicht"); }
inline QString menuVariables() { return QStringLiteral("Va&riablen"); }
inline QString menuConsole() { return QStringLiteral("Konso&le"); }
inline QString traceTitle() { return QStringLiteral("Ablaufprotokoll"); }
inline QString menuTrace() { return QStringLiteral("Ablauf&protokoll"); }
inline QString menuCounts() { return QStringLiteral("Ablauf&zählung"); }
inline QString traceStep() { return QStringLiteral("Schritt"); }
inline QString traceElement() { return QStringLiteral("Element"); }
inline QString traceCondition() { return QStringLiteral("Bedingung"); }
inline QString traceCopy() { return QStringLiteral("Tabelle &kopieren"); }
inline QString traceSaveCsv() { return QStringLiteral("Als &CSV speichern …"); }
inline QString tracePrint() { return QStringLiteral("&Drucken …"); }
inline QString traceColumns() { return QStringLiteral("&Spalten"); }
inline QString filterCsv() { return QStringLiteral("CSV-Dateien (*.csv)|*.csv|Alle Dateien|*.*"); }
// Above a trace table that holds only its newest rows.
inline QString traceDropped(std::size_t kept, unsigned long long dropped)
{
    const QLocale german(QLocale::German);
    return QStringLiteral("Gezeigt werden die letzten %1 Schritte; %2 frühere sind nicht mehr im Protokoll.")
        .arg(german.toString(static_cast<qulonglong>(kept)), german.toString(static_cast<qulonglong>(dropped)));
}
// Above a trace table that was opened while the run was under way.
inline QString traceFromStep(unsigned long long step)
{
    return QStringLiteral("Aufgezeichnet ab Schritt %1: vorher war das Ablaufprotokoll geschlossen oder bei "
                          "voller Geschwindigkeit verdeckt.")
        .arg(QLocale(QLocale::German).toString(static_cast<qulonglong>(step)));
}
// In place of a trace table that a run at full speed did not record.
inline QString traceNotAtFullSpeed()
{
    return QStringLiteral("Nicht aufgezeichnet: Bei voller Geschwindigkeit zeichnet das Ablaufprotokoll nur auf, "
                          "solange sein Reiter vorn liegt.");
}
inline QString variablesName() { return QStringLiteral("Name"); }
inline QString variablesType() { return QStringLiteral("Typ"); }
inline QString copyValue() { return QStringLiteral("Wert &kopieren"); }
inline QString variablesValue() { return QStringLiteral("Wert"); }
inline QString consoleInputHint() { return QStringLiteral("Eingabe für das Programm, mit der Eingabetaste abschicken"); }

// A number of steps with German thousands separators: "nach 1 Schritt", "nach 55.558.208 Schritten"
// (after "nach"), "1 Schritt", "12 Schritte" (on its own).
inline QString stepCount(unsigned long long steps)
{
    const QString number = QLocale(QLocale::German).toString(static_cast<qulonglong>(steps));
    return steps == 1 ? number + QStringLiteral(" Schritt") : number + QStringLiteral(" Schritten");
}
inline QString stepCountAlone(unsigned long long steps)
{
    const QString number = QLocale(QLocale::German).toString(static_cast<qulonglong>(steps));
    return steps == 1 ? number + QStringLiteral(" Schritt") : number + QStringLiteral(" Schritte");
}

// Input a running program asks for, and the element that asks; `step` is the number of the step that reads.
inline QString runWaiting(const QString& element, unsigned long long step)
{
    return QStringLiteral("Schritt %1 wartet auf eine Eingabe für „%2“")
        .arg(QLocale(QLocale::German).toString(static_cast<qulonglong>(step)), element);
}
inline QString consoleWaiting(const QString& element)
{
    return QStringLiteral("Das Programm wartet auf eine Eingabe für „%1“ – Zeile eintippen, Eingabetaste").arg(element);
}
inline QString inputCaption() { return QStringLiteral("Eingabe"); }
inline QString inputPrompt(const QString& element) { return QStringLiteral("Eingabe für „%1“:").arg(element); }

// What the status line and the console say about a run.
inline QString runCannotStart(int problems)
{
    return problems == 1 ? QStringLiteral("Das Programm kann nicht ausgeführt werden: ein Problem, siehe Konsole")
                         : QStringLiteral("Das Programm kann nicht ausgeführt werden: %1 Probleme, siehe Konsole").arg(problems);
}
inline QString runProblemsHeading() { return QStringLiteral("Das Programm kann nicht ausgeführt werden:"); }
inline QString runStarted() { return QStringLiteral("Ausführung gestartet"); }
inline QString runPausedBefore(const QString& element, unsigned long long steps)
{
    return QStringLiteral("Angehalten vor „%1“ nach %2").arg(element, stepCount(steps));
}
inline QString runAtBreakpoint(const QString& element, unsigned long long steps)
{
    return QStringLiteral("Haltepunkt vor „%1“ nach %2").arg(element, stepCount(steps));
}
inline QString runRunning(unsigned long long steps) { return QStringLiteral("Läuft … %1").arg(stepCountAlone(steps)); }
inline QString runFinished(int status, unsigned long long steps)
{
    return QStringLiteral("Programm beendet mit Status %1 nach %2").arg(QString::number(status), stepCount(steps));
}
inline QString runFailed(const QString& message) { return QStringLiteral("Fehler: %1").arg(message); }
inline QString runCancelled() { return QStringLiteral("Eingabe abgebrochen: Ausführung beendet"); }
inline QString runStopped(unsigned long long steps) { return QStringLiteral("Ausführung beendet nach %1").arg(stepCount(steps)); }
inline QString runEndedByEdit() { return QStringLiteral("Ausführung beendet: der Entwurf wurde geändert"); }
inline QString breakpointNeedsStep()
{
    return QStringLiteral("Haltepunkte stehen auf Anweisungen, Entscheidungen und Schleifen, nicht auf Blöcken");
}

// clang-format on

// "Zuletzt geöffnet" in the "Datei" menu: an item per design, numbered for the keyboard.
inline QString menuRecentFiles()
{
    return QStringLiteral("&Zuletzt ge\u00f6ffnet");
}
inline QString recentFileItem(int number, const QString& path)
{
    return QStringLiteral("&%1 %2").arg(number).arg(
        QString(path).replace(QLatin1Char('&'), QStringLiteral("&&")));
}
inline QString recentFileMissing(const QString& path)
{
    return QStringLiteral("Die Datei \u201e%1\u201c gibt es nicht mehr; sie wird aus der Liste genommen.")
        .arg(path);
}

// The "Hilfe" menu: the manual and the "Über" box.
inline QString menuHelp()
{
    return QStringLiteral("&Hilfe");
}
inline QString menuManual()
{
    return QStringLiteral("&Handbuch");
}
inline QString menuAbout()
{
    return QStringLiteral("Ü&ber Struktogramm-Editor");
}
inline QString manualTitle()
{
    return QStringLiteral("Handbuch \u2014 Struktogramm-Editor");
}
inline QString aboutText(const QString& version, const QString& qtVersion)
{
    return QStringLiteral(
               "<h3>Struktogramm-Editor %1</h3>"
               "<p>Entw\u00fcrfe als Struktogramm oder Flussdiagramm, ausgef\u00fchrt wie ihr Java-Text.</p>"
               "<p>Ver\u00f6ffentlicht unter der MIT-Lizenz.</p><p>Qt %2</p>")
        .arg(version, qtVersion);
}

// "Als Java-Programm exportieren" for a design that does not run: the problems, one a line.
inline QString notAProgram(const QStringList& problems)
{
    return QStringLiteral("Der Entwurf ist so noch kein Java-Programm:\n\n") +
           problems.join(QLatin1Char('\n'));
}

// What an import of Java text left out or replaced; empty when nothing. The editor shows it in the
// status line, --import-java on standard error.
inline QString importNotice(int commentsLeftOut, int charactersReplaced)
{
    QStringList parts;
    if (commentsLeftOut == 1)
        parts << QStringLiteral("1 Kommentar wurde ausgelassen");
    else if (commentsLeftOut > 1)
        parts << QStringLiteral("%1 Kommentare wurden ausgelassen").arg(commentsLeftOut);
    if (charactersReplaced == 1)
        parts << QStringLiteral("1 Zeichen ohne Platz im Zeichensatz wurde durch \u201e?\u201c ersetzt");
    else if (charactersReplaced > 1)
        parts << QStringLiteral("%1 Zeichen ohne Platz im Zeichensatz wurden durch \u201e?\u201c ersetzt")
                     .arg(charactersReplaced);
    return parts.isEmpty() ? QString()
                           : QStringLiteral("Java-Text eingef\u00fcgt: ") + parts.join(QStringLiteral(", ")) +
                                 QLatin1Char('.');
}

} // namespace uitexts
