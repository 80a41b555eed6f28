#pragma once

// java.util.Scanner over System.in or over a String, with Java's token rules for the number format of
// the run's locale: tokens are separated by white space (Character.isWhitespace); nextInt accepts an
// optional sign and digits, with the grouping separator between groups of three; nextDouble also the
// decimal separator, an exponent,
// "NaN", "Infinity" and hexadecimal numbers. A token that does not fit throws InputMismatchException
// and stays unread; the end of the input throws NoSuchElementException. Each scanner keeps what it has
// read from System.in, as Java's does, so a second scanner on System.in sees only what the first one
// has not taken from the source.

#include "runtime/runtime.h"
#include "runtime/values.h"

#include <array>
#include <optional>
#include <string>

namespace runtime {

class Machine;

class JScanner final : public Obj
{
public:
    // A scanner on System.in (reads through the machine), or on the fixed `text`.
    JScanner();
    explicit JScanner(std::u16string text);

    std::int32_t nextInt(Machine& m);
    std::int64_t nextLong(Machine& m);
    double nextDouble(Machine& m);
    bool nextBoolean(Machine& m);
    std::u16string next(Machine& m);
    std::u16string nextLine(Machine& m);
    bool hasNext(Machine& m);
    bool hasNextInt(Machine& m);
    bool hasNextLong(Machine& m);
    bool hasNextDouble(Machine& m);
    bool hasNextLine(Machine& m);
    void close(Machine& m);

private:
    enum class Pattern { Any, Integer, Float, Boolean };

    // Throws IllegalStateException on a closed scanner; each operation starts with it.
    void ensureOpen();
    void readInput(Machine& m);
    // The next complete token if it matches `p`; otherwise nothing, with `needInput` set when more input
    // could complete it.
    std::optional<std::u16string> completeToken(Pattern p, const NumberSymbols& symbols, bool& needInput);
    std::u16string nextToken(Machine& m, Pattern p);
    std::optional<std::u16string> peekToken(Machine& m, Pattern p);
    // The next line and the length of its line separator, or nothing at the end of the input.
    std::optional<std::u16string> findLine(Machine& m, bool consume);
    [[noreturn]] void throwFor(Pattern p, const NumberSymbols& symbols);

    // How far a search from `from` has looked without finding what it looks for. More input only
    // appends to the buffer, so the next search from the same place goes on from `upTo`: a long line or
    // token that arrives in pieces is looked at once, not once per piece.
    enum class Scan { Delimiters, Token, Line };
    struct ScanProgress
    {
        std::size_t from = 0;
        std::size_t upTo = 0;
    };
    // The first place at or after `from` where `stop` holds for the character, or the buffer's end.
    template <typename Stop> std::size_t scan(Scan kind, std::size_t from, Stop stop);

    std::u16string m_buffer;
    std::size_t m_position = 0;
    std::array<ScanProgress, 3> m_scans{};
    bool m_fromStdin;
    bool m_sourceClosed = false;
    bool m_closed = false;
    bool m_skipped = false;
};

// Whether `token` as a whole is what Scanner.nextInt / nextDouble accepts (before the value is checked),
// and the text Integer.parseInt / Double.parseDouble is then given.
bool matchesInteger(const std::u16string& token, const NumberSymbols& symbols);
bool matchesFloat(const std::u16string& token, const NumberSymbols& symbols);
// Without the grouping separators, with '.' for the decimal separator.
std::u16string javaNumberText(const std::u16string& token, const NumberSymbols& symbols);

} // namespace runtime
