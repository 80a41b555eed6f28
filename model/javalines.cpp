#include "model/javalines.h"

#include "model/bytesink.h"
#include "model/javaexport.h"

#include <algorithm>

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
    assignOwners(root);
}

void TJavaLines::assignOwners(const TBlock& root)
{
    // A line belongs to the innermost span that holds its first character that is not a blank. Spans
    // nest like the elements, so one sweep over the lines with a stack of the spans open at that point
    // finds it; an outer span comes before the inner ones that open where it does (the export writes the
    // inner one first). Each line and each span is looked at a bounded number of times, however deep
    // the nesting: deep designs have long indentations and many spans around each line.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < m_spans.size(); ++i) {
        if (m_spans[i].element != &root && m_spans[i].start != m_spans[i].end)
            order.push_back(i);
    }
    std::sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        const Span& x = m_spans[a];
        const Span& y = m_spans[b];
        if (x.start != y.start)
            return x.start < y.start;
        return x.end != y.end ? x.end > y.end : a > b;
    });
    m_owners.assign(m_lineStarts.size(), nullptr);
    std::vector<const Span*> open;
    std::size_t next = 0;
    for (std::size_t line = 0; line < m_lineStarts.size(); ++line) {
        const std::size_t first = m_text.find_first_not_of(' ', m_lineStarts[line]);
        if (first == std::string::npos || m_text[first] == '\r' || m_text[first] == '\n')
            continue;
        for (; next < order.size() && m_spans[order[next]].start <= first; ++next) {
            const Span& span = m_spans[order[next]];
            while (!open.empty() && open.back()->end <= span.start)
                open.pop_back();
            open.push_back(&span);
        }
        while (!open.empty() && open.back()->end <= first)
            open.pop_back();
        if (!open.empty())
            m_owners[line] = open.back()->element;
    }
}

int TJavaLines::lineOf(std::size_t offset) const
{
    const auto after = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset);
    return static_cast<int>(after - m_lineStarts.begin()) - 1;
}

std::size_t TJavaLines::lineStart(int n) const
{
    return n >= 0 && n < lineCount() ? m_lineStarts[static_cast<std::size_t>(n)] : m_text.size();
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
