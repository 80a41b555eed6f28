#pragma once

// The interpreter's German messages, as code page 1252 byte strings (sources stay ASCII: \x84 and \x93
// are the German quotes, \xe4 a-umlaut, \xf6 o-umlaut, \xfc u-umlaut, \xdf sharp s). The checker adds
// " in <element text>" to each problem, the run to each exception.

#include <string>

namespace runtime::msg {

inline std::string quoted(const std::string& s)
{
    return "\x84" + s + "\x93";
}

// --- Texts that are not Java ---
inline std::string syntaxError(const std::string& detail)
{
    return "Kein Java: " + detail;
}
inline std::string expected(const std::string& what, const std::string& found)
{
    return quoted(what) + " erwartet" + (found.empty() ? std::string() : " statt " + quoted(found));
}
inline std::string unexpectedToken(const std::string& t)
{
    return "unerwartetes " + quoted(t);
}
inline std::string unexpectedCharacter(const std::string& c)
{
    return "unerwartetes Zeichen " + quoted(c);
}
inline std::string keywordAsName(const std::string& w)
{
    return quoted(w) + " ist ein reserviertes Wort";
}
inline std::string loopInText(const std::string& w)
{
    return "Schleifen (" + quoted(w) + ") geh\xf6ren in ein Schleifen-Element";
}
inline std::string statementUnsupported(const std::string& w)
{
    return quoted(w) + " wird nicht unterst\xfctzt";
}
inline constexpr char kUnexpectedEnd[] = "der Text endet zu fr\xfch";
inline constexpr char kBadUnicodeEscape[] = "ung\xfcltige Unicode-Folge";
inline constexpr char kUnclosedComment[] = "Kommentar ohne Ende";
inline constexpr char kBadCharLiteral[] = "ung\xfcltiges Zeichenliteral";
inline constexpr char kBadEscape[] = "ung\xfcltige Escape-Folge";
inline constexpr char kTextBlock[] = "Textbl\xf6"
                                     "cke werden nicht unterst\xfctzt";
inline constexpr char kUnclosedString[] = "Zeichenkette ohne Ende";
inline constexpr char kBadNumber[] = "ung\xfcltige Zahl";
inline constexpr char kNumberTooLarge[] = "Zahl zu gro\xdf";
inline constexpr char kNumberTooSmall[] = "Zahl zu klein";
inline constexpr char kFloatUnsupported[] = "der Typ float wird nicht unterst\xfctzt";
inline constexpr char kTooDeep[] = "zu tief verschachtelt";
inline constexpr char kLabelsUnsupported[] = "Sprungmarken werden nicht unterst\xfctzt";
inline constexpr char kReturnValue[] = "main gibt keinen Wert zur\xfc"
                                       "ck";
inline constexpr char kElseWithoutIf[] = "\x84"
                                         "else\x93 ohne \x84if\x93";
inline constexpr char kDeclarationNotAllowed[] = "Deklaration hier nicht erlaubt";
inline constexpr char kArrayInitHere[] = "Feld-Initialisierer hier nicht erlaubt";
inline constexpr char kLambdaUnsupported[] = "Lambda-Ausdr\xfc"
                                             "cke werden nicht unterst\xfctzt";

// --- Names, types and flow ---
inline std::string unknownVariable(const std::string& n)
{
    return "Unbekannte Variable " + quoted(n);
}
inline std::string unknownType(const std::string& n)
{
    return "Unbekannter Typ " + quoted(n);
}
inline std::string unknownMethod(const std::string& n)
{
    return "Unbekannte Methode " + quoted(n);
}
inline std::string unknownField(const std::string& n)
{
    return "Unbekanntes Attribut " + quoted(n);
}
inline std::string typeUnsupported(const std::string& t)
{
    return "Typ " + quoted(t) + " wird nicht unterst\xfctzt";
}
inline std::string notAVariable(const std::string& n)
{
    return quoted(n) + " ist keine Variable";
}
inline std::string notAnArray(const std::string& t)
{
    return quoted(t) + " ist kein Feld";
}
inline std::string systemStreamHere(const std::string& n)
{
    return quoted("System." + n) + " ist hier nicht erlaubt";
}
inline std::string alreadyDeclared(const std::string& n)
{
    return "Variable " + quoted(n) + " ist schon deklariert";
}
inline std::string notInitialized(const std::string& n)
{
    return "Variable " + quoted(n) + " hat hier vielleicht noch keinen Wert";
}
inline std::string assignToFinal(const std::string& n)
{
    return "Der final-Variable " + quoted(n) + " kann kein Wert zugewiesen werden";
}
inline std::string incompatible(const std::string& from, const std::string& to)
{
    return quoted(from) + " kann nicht in " + quoted(to) + " umgewandelt werden";
}
inline std::string lossy(const std::string& from, const std::string& to)
{
    return "Umwandlung von " + quoted(from) + " in " + quoted(to) + " kann Werte verlieren";
}
inline std::string badOperand(const std::string& op, const std::string& t)
{
    return "Operator " + quoted(op) + " passt nicht zum Typ " + quoted(t);
}
inline std::string badOperands(const std::string& op, const std::string& a, const std::string& b)
{
    return "Operator " + quoted(op) + " passt nicht zu den Typen " + quoted(a) + " und " + quoted(b);
}
inline std::string incomparable(const std::string& a, const std::string& b)
{
    return quoted(a) + " und " + quoted(b) + " k\xf6nnen nicht verglichen werden";
}
inline std::string conditionNotBoolean(const std::string& t)
{
    return "Bedingung vom Typ " + quoted(t) + " statt boolean";
}
inline std::string conditionalTypes(const std::string& a, const std::string& b)
{
    return "Bedingter Ausdruck mit unvertr\xe4glichen Typen " + quoted(a) + " und " + quoted(b);
}
inline std::string noMatchingMethod(const std::string& n, const std::string& args)
{
    return "Methode " + quoted(n) + " passt nicht zu den Argumenten (" + args + ")";
}
inline std::string ambiguousCall(const std::string& n, const std::string& args)
{
    return "Aufruf von " + quoted(n) + " mit (" + args + ") ist mehrdeutig";
}
inline std::string noConstructor(const std::string& c)
{
    return "Kein passender Konstruktor f\xfcr " + quoted(c);
}
inline constexpr char kBlankFinal[] = "Eine final-Variable braucht hier einen Anfangswert";
inline constexpr char kVarNeedsValue[] = "\x84var\x93 braucht einen Anfangswert mit bekanntem Typ";
inline constexpr char kBreakOutsideLoop[] = "\x84"
                                            "break\x93 au\xdf"
                                            "erhalb einer Schleife";
inline constexpr char kContinueOutsideLoop[] = "\x84"
                                               "continue\x93 au\xdf"
                                               "erhalb einer Schleife";
inline constexpr char kNotAStatement[] = "Dieser Ausdruck ist keine Anweisung";
inline constexpr char kNotAssignable[] = "Diesem Ausdruck kann nichts zugewiesen werden";
inline constexpr char kUnreachable[] = "Anweisung wird nie erreicht";

// --- Exceptions while running ---
inline constexpr char kDivisionByZero[] = "Division durch null";
inline constexpr char kNullAccess[] = "Zugriff auf null";
inline constexpr char kNoMoreInput[] = "Keine Eingabe mehr vorhanden";
inline constexpr char kScannerClosed[] = "Der Scanner ist schon geschlossen";
inline constexpr char kOutOfMemory[] = "Nicht genug Speicher";
inline constexpr char kIllegalArgument[] = "Ung\xfcltiges Argument";
inline constexpr char kInputMismatch[] = "Die Eingabe passt nicht";
inline std::string arrayIndex(long index, long length)
{
    return "Index " + std::to_string(index) +
           " au\xdf"
           "erhalb des Feldes der L\xe4nge " +
           std::to_string(length);
}
inline std::string negativeLength(long length)
{
    return "Negative Feldl\xe4nge " + std::to_string(length);
}
inline std::string stringIndex(long index, long length)
{
    return "Index " + std::to_string(index) +
           " au\xdf"
           "erhalb der Zeichenkette der L\xe4nge " +
           std::to_string(length);
}
inline std::string stringRange(long begin, long end, long length)
{
    return "Bereich " + std::to_string(begin) + " bis " + std::to_string(end) +
           " au\xdf"
           "erhalb der Zeichenkette der L\xe4nge " +
           std::to_string(length);
}
inline std::string notANumber(const std::string& text)
{
    return quoted(text) + " ist keine Zahl";
}
inline std::string inputMismatch(const std::string& token, const char* expected)
{
    return "Die Eingabe " + quoted(token) + " ist " + expected;
}
// A number typed with the decimal separator of the other convention: `written` is how this machine's
// Java reads it.
inline std::string otherDecimalSeparator(const std::string& token, bool comma, const std::string& written)
{
    return "Die Eingabe " + quoted(token) + " ist keine Zahl: auf diesem Rechner steht " +
           (comma ? "ein Komma" : "ein Punkt") + " vor den Nachkommastellen (" + written + ")";
}
inline constexpr char kNoInteger[] = "keine ganze Zahl";
inline constexpr char kNoNumber[] = "keine Zahl";
inline constexpr char kNoBoolean[] = "kein Wahrheitswert";
// The faults of a printf or String.format specifier (`specifier` as the format writes it).
inline std::string incompleteFormat(const std::string& specifier)
{
    return "Unvollst\xe4ndige Formatangabe " + quoted(specifier);
}
inline std::string unknownConversion(const std::string& specifier, const std::string& conversion)
{
    return "Unbekannte Umwandlung " + quoted(conversion) + " in der Formatangabe " + quoted(specifier);
}
inline std::string badArgumentIndex(const std::string& specifier)
{
    return "Ung\xfcltige Argumentnummer in der Formatangabe " + quoted(specifier);
}
inline std::string formatNumberTooLarge(const std::string& specifier)
{
    return "Zu gro\xdf"
           "e Zahl in der Formatangabe " +
           quoted(specifier);
}
inline std::string duplicateFlag(const std::string& specifier, const std::string& flag)
{
    return "Das Kennzeichen " + quoted(flag) + " steht doppelt in der Formatangabe " + quoted(specifier);
}
inline std::string flagNotAllowed(const std::string& specifier, const std::string& flag)
{
    return "Das Kennzeichen " + quoted(flag) + " passt nicht zur Formatangabe " + quoted(specifier);
}
inline std::string flagsExclusive(const std::string& specifier)
{
    return "Die Kennzeichen der Formatangabe " + quoted(specifier) +
           " schlie\xdf"
           "en einander aus";
}
inline std::string widthMissing(const std::string& specifier)
{
    return "Die Formatangabe " + quoted(specifier) + " braucht eine Breite";
}
inline std::string widthNotAllowed(const std::string& specifier)
{
    return "Die Formatangabe " + quoted(specifier) + " erlaubt keine Breite";
}
inline std::string precisionNotAllowed(const std::string& specifier)
{
    return "Die Formatangabe " + quoted(specifier) + " erlaubt keine Genauigkeit";
}
inline std::string formatValueType(const std::string& specifier, const std::string& type)
{
    return "Formatangabe " + quoted(specifier) + " passt nicht zum Wert vom Typ " + quoted(type);
}
inline std::string badCodePoint(const std::string& specifier, const std::string& code)
{
    return "Zur Formatangabe " + quoted(specifier) + " ist " + code + " kein Zeichencode";
}
inline std::string missingFormatArgument(const std::string& specifier)
{
    return "Zur Formatangabe " + quoted(specifier) + " fehlt ein Wert";
}
inline std::string runError(const std::string& what, const std::string& text)
{
    return what + " in " + quoted(text);
}
inline std::string stepLimit(unsigned long long steps)
{
    return "Abbruch nach " + std::to_string(steps) + " Schritten: die Schrittgrenze ist erreicht";
}
inline std::string badStepLimit(const std::string& text)
{
    return "Ung\xfcltige Schrittgrenze " + quoted(text);
}

} // namespace runtime::msg
