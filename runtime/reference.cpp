// The run's library as a list for the manual.
#include "runtime/reference.h"

#include "runtime/javatext.h"
#include "runtime/library.h"
#include "runtime/values.h"

#include <algorithm>

namespace runtime {

namespace {

std::string utf8(std::u16string_view text)
{
    return toUtf8(text);
}

// What the checker compiles itself instead of finding it in the library's table: output, exit,
// String.valueOf and String.format, the constructors, an array's length.
const std::vector<LibraryEntry>& compiledByTheChecker()
{
    static const std::vector<LibraryEntry> entries = {
        {"System.out", "print(Wert)", "void", false},
        {"System.out", "println()", "void", false},
        {"System.out", "println(Wert)", "void", false},
        {"System.out", "printf(String, Werte …)", "PrintStream", false},
        {"System.out", "format(String, Werte …)", "PrintStream", false},
        {"System", "exit(int)", "void", false},
        {"String", "valueOf(Wert)", "String", false},
        {"String", "format(String, Werte …)", "String", false},
        {"String", "new String()", "", false},
        {"String", "new String(String)", "", false},
        {"String", "new String(char[])", "", false},
        {"Scanner", "new Scanner(System.in)", "", false},
        {"Scanner", "new Scanner(String)", "", false},
        {"Feld", "length", "int", true},
    };
    return entries;
}

// The owners in the order the manual shows them.
int ownerRank(const std::string& owner)
{
    static const std::vector<std::string> order = {"System.out", "System",    "Scanner", "String",
                                                   "Math",       "Integer",   "Long",    "Double",
                                                   "Boolean",    "Character", "Feld"};
    const auto it = std::find(order.begin(), order.end(), owner);
    return static_cast<int>(it - order.begin());
}

} // namespace

std::vector<LibraryEntry> libraryReference()
{
    std::vector<LibraryEntry> entries = compiledByTheChecker();
    for (const Builtin& b : builtins()) {
        std::string parameters;
        for (std::size_t i = 0; i < b.params.size(); ++i)
            parameters += (i ? ", " : "") + typeName(b.params[i]);
        entries.push_back(
            {utf8(b.owner), utf8(b.name) + "(" + parameters + ")", typeName(b.result), b.instance});
    }
    for (const StaticField& f : staticFields())
        entries.push_back({utf8(f.owner), utf8(f.name), typeName(f.type), false});
    std::stable_sort(entries.begin(), entries.end(), [](const LibraryEntry& a, const LibraryEntry& b) {
        return ownerRank(a.owner) < ownerRank(b.owner);
    });
    return entries;
}

} // namespace runtime
