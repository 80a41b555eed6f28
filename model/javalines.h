#pragma once

// The exported Java text of a design together with where each element stands in it, for a view of the
// text beside the diagrams: the lines of an element, and the element a line belongs to.

#include "model/struktteile.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TJavaLines
{
public:
    // The file form of the export of `root` ("Exportieren"), CR LF line ends.
    explicit TJavaLines(const TBlock& root);

    const std::string& text() const { return m_text; }
    // Number of lines (a text ending in a line end has no empty last line).
    int lineCount() const { return static_cast<int>(m_lineStarts.size()); }
    // Line `n` (counted from 0) without its line end.
    std::string_view line(int n) const;
    // The first and the last line (counted from 0) of what `e` wrote, with everything inside it; nothing
    // when it wrote no line of its own (not part of the design, or an empty body).
    std::optional<std::pair<int, int>> linesOf(const TElement* e) const;
    // The lines that show the step of `e` when a program runs it: all lines of a statement, the head line
    // of a decision or of a loop with the test first, the test line (the last) of a loop with the test
    // after the body; nothing for a block or an element not in the text.
    std::optional<std::pair<int, int>> stepLines(const TElement* e) const;
    // The element a line belongs to: the innermost one that wrote the line's first character that is not
    // a blank; null for an empty line.
    const TElement* elementAt(int line) const;
    // Where line `n` starts in text(); the text's length for n == lineCount().
    std::size_t lineStart(int n) const;
    // The line that holds the character at `offset` of text().
    int lineOf(std::size_t offset) const;

private:
    struct Span
    {
        const TElement* element;
        std::size_t start;
        std::size_t end;
    };

    // Works out the element each line belongs to.
    void assignOwners(const TBlock& root);

    std::string m_text;
    std::vector<Span> m_spans;             // in the order the export wrote them (inner ones first)
    std::vector<std::size_t> m_lineStarts; // offset of each line's first character
    std::vector<const TElement*> m_owners; // the element each line belongs to
};
