// Where each element stands in the exported text: its lines, and the element each line belongs to.

#include "model/javalines.h"

#include "model/bytesink.h"
#include "model/diagramview.h"
#include "model/editing.h"
#include "model/javaexport.h"
#include "tests/support/designs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

// The lines as they follow from the whole exported text: the export with where each element's bytes
// begin and end, split at "\n"; a line belongs to the innermost element (not the root) whose bytes hold
// its first character that is not a blank.
class WholeText
{
public:
    explicit WholeText(const TBlock& root)
    {
        Sink sink;
        exportJava(sink, root, false);
        text = sink.take();
        spans = std::move(sink.spans);
        for (std::size_t i = 0; i < text.size();) {
            starts.push_back(i);
            const std::size_t end = text.find('\n', i);
            i = end == std::string::npos ? text.size() : end + 1;
        }
        for (std::size_t n = 0; n < starts.size(); ++n) {
            std::size_t end = n + 1 < starts.size() ? starts[n + 1] : text.size();
            while (end > starts[n] && (text[end - 1] == '\n' || text[end - 1] == '\r'))
                --end;
            lines.push_back(text.substr(starts[n], end - starts[n]));
            const std::size_t first = text.find_first_not_of(' ', starts[n]);
            const TElement* owner = nullptr;
            if (first != std::string::npos && text[first] != '\r' && text[first] != '\n') {
                std::uint64_t narrowest = ~std::uint64_t{0};
                for (const Span& span : spans) {
                    // Among spans of equal extent the inner one was written first.
                    if (span.element != &root && span.start <= first && first < span.end &&
                        span.end - span.start < narrowest) {
                        narrowest = span.end - span.start;
                        owner = span.element;
                    }
                }
            }
            owners.push_back(owner);
        }
    }

    int lineOf(std::size_t offset) const
    {
        return static_cast<int>(std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin()) - 1;
    }
    std::optional<std::pair<int, int>> linesOf(const TElement* e) const
    {
        for (const Span& span : spans) {
            if (span.element == e)
                return span.start == span.end
                           ? std::nullopt
                           : std::optional(std::make_pair(lineOf(span.start), lineOf(span.end - 1)));
        }
        return std::nullopt;
    }

    struct Span
    {
        const TElement* element;
        std::uint64_t start;
        std::uint64_t end;
    };
    std::string text;
    std::vector<Span> spans;
    std::vector<std::size_t> starts;
    std::vector<std::string> lines;
    std::vector<const TElement*> owners;

private:
    struct Sink : TStringSink
    {
        void elementWritten(const void* element, std::uint64_t start) override
        {
            spans.push_back({static_cast<const TElement*>(element), start, size()});
        }
        std::vector<Span> spans;
    };
};

std::vector<TElement*> elementsOf(TBlock& root)
{
    return elementsFrom(&root);
}

// Every answer of the lines made from the tree against the whole text; "" when they agree.
std::string compare(TBlock& root, std::mt19937& rng)
{
    const WholeText whole(root);
    const TJavaLines lines(root);
    if (lines.size() != whole.text.size())
        return "size " + std::to_string(lines.size()) + " instead of " + std::to_string(whole.text.size());
    if (lines.lineCount() != static_cast<int>(whole.lines.size()))
        return "line count " + std::to_string(lines.lineCount());
    std::size_t longest = 0;
    for (const std::string& line : whole.lines)
        longest = std::max(longest, line.size());
    if (lines.longestLine() != longest)
        return "longest line " + std::to_string(lines.longestLine()) + " instead of " +
               std::to_string(longest);
    // Forwards, backwards and from far away, as a view scrolls and jumps.
    std::vector<int> order(whole.lines.size());
    for (std::size_t n = 0; n < order.size(); ++n)
        order[n] = static_cast<int>(n);
    std::reverse(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(order.size() / 2));
    std::shuffle(order.begin() + static_cast<std::ptrdiff_t>(order.size() / 2), order.end(), rng);
    order.resize(std::min<std::size_t>(order.size(), 400));
    for (const int n : order) {
        const std::size_t i = static_cast<std::size_t>(n);
        if (lines.line(n) != whole.lines[i])
            return "line " + std::to_string(n) + ": \"" + lines.line(n) + "\"";
        // What a view scrolled to the right shows of it.
        const std::size_t from = std::min<std::size_t>(whole.lines[i].size(), 4090);
        if (lines.line(n, 3, 7) !=
                whole.lines[i].substr(std::min<std::size_t>(3, whole.lines[i].size()), 7) ||
            lines.line(n, from, 20) != whole.lines[i].substr(from, 20))
            return "part of line " + std::to_string(n);
        if (lines.elementAt(n) != whole.owners[i])
            return "owner of line " + std::to_string(n);
        if (lines.lineStart(n) != whole.starts[i])
            return "start of line " + std::to_string(n);
    }
    if (lines.lineStart(lines.lineCount()) != whole.text.size() || !lines.line(lines.lineCount()).empty() ||
        lines.elementAt(-1) || lines.elementAt(lines.lineCount()))
        return "beyond the last line";
    std::uniform_int_distribution<std::size_t> offset(0, whole.text.size() + 2);
    for (int i = 0; i < 40; ++i) {
        const std::size_t from = offset(rng);
        const std::size_t to = from + offset(rng) % 300;
        if (lines.lineOf(from) != whole.lineOf(from))
            return "line of offset " + std::to_string(from);
        const std::string expected = from < whole.text.size() ? whole.text.substr(from, to - from) : "";
        if (lines.text(from, to) != expected)
            return "text from " + std::to_string(from) + " to " + std::to_string(to);
    }
    std::vector<TElement*> all = elementsOf(root);
    std::shuffle(all.begin(), all.end(), rng);
    all.resize(std::min<std::size_t>(all.size(), 300));
    for (TElement* e : all) {
        if (lines.linesOf(e) != whole.linesOf(e)) {
            const auto show = [](std::optional<std::pair<int, int>> l) {
                return l ? std::to_string(l->first) + "-" + std::to_string(l->second) : std::string("none");
            };
            return "lines of " + e->Text + ": " + show(lines.linesOf(e)) + " instead of " +
                   show(whole.linesOf(e));
        }
    }
    return {};
}

// Texts that make lines of their own or end in line ends, beside those of the generator.
std::string oddLineText(std::mt19937& rng)
{
    static const char* const texts[] = {"a\nb", "x\r", "\r\n", "zwei\r\nZeilen;", "\n", "  ",
                                        "\r\r", ";",   "lang"};
    if (std::uniform_int_distribution<int>(0, 9)(rng) == 0)
        return std::string(5000, 'x') + "\r\n" + std::string(4100, 'y') + "\r";
    return texts[std::uniform_int_distribution<std::size_t>(0, std::size(texts) - 1)(rng)];
}

TEST(JavaLines, EveryAnswerAgreesWithTheWholeText)
{
    std::mt19937 rng(2612);
    for (int round = 0; round < 150; ++round) {
        GeneratorOptions options;
        // Long sequences are found by their runs.
        options.maxDepth = round % 3 == 0 ? 1 : 1 + round % 5;
        options.maxSequence = round % 3 == 0 ? 150 : 5;
        auto root = generateDesign(rng, options);
        std::vector<TElement*> all = elementsOf(*root);
        for (int i = 0; i < 3 && all.size() > 1; ++i) {
            TElement* e = all[std::uniform_int_distribution<std::size_t>(1, all.size() - 1)(rng)];
            if (!e->isBlock())
                e->Text = oddLineText(rng);
        }
        ASSERT_EQ(compare(*root, rng), "") << "round " << round;
    }
}

// Edits change what the blocks keep: a new text, an element inserted or removed, a part moved to another
// depth (its indentation changes while nothing inside it does), each followed by the lines of the new
// state; the first answer in between makes the blocks measure what changed.
TEST(JavaLines, EditsAreFollowed)
{
    std::mt19937 rng(77);
    for (int round = 0; round < 12; ++round) {
        GeneratorOptions options;
        options.maxDepth = round % 2 == 0 ? 1 : 4;
        options.maxSequence = round % 2 == 0 ? 150 : 5;
        auto root = generateDesign(rng, options);
        ASSERT_EQ(compare(*root, rng), "") << "round " << round;
        for (int step = 0; step < 10; ++step) {
            std::vector<TElement*> all = elementsOf(*root);
            if (all.size() < 2)
                root->InsertAfter(TAnweisung::Create("leer"));
            all = elementsOf(*root);
            TElement* e = all[std::uniform_int_distribution<std::size_t>(1, all.size() - 1)(rng)];
            const int what = std::uniform_int_distribution<int>(0, 3)(rng);
            if (what == 0 || !e->Standalone) {
                setText(*e, step % 3 == 0 ? oddLineText(rng) : generateText(rng, true));
            } else if (what == 1) {
                e->InsertAfter(TAnweisung::Create("neu " + std::to_string(step)));
            } else if (what == 2) {
                root->DeleteElement(e);
            } else {
                // Moved into the body of a loop at the end of the design, one level deeper.
                std::unique_ptr<TElement> moved = root->DetachElement(e);
                auto loop = TWhile::Create("weiter");
                loop->branch(1)->InsertAfter(std::move(moved));
                TElement* last = root->FirstChild.get();
                while (last && last->Next)
                    last = last->Next.get();
                (last ? last : root.get())->InsertAfter(std::move(loop));
            }
            ASSERT_EQ(compare(*root, rng), "") << "round " << round << ", step " << step;
        }
    }
}

TEST(JavaLines, LinesAndTheirElementsFollowTheExport)
{
    auto root = everyKindDesign();
    const TJavaLines lines(*root);
    // The text, line by line:
    //  0 a;   1 if (x > 0) {   2 b;   3 }   4 while (w) {   5 c;   6 }   7 (empty)   8 // Teil   9 d;
    // 10 do {   11 }  while (dw);   12 // Ende Teil   13 (empty)   14 for (...) {   15 e;   16 }
    // 17 do {   18 } while (!(r));
    ASSERT_EQ(lines.lineCount(), 19);
    const struct
    {
        int line;
        std::vector<int> element; // path from the root; {} for none
    } owners[] = {
        {0, {0}},       {1, {1}},  {2, {1, 1, 0}},  {3, {1, 1}},  {4, {2}},
        {5, {2, 1, 0}}, {8, {3}},  {9, {3, 0}},     {10, {3, 1}}, {11, {3, 1, 1}},
        {12, {3}},      {14, {4}}, {15, {4, 1, 0}}, {17, {5}},    {18, {5}},
    };
    for (const auto& o : owners)
        EXPECT_EQ(lines.elementAt(o.line), at(*root, o.element)) << "line " << o.line;
    EXPECT_EQ(lines.elementAt(7), nullptr);
    EXPECT_EQ(lines.elementAt(99), nullptr);

    EXPECT_EQ(lines.linesOf(at(*root, {0})), std::make_pair(0, 0));
    EXPECT_EQ(lines.linesOf(at(*root, {1})), std::make_pair(1, 3));  // the decision with its branch
    EXPECT_EQ(lines.linesOf(at(*root, {3})), std::make_pair(7, 13)); // the named block with its comments
    EXPECT_EQ(lines.linesOf(at(*root, {1, 2})), std::nullopt);       // an empty no branch writes nothing
    auto other = TAnweisung::Create("x");
    EXPECT_EQ(lines.linesOf(other.get()), std::nullopt);
}

// Deep nesting: each head belongs to its own decision and each closing brace to the decision's branch,
// the innermost line to the statement, however many elements stand around a line.
TEST(JavaLines, EveryLineOfADeepNestFindsItsOwnElement)
{
    constexpr int kDepth = 300;
    auto root = makeRoot();
    std::vector<TIf*> nest;
    TBlock* body = root.get();
    for (int level = 0; level < kDepth; ++level) {
        TIf* decision = append(*body, TIf::Create("a"));
        nest.push_back(decision);
        body = decision->branch(1);
    }
    TElement* inner = statement(*body, "x = 1");
    const TJavaLines lines(*root);
    ASSERT_EQ(lines.lineCount(), 2 * kDepth + 1);
    for (int level = 0; level < kDepth; ++level) {
        EXPECT_EQ(lines.elementAt(level), nest[static_cast<std::size_t>(level)]) << level;
        EXPECT_EQ(lines.elementAt(2 * kDepth - level), nest[static_cast<std::size_t>(level)]->branch(1))
            << level;
    }
    EXPECT_EQ(lines.elementAt(kDepth), inner);
}

// The line a running element highlights: a statement's, a decision's or test-first loop's head, a test-last
// loop's test; and what a window draws for an element: itself or the collapsed block it is hidden in.
TEST(JavaLines, StepLinesAndWhatAWindowDrawsForAnElement)
{
    auto root = everyKindDesign();
    const TJavaLines lines(*root);
    EXPECT_EQ(lines.stepLines(at(*root, {0})), std::make_pair(0, 0));
    EXPECT_EQ(lines.stepLines(at(*root, {1})), std::make_pair(1, 1));
    EXPECT_EQ(lines.stepLines(at(*root, {3, 1})), std::make_pair(11, 11));
    EXPECT_EQ(lines.stepLines(at(*root, {3})), std::nullopt);
    EXPECT_EQ(lines.line(11), "  } while (dw);");

    TDisplayOptions options;
    TElement* dw = at(*root, {3, 1});
    EXPECT_EQ(drawnFor(*root, options, *dw), dw);
    options.ToggleCollapsed(asBlock(at(*root, {3, 1, 1})));
    options.ToggleCollapsed(asBlock(at(*root, {3})));
    EXPECT_EQ(drawnFor(*root, options, *at(*root, {3, 1, 1})), at(*root, {3}));
    EXPECT_EQ(drawnFor(*asBlock(at(*root, {2, 1})), options, *dw), nullptr);
}

} // namespace
