#pragma once

// The trace table of a run ("Ablaufprotokoll", the desk check written on paper): one row per step with
// the step's number, the element's text, "ja"/"nein" after a condition, and one column per variable in
// the order the variables appear, a value written only where it changed. And how often each element ran.

#include "runtime/runtime.h"

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace runtime {

class TraceTable
{
public:
    struct Row
    {
        std::uint64_t step = 0;
        ElementId element;
        std::string text;   // the element's text, UTF-8
        std::string branch; // "ja", "nein" or empty
        // One entry per column known when the row was made: the value where it changed, else empty.
        std::vector<std::string> values;
    };

    // The table keeps the last `maxRows` rows; older ones are dropped (and counted).
    explicit TraceTable(std::size_t maxRows = kMaxRows);

    // Adds the row of a step that `run` has just made.
    void add(const Run& run, const StepResult& step);

    const std::vector<std::string>& columns() const { return m_columns; }
    const std::deque<Row>& rows() const { return m_rows; }
    std::uint64_t droppedRows() const { return m_dropped; }

    // The table as CSV, UTF-8: a header line, then one line per row; fields that hold the separator, a
    // quote or a line break are quoted. `columns` chooses the variables (all when empty).
    std::string csv(char separator, const std::vector<bool>& columns = {}) const;
    // The same table as an HTML table for word processors, UTF-8, with its header row.
    std::string html(const std::vector<bool>& columns = {}) const;

    static constexpr std::size_t kMaxRows = 100000;

private:
    std::size_t m_maxRows;
    std::vector<std::string> m_columns;
    std::unordered_map<std::string, std::size_t> m_columnOf;
    std::vector<std::string> m_last; // each column's value as last written ("" when not in scope)
    std::deque<Row> m_rows;
    std::uint64_t m_dropped = 0;
};

// A variable's value as the table writes it: Java's text, an array whole as Arrays.toString writes it,
// "?" while it has no value.
std::string traceValue(const Variable& variable);

// The CSV field separator that a spreadsheet of the environment's locale expects: ";" where the decimal
// separator is a comma, else ",". The locale is LC_ALL, else LC_NUMERIC, else LANG.
char csvSeparatorOfEnvironment();

} // namespace runtime
