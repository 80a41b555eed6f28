#include "model/javalines.h"

#include "model/bytesink.h"
#include "model/layoutcache.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>

// ---- the shape of a text ----

namespace {

TTextShape::Piece pieceOf(std::string_view text)
{
    TTextShape::Piece piece{text.size(), 0};
    while (piece.returns < text.size() && text[text.size() - 1 - piece.returns] == '\r')
        ++piece.returns;
    return piece;
}

TTextShape::Piece joined(TTextShape::Piece a, TTextShape::Piece b)
{
    return {a.bytes + b.bytes, b.returns == b.bytes ? a.returns + b.bytes : b.returns};
}

std::uint64_t lengthOf(TTextShape::Piece line)
{
    return line.bytes - line.returns;
}

} // namespace

TTextShape TTextShape::of(std::string_view text)
{
    TTextShape shape;
    shape.bytes = text.size();
    std::size_t end = text.find('\n');
    if (end == std::string_view::npos) {
        shape.head = shape.tail = pieceOf(text);
        return shape;
    }
    shape.head = pieceOf(text.substr(0, end));
    shape.lineEnds = 1;
    for (std::size_t start = end + 1;; start = end + 1) {
        end = text.find('\n', start);
        if (end == std::string_view::npos) {
            shape.tail = pieceOf(text.substr(start));
            return shape;
        }
        shape.longest = std::max(shape.longest, lengthOf(pieceOf(text.substr(start, end - start))));
        ++shape.lineEnds;
    }
}

void TTextShape::append(const TTextShape& next)
{
    if (next.bytes == 0)
        return;
    if (lineEnds == 0 && next.lineEnds == 0) {
        head = tail = joined(head, next.head);
    } else if (lineEnds == 0) {
        head = joined(head, next.head);
        tail = next.tail;
        longest = next.longest;
    } else if (next.lineEnds == 0) {
        tail = joined(tail, next.head);
    } else {
        longest = std::max({longest, next.longest, lengthOf(joined(tail, next.head))});
        tail = next.tail;
    }
    bytes += next.bytes;
    lineEnds += next.lineEnds;
}

std::uint64_t TTextShape::longestLine() const
{
    return std::max({longest, lengthOf(head), lengthOf(tail)});
}

// ---- what the blocks keep ----

namespace {

constexpr std::uint32_t kRun = 64;
// What the lines around the one asked for keep of each line; a longer line is made again when asked for.
constexpr std::size_t kKeptOfALine = 4096;

} // namespace

// Measures elements and sequences, keeping the sequences' measures in their blocks.
class TJavaIndex
{
public:
    // What `e` alone writes at `indent` (whose shape is `indentShape`).
    static TTextShape elementShape(const TElement& e, const std::string& indent,
                                   const TTextShape& indentShape);
    // What `first` and its successors write at `indent`.
    static TTextShape sequenceShape(const TElement& first, const std::string& indent);
    // What `block` keeps of its sequence, made again when something in it changed.
    static const TJavaSequence& sequence(const TBlock& block, const std::string& indent);
    // Brings what `block` keeps at `indent` up to date by measuring again the runs of the children that
    // changed in themselves; false when they are not known (then the sequence is measured whole).
    static bool update(const TBlock& block, const std::string& indent);
    // The same where only children changed in themselves: their runs are measured again in place.
    static bool updateChanged(const TBlock& block, const std::string& indent, const TChildChanges& changes);
    // What the block keeps is complete again: the runs' counts before them, the total, and from now on
    // its changes are followed.
    static bool settle(const TBlock& block);
    // The block whose sequence begins with `first`; null for a branch block or the root, which stand
    // alone, and for elements outside a tree.
    static const TBlock* holder(const TElement& first)
    {
        const TBlock* block = asBlock(first.parent());
        return block && block->FirstChild.get() == &first ? block : nullptr;
    }
    // Where `e` stands in its block's sequence, as the block's kept measures last found it.
    static std::uint32_t position(const TElement& e) { return e.m_javaPosition; }
    // The run of `sequence` (what `block` keeps, up to date) that holds `target`, a child of `block`.
    static std::size_t runOf(const TBlock& block, const TJavaSequence& sequence, const TElement& target);
    static void exportAlone(const TElement& e, TByteSink& out, const std::string& indent)
    {
        e.exportJavaElement(out, indent);
    }
};

namespace {

// Measures what is written into it; sequences written inside are taken as their kept measures.
class TShapeSink final : public TByteSink
{
public:
    const TElement* elementStarts(const TElement* element, const std::string& indent) override
    {
        flush();
        const TTextShape sequence = TJavaIndex::sequenceShape(*element, indent);
        m_shape.append(sequence);
        skipped(sequence.bytes);
        return nullptr;
    }
    TTextShape result()
    {
        flush();
        return m_shape;
    }

protected:
    void deliver(std::string_view chunk) override { m_shape.append(TTextShape::of(chunk)); }

private:
    TTextShape m_shape;
};

const TTextShape kSemicolon = TTextShape::of(";");
const TTextShape kLineEnd = TTextShape::of("\r\n");

} // namespace

TTextShape TJavaIndex::elementShape(const TElement& e, const std::string& indent,
                                    const TTextShape& indentShape)
{
    if (e.kind() == Kind::Anweisung) {
        // What TAnweisung::exportJavaElement writes, without writing it: the most frequent element.
        TTextShape shape = indentShape;
        shape.append(TTextShape::of(e.Text));
        if (e.Text.empty() || e.Text.back() != ';')
            shape.append(kSemicolon);
        shape.append(kLineEnd);
        return shape;
    }
    TShapeSink sink;
    exportAlone(e, sink, indent);
    return sink.result();
}

TTextShape TJavaIndex::sequenceShape(const TElement& first, const std::string& indent)
{
    if (const TBlock* block = holder(first))
        return sequence(*block, indent).total;
    const TTextShape indentShape = TTextShape::of(indent);
    TTextShape shape;
    for (const TElement* e = &first; e; e = e->Next.get())
        shape.append(elementShape(*e, indent, indentShape));
    return shape;
}

std::size_t TJavaIndex::runOf(const TBlock& block, const TJavaSequence& sequence, const TElement& target)
{
    std::size_t place = position(target);
    if (const std::vector<const TElement*>* children = currentChildren(block)) {
        const std::size_t i = positionInSequence(target);
        if (i < children->size() && (*children)[i] == &target)
            place = i;
    }
    const auto holds = [&](std::size_t r) {
        const TJavaSequence::Run& run = sequence.runs[r];
        const TElement* e = run.first;
        for (std::uint32_t k = 0; e && e != &target && k < run.count; ++k)
            e = e->Next.get();
        return e == &target;
    };
    const auto after =
        std::upper_bound(sequence.runs.begin(), sequence.runs.end(), place,
                         [](std::size_t p, const TJavaSequence::Run& run) { return p < run.start; });
    if (after != sequence.runs.begin()) {
        const std::size_t r = static_cast<std::size_t>(after - sequence.runs.begin()) - 1;
        if (holds(r))
            return r;
    }
    for (std::size_t r = 0; r < sequence.runs.size(); ++r) {
        if (holds(r))
            return r;
    }
    return sequence.runs.size();
}

bool TJavaIndex::update(const TBlock& block, const std::string& indent)
{
    TJavaSequence& kept = *block.m_java;
    const TChildChanges* changes = childChanges(block, TKeeper::JavaText);
    if (!changes || kept.runs.empty())
        return false;
    // The runs as the insertions and removals leave them; their children are found in the layout's
    // index, which holds the sequence as it stands.
    const std::vector<const TElement*>* children = currentChildren(block);
    if (changes->splices.empty())
        return updateChanged(block, indent, *changes);
    if (!children)
        return false;
    TSplicedRuns spliced;
    spliced.counts.reserve(kept.runs.size());
    for (const TJavaSequence::Run& run : kept.runs)
        spliced.counts.push_back(run.count);
    if (!spliceAndFindRuns(spliced, *changes, *children,
                           [](std::size_t, std::size_t, const TElement&) { return true; }))
        return false;
    const std::vector<std::uint32_t>& counts = spliced.counts;
    const std::vector<char>& touched = spliced.touched;
    const std::vector<std::size_t>& starts = spliced.starts;
    // The touched runs measured again, one that grew long split; nothing of the block changes until all
    // of them are measured.
    const TTextShape indentShape = TTextShape::of(indent);
    std::vector<TJavaSequence::Run> made; // for the touched runs in order, a long one in several
    std::vector<std::pair<std::size_t, std::size_t>> madeFor; // run, how many made for it
    std::vector<std::pair<const TElement*, std::uint32_t>> measured;
    bool reshaped = false; // runs go or are split
    for (std::size_t r = 0; r < kept.runs.size(); ++r) {
        if (counts[r] == 0)
            reshaped = true;
        if (counts[r] == 0 || !touched[r])
            continue;
        const auto start = static_cast<std::uint32_t>(starts[r]);
        const TElement* e = (*children)[start];
        const std::uint32_t pieces = counts[r] > 2 * kRun ? counts[r] / kRun : 1;
        reshaped = reshaped || pieces > 1;
        madeFor.emplace_back(r, pieces);
        for (std::uint32_t piece = 0, done = 0; piece < pieces; ++piece) {
            const std::uint32_t count = piece + 1 < pieces ? kRun : counts[r] - done;
            made.push_back({e, 0, 0, start + done, count, {}});
            for (std::uint32_t k = 0; k < count; ++k, e = e->Next.get()) {
                if (!e)
                    return false;
                made.back().shape.append(elementShape(*e, indent, indentShape));
                measured.emplace_back(e, start + done + k);
            }
            done += count;
        }
    }
    if (reshaped) {
        std::vector<TJavaSequence::Run> runs;
        runs.reserve(kept.runs.size() + made.size());
        auto next = made.begin();
        auto nextFor = madeFor.begin();
        for (std::size_t r = 0; r < kept.runs.size(); ++r) {
            if (nextFor != madeFor.end() && nextFor->first == r) {
                runs.insert(runs.end(), next, next + static_cast<std::ptrdiff_t>(nextFor->second));
                next += static_cast<std::ptrdiff_t>(nextFor->second);
                ++nextFor;
            } else if (counts[r] > 0) {
                runs.push_back(kept.runs[r]);
                runs.back().start = static_cast<std::uint32_t>(starts[r]);
            }
        }
        kept.runs = std::move(runs);
    } else {
        // The same runs: their places and lengths, and the touched ones as measured.
        for (std::size_t r = 0; r < kept.runs.size(); ++r) {
            kept.runs[r].start = static_cast<std::uint32_t>(starts[r]);
            kept.runs[r].count = counts[r];
        }
        for (std::size_t i = 0; i < made.size(); ++i)
            kept.runs[madeFor[i].first] = made[i];
    }
    // Measured without a failure: now the block takes it in.
    for (const auto& [e, place] : measured) {
        e->m_javaPosition = place;
        e->m_javaChanged = false;
    }
    return settle(block);
}

bool TJavaIndex::updateChanged(const TBlock& block, const std::string& indent, const TChildChanges& changes)
{
    TJavaSequence& kept = *block.m_java;
    std::vector<std::size_t> touched;
    for (const TElement* child : changes.children) {
        const std::size_t r = runOf(block, kept, *child);
        if (r >= kept.runs.size())
            return false;
        touched.push_back(r);
    }
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
    const TTextShape indentShape = TTextShape::of(indent);
    std::vector<TTextShape> shapes;
    for (const std::size_t r : touched) {
        TTextShape shape;
        const TElement* e = kept.runs[r].first;
        for (std::uint32_t k = 0; k < kept.runs[r].count; ++k, e = e->Next.get())
            shape.append(elementShape(*e, indent, indentShape));
        shapes.push_back(shape);
    }
    // Measured without a failure: now the block takes it in.
    for (std::size_t i = 0; i < touched.size(); ++i) {
        TJavaSequence::Run& run = kept.runs[touched[i]];
        run.shape = shapes[i];
        const TElement* e = run.first;
        for (std::uint32_t k = 0; k < run.count; ++k, e = e->Next.get()) {
            e->m_javaPosition = run.start + k;
            e->m_javaChanged = false;
        }
    }
    return settle(block);
}

bool TJavaIndex::settle(const TBlock& block)
{
    TJavaSequence& kept = *block.m_java;
    kept.total = {};
    for (TJavaSequence::Run& run : kept.runs) {
        run.bytes = kept.total.bytes;
        run.lineEnds = kept.total.lineEnds;
        kept.total.append(run.shape);
    }
    block.m_javaChanged = false;
    followChildChanges(block, TKeeper::JavaText);
    return true;
}

const TJavaSequence& TJavaIndex::sequence(const TBlock& block, const std::string& indent)
{
    // Indentations are blanks, so their length tells them apart.
    const TJavaSequence* old =
        block.m_java && block.m_java->indent == indent.size() ? block.m_java.get() : nullptr;
    if (old && !block.m_javaChanged)
        return *old;
    // Where only some children changed in themselves, only their runs are measured again.
    if (old && update(block, indent))
        return *old;
    auto fresh = std::make_unique<TJavaSequence>();
    fresh->indent = indent.size();
    const TTextShape indentShape = TTextShape::of(indent);
    std::uint32_t n = 0;
    for (const TElement* e = block.FirstChild.get(); e;) {
        if (n % kRun == 0) {
            // A run whose elements are all still there, in the same places and unchanged, is taken over:
            // an edit in a long sequence measures its own run and walks along the others.
            const std::size_t r = n / kRun;
            if (old && r < old->runs.size() && old->runs[r].first == e) {
                const TElement* after = e;
                std::uint32_t count = 0;
                // Their places stay as they were found: a run keeps its place, and within a run a place is
                // found by walking.
                while (after && count < kRun && !after->m_javaChanged) {
                    after = after->Next.get();
                    ++count;
                }
                const TElement* next = r + 1 < old->runs.size() ? old->runs[r + 1].first : nullptr;
                if (count == old->runs[r].count && after == next && (!after || count == kRun)) {
                    fresh->runs.push_back(
                        {e, fresh->total.bytes, fresh->total.lineEnds, n, count, old->runs[r].shape});
                    fresh->total.append(old->runs[r].shape);
                    n += count;
                    e = after;
                    continue;
                }
            }
            fresh->runs.push_back({e, fresh->total.bytes, fresh->total.lineEnds, n, 0, {}});
        }
        const TTextShape shape = elementShape(*e, indent, indentShape);
        TJavaSequence::Run& run = fresh->runs.back();
        run.shape.append(shape);
        ++run.count;
        fresh->total.append(shape);
        e->m_javaPosition = n;
        e->m_javaChanged = false;
        e = e->Next.get();
        ++n;
    }
    if (fresh->runs.size() < 2)
        fresh->runs = {};
    else
        prepareFollowing(block);
    block.m_java = std::move(fresh);
    block.m_javaChanged = false;
    if (!block.m_java->runs.empty())
        followChildChanges(block, TKeeper::JavaText);
    return *block.m_java;
}

// ---- walking to a part of the text ----

namespace {

// Runs the export of a design up to the part asked for and keeps that part: whatever lies wholly before
// it is taken as written from the kept measures, and once the part is complete nothing more is written.
// Asked for are lines (their texts and the elements they belong to), bytes, or where an element begins.
class TTextWalk final : public TByteSink
{
public:
    // The lines from `first` on, `count` of them (none: only where line `first` begins).
    static TTextWalk lines(int first, int count)
    {
        TTextWalk walk(Goal::Lines);
        walk.m_first = static_cast<std::uint64_t>(first);
        walk.m_count = static_cast<std::size_t>(count);
        return walk;
    }
    // The bytes from `from` up to `to`, and the line ends before `from`.
    static TTextWalk bytes(std::uint64_t from, std::uint64_t to)
    {
        TTextWalk walk(Goal::Bytes);
        walk.m_first = from;
        walk.m_to = to;
        return walk;
    }
    // Where `target` begins; `root` is the design's.
    static TTextWalk element(const TBlock& root, const TElement& target)
    {
        TTextWalk walk(Goal::Element);
        walk.m_target = &target;
        const TElement* e = &target;
        for (; e->parent(); e = e->parent())
            walk.m_path[e->parent()] = e;
        walk.m_path[nullptr] = e;
        walk.m_inDesign = e == &root;
        return walk;
    }

    void run(const TBlock& root)
    {
        if (m_goal == Goal::Element && !m_inDesign)
            return;
        root.ExportJava(*this, "");
        flush();
        if (m_goal == Goal::Lines && !m_done && m_lineStarted && m_lineEnds >= m_first)
            endLine();
    }

    // Lines: their texts (at most kKeptOfALine bytes of each), lengths, where they begin, the elements they
    // belong to, and where the first begins.
    std::vector<std::string> texts;
    std::vector<std::uint64_t> lengths;
    std::vector<std::uint64_t> starts;
    std::vector<const TElement*> owners;
    std::uint64_t firstLineStart = 0;
    bool firstLineFound = false;
    // Bytes: the bytes, and the line ends before them.
    std::string captured;
    std::uint64_t lineEndsBefore() const { return m_lineEnds; }
    // Element: where it begins and what it writes.
    bool found = false;
    std::uint64_t foundLineEnds = 0;
    TTextShape foundShape;

    const TElement* elementStarts(const TElement* element, const std::string& indent) override
    {
        flush();
        if (m_goal == Goal::Bytes && m_pos >= m_to)
            m_done = true;
        if (m_done)
            return nullptr;
        const TElement* next =
            m_goal == Goal::Element ? towardsElement(*element, indent) : towardsPosition(*element, indent);
        if (next)
            m_open.push_back(next);
        return next;
    }
    void elementWritten(const void*, std::uint64_t) override
    {
        flush();
        if (!m_open.empty())
            m_open.pop_back();
    }

protected:
    void deliver(std::string_view chunk) override
    {
        if (!m_done) {
            if (m_goal == Goal::Lines)
                readLines(chunk);
            else if (m_goal == Goal::Bytes)
                readBytes(chunk);
            else
                m_lineEnds += static_cast<std::uint64_t>(std::count(chunk.begin(), chunk.end(), '\n'));
        }
        m_pos += chunk.size();
    }

private:
    enum class Goal { Lines, Bytes, Element };

    explicit TTextWalk(Goal goal) : m_goal(goal) {}

    bool reached() const { return m_goal == Goal::Lines ? m_lineEnds >= m_first : m_pos >= m_first; }
    // Whether a part written next that measures `shape` lies wholly before what is asked for.
    bool before(const TTextShape& shape) const
    {
        if (m_goal == Goal::Bytes)
            return m_pos + shape.bytes <= m_first;
        const std::uint64_t after = m_lineEnds + shape.lineEnds;
        return after < m_first || (after == m_first && shape.endsWithLineEnd());
    }
    void account(std::uint64_t bytes, std::uint64_t lineEnds)
    {
        skipped(bytes);
        m_pos += bytes;
        m_lineEnds += lineEnds;
    }

    // The first element from `first` on in its sequence that reaches into the part asked for; those
    // before it are taken as written.
    const TElement* towardsPosition(const TElement& first, const std::string& indent)
    {
        if (reached())
            return &first;
        const TElement* e = &first;
        if (const TBlock* block = TJavaIndex::holder(first)) {
            const TJavaSequence& sequence = TJavaIndex::sequence(*block, indent);
            // The last run whose preceding children lie wholly before the part asked for.
            const auto run = std::partition_point(
                sequence.runs.begin(), sequence.runs.end(), [this](const TJavaSequence::Run& r) {
                    return m_goal == Goal::Bytes ? m_pos + r.bytes <= m_first
                                                 : m_lineEnds + r.lineEnds < m_first;
                });
            if (run != sequence.runs.begin()) {
                const TJavaSequence::Run& start = *std::prev(run);
                account(start.bytes, start.lineEnds);
                e = start.first;
            }
        }
        const TTextShape indentShape = TTextShape::of(indent);
        for (; e; e = e->Next.get()) {
            const TTextShape shape = TJavaIndex::elementShape(*e, indent, indentShape);
            if (!before(shape))
                return e;
            account(shape.bytes, shape.lineEnds);
        }
        return nullptr;
    }

    // The element of the sequence from `first` on that leads to the target, those before it taken as
    // written; null when the target does not stand in it (then the whole sequence is).
    const TElement* towardsElement(const TElement& first, const std::string& indent)
    {
        const auto on = m_path.find(first.parent());
        const TElement* next = on == m_path.end() ? nullptr : on->second;
        const TBlock* block = TJavaIndex::holder(first);
        if (next != &first) {
            if (!next || !block || next->parent() != block) {
                const TTextShape shape = TJavaIndex::sequenceShape(first, indent);
                account(shape.bytes, shape.lineEnds);
                return nullptr;
            }
            skipTo(first, *block, *next, indent);
        }
        if (next != m_target)
            return next;
        found = true;
        foundLineEnds = m_lineEnds;
        foundShape = TJavaIndex::elementShape(*next, indent, TTextShape::of(indent));
        m_done = true;
        return nullptr;
    }

    // Takes the elements of `block`'s sequence before `target` as written.
    void skipTo(const TElement& first, const TBlock& block, const TElement& target, const std::string& indent)
    {
        const TJavaSequence& sequence = TJavaIndex::sequence(block, indent);
        const TElement* e = &first;
        if (!sequence.runs.empty()) {
            const std::size_t r = TJavaIndex::runOf(block, sequence, target);
            if (r < sequence.runs.size()) {
                const TJavaSequence::Run& start = sequence.runs[r];
                account(start.bytes, start.lineEnds);
                e = start.first;
            }
        }
        const TTextShape indentShape = TTextShape::of(indent);
        for (; e && e != &target; e = e->Next.get()) {
            const TTextShape shape = TJavaIndex::elementShape(*e, indent, indentShape);
            account(shape.bytes, shape.lineEnds);
        }
    }

    // The element a line belongs to, once its first character that is not a blank has been written.
    const TElement* innermost() const
    {
        // The root holds every line; only the elements inside it count.
        return m_open.size() > 1 ? m_open.back() : nullptr;
    }

    void readLines(std::string_view chunk)
    {
        std::uint64_t pos = m_pos;
        while (!chunk.empty() && !m_done) {
            if (m_lineEnds < m_first) {
                const std::size_t end = chunk.find('\n');
                if (end == std::string_view::npos)
                    return;
                chunk.remove_prefix(end + 1);
                pos += end + 1;
                ++m_lineEnds;
                continue;
            }
            if (!firstLineFound) {
                firstLineFound = true;
                firstLineStart = pos;
                if (m_count == 0) {
                    m_done = true;
                    return;
                }
            }
            if (!m_lineStarted) {
                m_lineStarted = true;
                m_ownerKnown = false;
                m_owner = nullptr;
                m_lineStart = pos;
                m_line.clear();
                m_lineShape = {};
            }
            if (!m_ownerKnown) {
                const std::size_t text = chunk.find_first_not_of(' ');
                if (text != std::string_view::npos) {
                    m_ownerKnown = true;
                    m_owner = chunk[text] == '\r' || chunk[text] == '\n' ? nullptr : innermost();
                }
            }
            const std::size_t end = chunk.find('\n');
            const std::string_view part = chunk.substr(0, end);
            m_lineShape.append(TTextShape::of(part));
            if (m_line.size() < kKeptOfALine)
                m_line.append(part.substr(0, kKeptOfALine - m_line.size()));
            if (end == std::string_view::npos)
                return;
            chunk.remove_prefix(end + 1);
            pos += end + 1;
            ++m_lineEnds;
            endLine();
        }
    }

    void endLine()
    {
        const std::uint64_t length = m_lineShape.head.bytes - m_lineShape.head.returns;
        if (m_line.size() > length)
            m_line.resize(static_cast<std::size_t>(length));
        texts.push_back(std::move(m_line));
        lengths.push_back(length);
        starts.push_back(m_lineStart);
        owners.push_back(m_owner);
        m_line = {};
        m_lineStarted = false;
        if (texts.size() >= m_count)
            m_done = true;
    }

    // Counts the line ends before the first byte asked for, keeps the bytes asked for.
    void readBytes(std::string_view chunk)
    {
        const std::uint64_t start = m_pos;
        const std::uint64_t end = start + chunk.size();
        if (start < m_first) {
            const std::string_view early =
                chunk.substr(0, static_cast<std::size_t>(std::min(end, m_first) - start));
            m_lineEnds += static_cast<std::uint64_t>(std::count(early.begin(), early.end(), '\n'));
        }
        const std::uint64_t from = std::max(start, m_first);
        const std::uint64_t to = std::min(end, m_to);
        if (from < to)
            captured.append(
                chunk.substr(static_cast<std::size_t>(from - start), static_cast<std::size_t>(to - from)));
        if (end >= m_to)
            m_done = true;
    }

    Goal m_goal;
    std::uint64_t m_pos = 0;      // bytes written or taken as written, up to the chunk being read
    std::uint64_t m_lineEnds = 0; // line ends in them
    bool m_done = false;
    std::vector<const TElement*> m_open; // the elements being written, outermost first
    // Lines.
    std::uint64_t m_first = 0; // also the first byte asked for
    std::size_t m_count = 0;
    bool m_lineStarted = false;
    bool m_ownerKnown = false;
    const TElement* m_owner = nullptr;
    std::string m_line;
    TTextShape m_lineShape;
    std::uint64_t m_lineStart = 0;
    // Bytes.
    std::uint64_t m_to = 0;
    // Element.
    const TElement* m_target = nullptr;
    std::unordered_map<const TElement*, const TElement*> m_path; // holder to the element inside it on the way
    bool m_inDesign = false;
};

} // namespace

TJavaLines::TJavaLines(const TBlock& root) : m_root(root)
{
    m_shape = TJavaIndex::sequenceShape(root, "");
}

int TJavaLines::lineCount() const
{
    return static_cast<int>(m_shape.lineEnds + (m_shape.tail.bytes > 0 ? 1 : 0));
}

const TJavaLines::Window& TJavaLines::windowAround(int line) const
{
    if (line >= m_window.first && line < m_window.first + static_cast<int>(m_window.texts.size()))
        return m_window;
    // A view scrolls and walks line by line: the lines around the one asked for come along.
    constexpr int kBefore = 96;
    constexpr int kLines = 256;
    const int first = std::max(0, line - kBefore);
    TTextWalk walk = TTextWalk::lines(first, kLines);
    walk.run(m_root);
    m_window = {first, std::move(walk.texts), std::move(walk.lengths), std::move(walk.starts),
                std::move(walk.owners)};
    return m_window;
}

std::string TJavaLines::line(int n) const
{
    if (n < 0 || n >= lineCount())
        return {};
    return line(n, 0, std::string::npos);
}

std::string TJavaLines::line(int n, std::size_t from, std::size_t count) const
{
    if (n < 0 || n >= lineCount())
        return {};
    const Window& window = windowAround(n);
    const auto i = static_cast<std::size_t>(n - window.first);
    if (i >= window.texts.size())
        return {};
    const std::string& kept = window.texts[i];
    const std::size_t length = static_cast<std::size_t>(window.lengths[i]);
    from = std::min(from, length);
    count = std::min(count, length - from);
    if (from + count <= kept.size())
        return kept.substr(from, count);
    const std::size_t start = static_cast<std::size_t>(window.starts[i]);
    return text(start + from, start + from + count);
}

const TElement* TJavaLines::elementAt(int line) const
{
    if (line < 0 || line >= lineCount())
        return nullptr;
    const Window& window = windowAround(line);
    const auto i = static_cast<std::size_t>(line - window.first);
    return i < window.owners.size() ? window.owners[i] : nullptr;
}

std::string TJavaLines::text(std::size_t from, std::size_t to) const
{
    to = std::min(to, size());
    if (from >= to)
        return {};
    TTextWalk walk = TTextWalk::bytes(from, to);
    walk.run(m_root);
    return std::move(walk.captured);
}

std::size_t TJavaLines::lineStart(int n) const
{
    if (n < 0 || n >= lineCount())
        return size();
    if (n == 0)
        return 0;
    TTextWalk walk = TTextWalk::lines(n, 0);
    walk.run(m_root);
    return static_cast<std::size_t>(walk.firstLineStart);
}

int TJavaLines::lineOf(std::size_t offset) const
{
    if (offset >= size())
        return lineCount() - 1;
    TTextWalk walk = TTextWalk::bytes(offset, offset + 1);
    walk.run(m_root);
    return static_cast<int>(walk.lineEndsBefore());
}

std::optional<std::pair<int, int>> TJavaLines::linesOf(const TElement* e) const
{
    if (!e)
        return std::nullopt;
    TTextWalk walk = TTextWalk::element(m_root, *e);
    walk.run(m_root);
    if (!walk.found || walk.foundShape.bytes == 0)
        return std::nullopt;
    const std::uint64_t last =
        walk.foundLineEnds + walk.foundShape.lineEnds - (walk.foundShape.endsWithLineEnd() ? 1 : 0);
    return std::make_pair(static_cast<int>(walk.foundLineEnds), static_cast<int>(last));
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
