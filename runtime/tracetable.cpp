// The trace table of a run and its CSV form.
#include "runtime/tracetable.h"

#include "model/cp1252.h"
#include "runtime/javatext.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <string_view>

namespace runtime {

namespace {

std::string csvField(const std::string& field, char separator)
{
    if (field.find_first_of(std::string{separator, '"', '\n', '\r'}) == std::string::npos)
        return field;
    std::string out = "\"";
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

// A text as HTML writes it: the characters with a meaning of their own escaped.
std::string htmlText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool chosenColumn(const std::vector<bool>& chosen, std::size_t c)
{
    return chosen.empty() || (c < chosen.size() && chosen[c]);
}

} // namespace

TraceTable::TraceTable(std::size_t maxRows) : m_maxRows(std::max<std::size_t>(maxRows, 1)) {}

std::string traceValue(const Variable& variable)
{
    if (!variable.assigned)
        return "?";
    if (variable.elements.empty() && variable.type.find("[]") == std::string::npos)
        return variable.value;
    if (variable.value == "null")
        return "null";
    std::string out = "[";
    for (std::size_t i = 0; i < variable.elements.size(); ++i)
        out += (i ? ", " : "") + variable.elements[i];
    // A longer array than the run shows ("int[5000]") says that elements are left out.
    const std::size_t open = variable.value.rfind('[');
    std::size_t length = 0;
    if (open != std::string::npos)
        std::from_chars(variable.value.data() + open + 1, variable.value.data() + variable.value.size(),
                        length);
    if (length > variable.elements.size())
        out += ", \u2026";
    return out + "]";
}

void TraceTable::add(const Run& run, const StepResult& step)
{
    Row row;
    row.step = run.steps();
    row.element = step.executed;
    if (const TElement* e = step.executed.element)
        row.text = toUtf8(cp1252ToUtf16(e->Text));
    if (step.branch >= 0)
        row.branch = step.branch ? "ja" : "nein";

    std::vector<std::string> now(m_columns.size());
    std::vector<bool> inScope(m_columns.size(), false);
    for (const Variable& v : run.variables()) {
        // main's parameter is no variable of the design's.
        if (v.depth == 0 && v.name == "args" && v.type == "String[]")
            continue;
        const std::string name = toUtf8(cp1252ToUtf16(v.name));
        auto [it, added] = m_columnOf.try_emplace(name, m_columns.size());
        if (added) {
            m_columns.push_back(name);
            m_last.emplace_back();
            now.emplace_back();
            inScope.push_back(false);
        }
        // An inner variable of the same name hides the outer one: the innermost comes last.
        now[it->second] = traceValue(v);
        inScope[it->second] = true;
    }
    row.values.resize(m_columns.size());
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        if (!inScope[c]) {
            m_last[c].clear();
            continue;
        }
        if (now[c] != m_last[c]) {
            row.values[c] = now[c];
            m_last[c] = std::move(now[c]);
        }
    }
    if (m_rows.size() == m_maxRows) {
        m_rows.pop_front();
        ++m_dropped;
    }
    m_rows.push_back(std::move(row));
}

std::string TraceTable::csv(char separator, const std::vector<bool>& chosen) const
{
    const auto shown = [&chosen](std::size_t c) { return chosenColumn(chosen, c); };
    std::string out = "Schritt";
    out += separator;
    out += "Element";
    out += separator;
    out += "Bedingung";
    for (std::size_t c = 0; c < m_columns.size(); ++c)
        if (shown(c))
            out += separator + csvField(m_columns[c], separator);
    out += '\n';
    for (const Row& row : m_rows) {
        out += std::to_string(row.step);
        out += separator + csvField(row.text, separator);
        out += separator + row.branch;
        for (std::size_t c = 0; c < m_columns.size(); ++c)
            if (shown(c))
                out += separator + csvField(c < row.values.size() ? row.values[c] : std::string(), separator);
        out += '\n';
    }
    return out;
}

std::string TraceTable::html(const std::vector<bool>& chosen) const
{
    std::string out = "<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">\n<tr><th>Schritt</th>"
                      "<th>Element</th><th>Bedingung</th>";
    for (std::size_t c = 0; c < m_columns.size(); ++c)
        if (chosenColumn(chosen, c))
            out += "<th>" + htmlText(m_columns[c]) + "</th>";
    out += "</tr>\n";
    for (const Row& row : m_rows) {
        out += "<tr><td>" + std::to_string(row.step) + "</td><td>" + htmlText(row.text) + "</td><td>" +
               row.branch + "</td>";
        for (std::size_t c = 0; c < m_columns.size(); ++c)
            if (chosenColumn(chosen, c))
                out += "<td>" + htmlText(c < row.values.size() ? row.values[c] : std::string()) + "</td>";
        out += "</tr>\n";
    }
    return out + "</table>\n";
}

char csvSeparatorOfEnvironment()
{
    std::string_view locale;
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            locale = value;
            break;
        }
    }
    // The languages whose numbers have a decimal comma.
    static constexpr std::array<std::string_view, 24> kCommaLanguages = {
        "de", "fr", "es", "it", "nl", "pt", "ru", "pl", "cs", "sk", "da", "sv",
        "nb", "nn", "fi", "tr", "el", "hu", "ro", "bg", "uk", "hr", "sl", "id"};
    const std::string_view language = locale.substr(0, locale.find_first_of("_.@"));
    return std::find(kCommaLanguages.begin(), kCommaLanguages.end(), language) != kCommaLanguages.end() ? ';'
                                                                                                        : ',';
}

} // namespace runtime
