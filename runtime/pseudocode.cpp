#include "runtime/pseudocode.h"

#include "runtime/messages.h"

#include <cctype>

namespace runtime {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && (isSpace(s.back()) || s.back() == ';'))
        s.remove_suffix(1);
    return s;
}

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool isIdentifierStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

bool isIdentifier(std::string_view s)
{
    if (s.empty() || !isIdentifierStart(s.front()))
        return false;
    for (char c : s)
        if (!isIdentifierStart(c) && !std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// The first word of `s` (letters only) in lower case, and what follows it, trimmed; a ':' after the word
// is dropped ("Ausgabe: summe").
std::pair<std::string, std::string_view> firstWord(std::string_view s)
{
    std::size_t end = 0;
    while (end < s.size() && std::isalpha(static_cast<unsigned char>(s[end])))
        ++end;
    std::string_view rest = trimmed(s.substr(end));
    if (!rest.empty() && rest.front() == ':')
        rest = trimmed(rest.substr(1));
    return {lower(s.substr(0, end)), rest};
}

// "x <- 5", "x := 5", and "x ? 5" (an arrow that code page 1252 cannot hold has become '?').
std::optional<std::pair<std::string_view, std::string_view>> arrowAssignment(std::string_view s)
{
    std::size_t end = 0;
    while (end < s.size() && !isSpace(s[end]) && s[end] != '<' && s[end] != ':' && s[end] != '?')
        ++end;
    const std::string_view target = s.substr(0, end);
    std::string_view rest = trimmed(s.substr(end));
    if (!isIdentifier(target))
        return std::nullopt;
    if (rest.substr(0, 2) == "<-" || rest.substr(0, 2) == ":=")
        rest.remove_prefix(2);
    else if (rest.substr(0, 1) == "?")
        rest.remove_prefix(1);
    else
        return std::nullopt;
    rest = trimmed(rest);
    if (rest.empty())
        return std::nullopt;
    return std::pair{target, rest};
}

std::string notJava(std::string_view text)
{
    return msg::quoted(std::string(text)) + " ist Pseudocode, kein Java. ";
}

std::string inputAdvice(std::string_view text, std::string_view variable)
{
    const std::string v = isIdentifier(variable) ? std::string(variable) : std::string("x");
    return notJava(text) + "Eine ganze Zahl liest Java mit " + msg::quoted("int " + v + " = sc.nextInt();") +
           " (eine Kommazahl mit " + msg::quoted("double " + v + " = sc.nextDouble();") + ", ein Wort mit " +
           msg::quoted("String " + v + " = sc.next();") + "); dazu steht einmal am Anfang " +
           msg::quoted("Scanner sc = new Scanner(System.in);");
}

std::string outputAdvice(std::string_view text, std::string_view what)
{
    return notJava(text) + "Java gibt mit " + msg::quoted("System.out.println(" + std::string(what) + ");") +
           " aus";
}

// "wenn c dann ...", "falls c", "solange c": the condition alone belongs into the element, and a decision
// or loop is an element of its own.
std::optional<std::string> decisionAdvice(std::string_view text, std::string_view word, std::string_view rest,
                                          bool condition)
{
    // The condition alone, without "dann" and what follows it.
    std::string_view test = rest;
    const std::string lowered = lower(rest);
    const std::size_t then = lowered.find(" dann");
    if (then != std::string::npos)
        test = trimmed(rest.substr(0, then));
    if (test.empty())
        return std::nullopt;
    if (condition)
        return notJava(text) + "In die Bedingung geh\xf6rt nur " + msg::quoted(std::string(test));
    const bool loop = word == "solange";
    return notJava(text) +
           (loop ? "Eine Wiederholung ist ein eigenes Element: ein while-Element"
                 : "Eine Verzweigung ist ein eigenes Element: ein if-Element") +
           " mit der Bedingung " + msg::quoted(std::string(test));
}

} // namespace

std::optional<std::string> pseudoCodeAdvice(std::string_view fullText, bool condition)
{
    const std::string_view text = trimmed(fullText);
    const auto [word, rest] = firstWord(text);
    if (word == "wenn" || word == "falls" || word == "solange")
        return decisionAdvice(text, word, rest, condition);
    if (condition || rest.empty())
        return std::nullopt;
    if (word == "eingabe" || word == "lies" || word == "lese" || word == "einlesen") {
        std::string_view variable = rest;
        if (lower(variable).size() > 4 && lower(variable).substr(variable.size() - 4) == " ein")
            variable = trimmed(variable.substr(0, variable.size() - 4)); // "lies x ein"
        return inputAdvice(text, variable);
    }
    if (word == "ausgabe" || word == "drucke" || word == "schreibe")
        return outputAdvice(text, rest);
    if (word == "ausgeben") {
        std::string_view what = rest;
        if (what.size() >= 2 && what.front() == '(' && what.back() == ')')
            what = trimmed(what.substr(1, what.size() - 2));
        return outputAdvice(text, what);
    }
    if (word == "gib" && lower(rest).size() > 4 && lower(rest).substr(rest.size() - 4) == " aus")
        return outputAdvice(text, trimmed(rest.substr(0, rest.size() - 4)));
    if (const auto assignment = arrowAssignment(text))
        return notJava(text) + "Java weist mit " + msg::quoted("=") + " zu: " +
               msg::quoted(std::string(assignment->first) + " = " + std::string(assignment->second) + ";");
    return std::nullopt;
}

} // namespace runtime
