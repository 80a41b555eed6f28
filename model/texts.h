#pragma once

// The system's fixed German texts, as code page 1252 byte strings. Model sources stay ASCII, so letters
// outside ASCII are written as octal escapes, which end after three digits (\344 = a-umlaut,
// \366 = o-umlaut, \374 = u-umlaut, \337 = sharp s).

namespace texts {

// Default texts of new elements.
inline constexpr char kAnweisung[] = "Anweisung";
inline constexpr char kUnknown[] = "???";
inline constexpr char kJaBlock[] = "Ja-Block";
inline constexpr char kNeinBlock[] = "Nein-Block";
inline constexpr char kWhileBlock[] = "While-Block";
inline constexpr char kDoWhileBlock[] = "DoWhile-Block";
inline constexpr char kRepeatUntilBlock[] = "RepeatUntil-Block";
inline constexpr char kForBlock[] = "For-Block";
inline constexpr char kGesamtesProgramm[] = "gesamtes Programm";

// Labels of the decision and loop figures.
inline constexpr char kJa[] = "ja";
inline constexpr char kNein[] = "nein";

// Platform messages; %s stands for a file name.
inline constexpr char kStreamReadError[] = "Stream-Lesefehler";
inline constexpr char kStreamWriteError[] = "Stream-Schreibfehler";
inline constexpr char kCannotOpenFile[] = "Datei %s kann nicht ge\366ffnet werden";
inline constexpr char kCannotCreateFile[] = "Datei %s kann nicht erstellt werden";
inline constexpr char kClipboardBusy[] = "Zwischenablage kann nicht ge\366ffnet werden";
inline constexpr char kOutOfMemory[] = "Nicht genug Arbeitsspeicher f\374r diesen Befehl";
inline constexpr char kClipboardTextTooLarge[] =
    "Der Text f\374r die Zwischenablage ist zu gro\337 (mehr als 256 MiB)";

// Messages of the batch renderer; %s stands for the output file name.
inline constexpr char kUnknownOutputFormat[] = "Unbekanntes Ausgabeformat f\374r %s (png, svg oder pdf)";
inline constexpr char kImageTooLarge[] = "Das Bild f\374r %s ist zu gro\337";

// The system's own messages.
inline constexpr char kNotADesign[] = "Datei \204%s\223 ist kein Struktogramm.";
inline constexpr char kTooDeeplyNested[] =
    "Das Struktogramm ist zu tief verschachtelt (mehr als 1000 Ebenen)";
inline constexpr char kOnlyStatementsRefine[] = "Nur Anweisungen k\366nnen genauer spezifiziert werden";

// The kinds of the elements as assistive technology names them, and the places of branch blocks.
inline constexpr char kOutlineStatement[] = "Anweisung";
inline constexpr char kOutlineBlock[] = "Block";
inline constexpr char kOutlineDecision[] = "Entscheidung";
inline constexpr char kOutlineWhile[] = "Schleife (Test vorher)";
inline constexpr char kOutlineDoWhile[] = "Schleife (Test danach)";
inline constexpr char kOutlineRepeat[] = "Schleife (wiederholen bis)";
inline constexpr char kOutlineFor[] = "Z\344hlschleife";
inline constexpr char kOutlineYesBranch[] = "Ja-Zweig";
inline constexpr char kOutlineNoBranch[] = "Nein-Zweig";
inline constexpr char kOutlineLoopBody[] = "Schleifenrumpf";

} // namespace texts
