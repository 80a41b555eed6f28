#pragma once

// The exported Java text of a design as a view beside the diagrams needs it: its lines, the lines of each
// element, and the element a line belongs to; made from the tree for the part that is asked for, never
// kept whole. The text of a large design can be far larger than the design (every line carries its
// indentation: 250,000 statements nested 999 deep export about 500 MB), so every block keeps what the
// text of its sequence measures (TJavaSequence), made again only after something in it changed. A
// question runs the export itself with a sink that takes the measured parts as written and keeps only
// the bytes asked for, so the text is always exactly what "Exportieren" writes.

#include "model/struktteile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What a piece of text measures as far as its lines go. A line's length is what a view shows of it: its
// bytes without the line end "\n" and without the "\r" bytes before that.
struct TTextShape
{
    // Part of a line: its bytes, and how many of them at its end are "\r".
    struct Piece
    {
        std::uint64_t bytes = 0;
        std::uint64_t returns = 0;
    };

    std::uint64_t bytes = 0;
    std::uint64_t lineEnds = 0; // "\n" bytes
    Piece head;                 // before the first line end (all of it when there is none)
    Piece tail;                 // after the last line end (all of it when there is none)
    std::uint64_t longest = 0;  // the longest line between the first and the last line end

    static TTextShape of(std::string_view text);
    // This text followed by `next`.
    void append(const TTextShape& next);
    // The longest line, the first and the last one included.
    std::uint64_t longestLine() const;
    bool endsWithLineEnd() const { return lineEnds > 0 && tail.bytes == 0; }
};

// What a block keeps of the Java text of its sequence (model/javalines.cpp): valid while nothing in the
// block changed and its children are written with an indentation of `indent` blanks.
struct TJavaSequence
{
    // Runs of about 64 children, with what the children before each wrote: a place in a long sequence is
    // found without walking all of it, and an edit measures only the runs it changed. An insertion or
    // removal makes its run longer or shorter; a run that grows past twice the length is split.
    struct Run
    {
        const TElement* first;
        std::uint64_t bytes;    // written by the children before it
        std::uint64_t lineEnds; // in them
        std::uint32_t start;    // children before it
        std::uint32_t count;    // children in the run
        TTextShape shape;       // what they write
    };
    std::size_t indent = 0;
    TTextShape total;
    std::vector<Run> runs; // empty for short sequences
};

class TJavaLines
{
public:
    // The file form of the export of `root` ("Exportieren"), CR LF line ends. Valid as long as the design
    // does not change.
    explicit TJavaLines(const TBlock& root);

    // Bytes of the whole text.
    std::size_t size() const { return static_cast<std::size_t>(m_shape.bytes); }
    // Number of lines (a text ending in a line end has no empty last line).
    int lineCount() const;
    // Characters of the longest line.
    std::size_t longestLine() const { return static_cast<std::size_t>(m_shape.longestLine()); }
    // Line `n` (counted from 0) without its line end; empty for a line that does not exist.
    std::string line(int n) const;
    // Up to `count` characters of line `n` from its character `from` on.
    std::string line(int n, std::size_t from, std::size_t count) const;
    // The bytes from `from` up to `to` of the text.
    std::string text(std::size_t from, std::size_t to) const;
    // The first and the last line (counted from 0) of what `e` wrote, with everything inside it; nothing
    // when it wrote no line of its own (not part of the design, or an empty body). `e` must be alive.
    std::optional<std::pair<int, int>> linesOf(const TElement* e) const;
    // The lines that show the step of `e` when a program runs it: all lines of a statement, the head line
    // of a decision or of a loop with the test first, the test line (the last) of a loop with the test
    // after the body; nothing for a block or an element not in the text.
    std::optional<std::pair<int, int>> stepLines(const TElement* e) const;
    // The element a line belongs to: the innermost one that wrote the line's first character that is not
    // a blank; null for an empty line.
    const TElement* elementAt(int line) const;
    // Where line `n` starts in the text; the text's length for n == lineCount().
    std::size_t lineStart(int n) const;
    // The line that holds the character at `offset` of the text.
    int lineOf(std::size_t offset) const;

private:
    // The lines last asked for and those around them.
    struct Window
    {
        int first = 0;
        std::vector<std::string> texts; // the beginning of each line
        std::vector<std::uint64_t> lengths;
        std::vector<std::uint64_t> starts;
        std::vector<const TElement*> owners;
    };
    const Window& windowAround(int line) const;

    const TBlock& m_root;
    TTextShape m_shape;
    mutable Window m_window;
};
