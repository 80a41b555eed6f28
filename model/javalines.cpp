#include "model/javalines.h"

#include "model/bytesink.h"
#include "model/javaexport.h"

#include <algorithm>
#include <unordered_map>

namespace {

// Collects the text and where each element's part of it begins and ends.
class TSpanSink : public TStringSink
{
public:
    struct Span
    {
        const TElement* element;
        std::uint64_t start;
        std::uint64_t end;
    };
    void elementWritten(const void* element, std::uint64_t start) override
    {
        spans.push_back({static_cast<const TElement*>(element), start, size()});
    }
    std::vector<Span> spans;
};

} // namespace

TJavaLines::TJavaLines(const TBlock& root)
{
    TSpanSink sink;
    exportJava(sink, root, false);
    m_text = sink.take();
    for (const TSpanSink::Span& s : sink.spans)
        m_spans.push_back({s.element, static_cast<std::size_t>(s.start), static_cast<std::size_t>(s.end)});
    for (std::size_t i = 0; i < m_text.size();) {
        m_lineStarts.push_back(i);
        const std::size_t end = m_text.find('\n', i);
        i = end == std::string::npos ? m_text.size() : end + 1;
    }
    // An element is written after everything inside it, so walking the spans backwards meets every
    // element before the ones inside it: the inner ones overwrite the owners of their lines.
    m_owners.assign(m_lineStarts.size(), nullptr);
    for (auto span = m_spans.rbegin(); span != m_spans.rend(); ++span) {
        if (span->element == &root || span->start == span->end)
            continue;
        for (int line = lineOf(span->start); line < lineCount(); ++line) {
            const std::size_t first =
                m_text.find_first_not_of(' ', m_lineStarts[static_cast<std::size_t>(line)]);
            if (first >= span->end)
                break;
            if (first >= span->start && m_text[first] != '\r')
                m_owners[static_cast<std::size_t>(line)] = span->element;
        }
    }
}

int TJavaLines::lineOf(std::size_t offset) const
{
    const auto after = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset);
    return static_cast<int>(after - m_lineStarts.begin()) - 1;
}

std::string_view TJavaLines::line(int n) const
{
    if (n < 0 || n >= lineCount())
        return {};
    const std::size_t start = m_lineStarts[static_cast<std::size_t>(n)];
    std::size_t end = n + 1 < lineCount() ? m_lineStarts[static_cast<std::size_t>(n) + 1] : m_text.size();
    while (end > start && (m_text[end - 1] == '\n' || m_text[end - 1] == '\r'))
        --end;
    return std::string_view(m_text).substr(start, end - start);
}

std::optional<std::pair<int, int>> TJavaLines::linesOf(const TElement* e) const
{
    const auto span =
        std::find_if(m_spans.begin(), m_spans.end(), [e](const Span& s) { return s.element == e; });
    if (span == m_spans.end() || span->start == span->end)
        return std::nullopt;
    return std::make_pair(lineOf(span->start), lineOf(span->end - 1));
}

std::optional<std::pair<int, int>> TJavaLines::stepLines(const TElement* e) const
{
    std::optional<std::pair<int, int>> lines = linesOf(e);
    if (!lines || e->isBlock())
        return std::nullopt;
    if (e->kind() == Kind::DoWhile || e->kind() == Kind::Repeat)
        lines->first = lines->second;
    else if (e->isCondition())
        lines->second = lines->first;
    return lines;
}

const TElement* TJavaLines::elementAt(int line) const
{
    if (line < 0 || line >= lineCount())
        return nullptr;
    return m_owners[static_cast<std::size_t>(line)];
}
