#include "model/layoutcache.h"

#include "model/drawing.h"

#include <algorithm>
#include <new>
#include <tuple>

// TLayoutCache: the one place that reads and writes the layout fields of the elements.
class TLayoutCache
{
public:
    static const TSize* find(const TElement& e, std::uint32_t context)
    {
        for (int i = 0; i < 2; ++i) {
            if (e.m_sizeContexts[i] == context)
                return &e.m_sizes[i];
        }
        return nullptr;
    }
    // Keeps `size` for `context` in the slot used less recently.
    static void keep(const TElement& e, std::uint32_t context, TSize size)
    {
        e.m_sizes[1] = e.m_sizes[0];
        e.m_sizeContexts[1] = e.m_sizeContexts[0];
        e.m_sizes[0] = size;
        e.m_sizeContexts[0] = context;
    }
    static void clear(const TElement& e)
    {
        e.m_sizeContexts[0] = 0;
        e.m_sizeContexts[1] = 0;
        if (const TBlock* block = asBlock(&e); block && block->m_index)
            block->m_index->context = 0;
    }
    static TSequenceIndex* existingIndex(const TBlock& block) { return block.m_index.get(); }
    static TSequenceIndex& index(const TBlock& block)
    {
        if (!block.m_index)
            block.m_index = std::make_unique<TSequenceIndex>();
        return *block.m_index;
    }
    static void setPosition(const TElement& e, std::size_t position)
    {
        e.m_position = static_cast<std::uint32_t>(position);
    }
    static std::size_t position(const TElement& e) { return e.m_position; }
    // An element that came into a sequence is measured anew by the Java text's index, wherever it stood.
    static void markJavaChanged(const TElement& e) { e.m_javaChanged = true; }
    static const TSequenceIndex* currentIndex(const TBlock& block, std::uint32_t context)
    {
        const TSequenceIndex* index = block.m_index.get();
        return index && index->context == context ? index : nullptr;
    }
};

namespace {

std::uint64_t g_generation = 0;

struct ContextKey
{
    std::uintptr_t metrics;
    bool flowchart;
    bool printing;
    int spacing;
    bool counts; // elements are measured with room for a run's counts
    friend bool operator==(const ContextKey&, const ContextKey&) = default;
};

// The layout contexts met so far; a context's number is its place here plus one. A canvas that cannot
// promise stable metrics gets a new context for every call, so nothing is kept across calls for it.
std::uint32_t contextOf(const TCanvas& canvas, const TDisplayOptions& options)
{
    static std::vector<ContextKey> contexts;
    static std::uintptr_t nextUnkeyed = 0;
    ContextKey key{canvas.metricsKey(), options.Flowchart, options.Printing, options.Spacing,
                   countsShown(options)};
    if (key.metrics == 0) {
        // Keys that no canvas gives: odd numbers counted downwards from the top.
        nextUnkeyed += 2;
        key.metrics = ~std::uintptr_t{0} - nextUnkeyed;
        contexts.push_back(key);
        return static_cast<std::uint32_t>(contexts.size());
    }
    const auto found = std::find(contexts.begin(), contexts.end(), key);
    if (found != contexts.end())
        return static_cast<std::uint32_t>(found - contexts.begin() + 1);
    contexts.push_back(key);
    return static_cast<std::uint32_t>(contexts.size());
}

// Recomputes which elements this window lays out on its own: the collapsed blocks that live and every
// element they stand inside.
TWindowLayout& currentWindowLayout(const TDisplayOptions& options)
{
    TWindowLayout& layout = options.windowLayout();
    if (layout.generation == g_generation && layout.collapsedVersion == options.collapsedVersion())
        return layout;
    layout.generation = g_generation;
    layout.collapsedVersion = options.collapsedVersion();
    layout.affected.clear();
    layout.sizes.clear();
    for (const TElement* block : options.liveCollapsedBlocks()) {
        for (const TElement* e = block; e && layout.affected.insert(e).second; e = e->parent()) {
        }
    }
    return layout;
}

// The marked elements drawn in this window and everything they stand inside. A mark inside a block
// collapsed here is not drawn, so it holds nothing.
void findMarkPath(TDisplayOptions& options)
{
    options.MarkPath.clear();
    if (!options.OnScreen)
        return;
    for (const TDisplayOptions::Ref& mark : options.MarkedElements) {
        if (!options.isLive(mark))
            continue;
        bool hidden = false;
        for (const TElement* e = mark.element->parent(); e && !hidden; e = e->parent())
            hidden = options.IsCollapsed(e);
        if (hidden)
            continue;
        for (const TElement* e = mark.element; e; e = e->parent())
            options.MarkPath.push_back(e);
    }
}

// An index about to be filled from the first child on.
TSequenceIndex& startIndex(const TBlock& block)
{
    TSequenceIndex& index = TLayoutCache::index(block);
    index.context = 0;
    index.sequenceCurrent = false;
    index.moved.clear();
    index.changes[static_cast<int>(TKeeper::Layout)].stop();
    index.elements.clear();
    index.tops.clear();
    index.widths.clear();
    index.changes[static_cast<int>(TKeeper::Layout)].children.reserve(TChildChanges::kMaxListed);
    index.moved.reserve(TChildChanges::kMaxListed);
    return index;
}

void addToIndex(TSequenceIndex& index, const TElement& child, int top, TSize size)
{
    TLayoutCache::setPosition(child, index.elements.size());
    index.elements.push_back(&child);
    index.tops.push_back(top);
    index.widths.push_back(size.cx);
}

void finishIndex(TSequenceIndex& index, int height, std::uint32_t context)
{
    index.height = height;
    index.context = context;
    index.madeFor = context;
    index.sequenceCurrent = true;
    index.changes[static_cast<int>(TKeeper::Layout)].restart();
}

// The sizes of a block's children in order, walked once to make the index.
void buildIndex(const TBlock& block, TCanvas& canvas, TDisplayOptions& options)
{
    TSequenceIndex& index = startIndex(block);
    int top = 0;
    for (const TElement* child = block.FirstChild.get(); child; child = child->Next.get()) {
        const TSize size = measured(*child, canvas, options);
        addToIndex(index, *child, top, size);
        top += size.cy;
    }
    finishIndex(index, top, options.LayoutContext);
}

// Brings the index of `block` up to date where only the listed children changed in themselves since it
// was made in this context: they are measured again and the children after them move. False when that
// cannot be (then the sequence is measured whole).
bool updateIndex(const TBlock& block, TCanvas& canvas, TDisplayOptions& options, TSize& size)
{
    TSequenceIndex* index = TLayoutCache::existingIndex(block);
    if (!index || index->madeFor != options.LayoutContext || !index->sequenceCurrent)
        return false;
    TChildChanges& changes = index->changes[static_cast<int>(TKeeper::Layout)];
    if (!changes.following)
        return false;
    const std::size_t count = index->elements.size();
    for (const TElement* child : changes.children) {
        if (positionInSequence(*child) >= count)
            return false;
    }
    changes.following = false; // until the index is whole again
    for (const TElement* child : changes.children) {
        const std::size_t i = positionInSequence(*child);
        const int oldHeight = (i + 1 < count ? index->tops[i + 1] : index->height) - index->tops[i];
        const TSize now = measured(*child, canvas, options);
        index->widths[i] = now.cx;
        if (const int moved = now.cy - oldHeight; moved != 0) {
            for (std::size_t k = i + 1; k < count; ++k)
                index->tops[k] += moved;
            index->height += moved;
        }
    }
    size.cx = count ? *std::max_element(index->widths.begin(), index->widths.end()) : 0;
    size.cy = index->height;
    finishIndex(*index, index->height, options.LayoutContext);
    return true;
}

// Whether `block` is laid out in this window as everywhere, so that its index can be shared.
bool sharedLayout(const TBlock& block, const TDisplayOptions& options)
{
    return options.CollapsedBlocks.empty() || !currentWindowLayout(options).affected.count(&block);
}

// Where a place counted before `splice` is after it; `gone` for a place it removed.
constexpr std::size_t kGone = ~std::size_t{0};
std::size_t shifted(std::size_t place, const TSplice& splice)
{
    if (splice.inserted)
        return place >= splice.at ? place + splice.count : place;
    if (place >= splice.at + splice.count)
        return place - splice.count;
    return place >= splice.at ? kGone : place;
}

// Every element of the index gets its place again.
void renumber(TSequenceIndex& index)
{
    for (std::size_t i = 0; i < index.elements.size(); ++i)
        TLayoutCache::setPosition(*index.elements[i], i);
    index.moved.clear();
}

// The index of `block` when it holds the sequence as it stands and somebody follows its changes: only
// then is a splice worth taking in.
TSequenceIndex* splicedIndex(const TBlock& block)
{
    TSequenceIndex* index = TLayoutCache::existingIndex(block);
    if (!index || !index->sequenceCurrent)
        return nullptr;
    for (const TChildChanges& changes : index->changes) {
        if (changes.following)
            return index;
    }
    return nullptr;
}

// Notes a splice for the places kept in the elements; the places are set anew once too many pile up.
void noteMoved(TSequenceIndex& index, TSplice splice)
{
    if (index.moved.size() >= TChildChanges::kMaxListed || index.moved.size() == index.moved.capacity()) {
        renumber(index);
        return;
    }
    index.moved.push_back(splice);
}

std::size_t sequenceLength(const TBlock& block, std::size_t atLeast)
{
    std::size_t n = 0;
    for (const TElement* child = block.FirstChild.get(); child && n < atLeast; child = child->Next.get())
        ++n;
    return n;
}

} // namespace

void TChildChanges::note(const TElement* child)
{
    if (!following || std::find(children.begin(), children.end(), child) != children.end())
        return;
    // The room for the list is taken when following starts: noting allocates nothing.
    if (children.size() >= kMaxListed || children.size() == children.capacity()) {
        stop();
        return;
    }
    children.push_back(child);
}

void TChildChanges::noteSplice(TSplice splice)
{
    if (!following)
        return;
    if (splices.size() >= kMaxListed || splices.size() == splices.capacity()) {
        stop();
        return;
    }
    splices.push_back(splice);
}

void TElement::invalidateLayout(bool spliceReported) const
{
    ++g_generation;
    for (const TElement* e = this; e; e = e->parent()) {
        TLayoutCache::clear(*e);
        e->m_snapshotChanged = true; // the next undo snapshot encodes it anew
        e->m_javaChanged = true;     // and the Java text's index measures it anew
        // The element the change starts at may have changed its own sequence (an element inserted,
        // removed, or moved: the structural operations call this on the sequence's block). Every element
        // it stands inside changed only in itself, which its block notes.
        if (e == this && !spliceReported) {
            if (const TBlock* block = asBlock(e)) {
                if (TSequenceIndex* index = TLayoutCache::existingIndex(*block)) {
                    index->sequenceCurrent = false;
                    for (TChildChanges& changes : index->changes)
                        changes.stop();
                }
            }
        }
        if (const TBlock* holder = asBlock(e->parent())) {
            if (TSequenceIndex* index = TLayoutCache::existingIndex(*holder)) {
                for (TChildChanges& changes : index->changes)
                    changes.note(e);
            }
        }
    }
}

std::uint64_t layoutGeneration()
{
    return g_generation;
}

TWindowLayout& TDisplayOptions::windowLayout() const
{
    if (!m_layout)
        m_layout = std::make_unique<TWindowLayout>();
    return *m_layout;
}

TLayoutScope::TLayoutScope(TCanvas& canvas, TDisplayOptions& options)
    : m_options(options), m_outermost(options.LayoutContext == 0)
{
    if (m_outermost) {
        options.LayoutContext = contextOf(canvas, options);
        findMarkPath(options);
    }
}

TLayoutScope::~TLayoutScope()
{
    if (m_outermost) {
        m_options.LayoutContext = 0;
        m_options.MarkPath.clear();
    }
}

TSize measured(const TElement& e, TCanvas& canvas, TDisplayOptions& options)
{
    const std::uint32_t context = options.LayoutContext;
    if (context == 0)
        return e.Measure(canvas, options);
    if (!options.CollapsedBlocks.empty()) {
        TWindowLayout& layout = currentWindowLayout(options);
        if (layout.affected.count(&e)) {
            if (layout.sizesContext != context) {
                layout.sizes.clear();
                layout.sizesContext = context;
            }
            if (const auto found = layout.sizes.find(&e); found != layout.sizes.end())
                return found->second;
            const TSize size = e.Measure(canvas, options);
            layout.sizes.emplace(&e, size);
            return size;
        }
    }
    if (const TSize* kept = TLayoutCache::find(e, context))
        return *kept;
    const TSize size = e.Measure(canvas, options);
    TLayoutCache::keep(e, context, size);
    return size;
}

TSize measured(const TElement* e, TCanvas& canvas, TDisplayOptions& options)
{
    return e ? measured(*e, canvas, options) : TSize{};
}

const TSequenceIndex* sequenceIndex(const TBlock& block, TCanvas& canvas, TDisplayOptions& options)
{
    if (options.LayoutContext == 0 || !block.FirstChild)
        return nullptr;
    if (!sharedLayout(block, options))
        return nullptr;
    measured(block, canvas, options); // the children's sizes, and the block's own, are known from here on
    if (const TSequenceIndex* index = TLayoutCache::currentIndex(block, options.LayoutContext))
        return index;
    const std::size_t count = sequenceLength(block, kIndexedSequence);
    if (count < kIndexedSequence)
        return nullptr;
    buildIndex(block, canvas, options);
    return TLayoutCache::currentIndex(block, options.LayoutContext);
}

std::size_t positionInSequence(const TElement& e)
{
    const std::size_t kept = TLayoutCache::position(e);
    const TBlock* block = asBlock(e.parent());
    const TSequenceIndex* index = block ? TLayoutCache::existingIndex(*block) : nullptr;
    if (!index)
        return kept;
    const std::vector<const TElement*>& elements = index->elements;
    if (kept < elements.size() && elements[kept] == &e)
        return kept;
    // The place was kept before some of the splices since the places were last set: the last ones of
    // them, replayed on it, give where the element stands now.
    for (std::size_t first = 0; first < index->moved.size(); ++first) {
        std::size_t place = kept;
        for (std::size_t k = first; k < index->moved.size() && place != kGone; ++k)
            place = shifted(place, index->moved[k]);
        if (place < elements.size() && elements[place] == &e) {
            TLayoutCache::setPosition(e, place);
            return place;
        }
    }
    return elements.size();
}

bool spliceRuns(std::vector<std::uint32_t>& counts, std::vector<char>& touched, const TSplice& splice)
{
    std::size_t start = 0;
    if (splice.inserted) {
        // Into the run of the child before, or the first run.
        for (std::size_t r = 0; r < counts.size(); ++r) {
            start += counts[r];
            if (splice.at == 0 || (counts[r] > 0 && splice.at <= start)) {
                counts[r] += splice.count;
                touched[r] = 1;
                return true;
            }
        }
        return false;
    }
    std::size_t from = splice.at;
    std::size_t left = splice.count;
    for (std::size_t r = 0; r < counts.size() && left > 0; ++r) {
        const std::size_t end = start + counts[r];
        if (from < end) {
            const std::size_t taken = std::min(left, end - from);
            counts[r] -= static_cast<std::uint32_t>(taken);
            touched[r] = 1;
            left -= taken;
        }
        start = end;
        if (left > 0 && from < start)
            from = start;
    }
    return left == 0;
}

bool spliceAndFindRuns(TSplicedRuns& runs, const TChildChanges& changes,
                       const std::vector<const TElement*>& children,
                       const std::function<bool(std::size_t, std::size_t, const TElement&)>& unchanged)
{
    runs.touched.assign(runs.counts.size(), 0);
    for (const TSplice& splice : changes.splices) {
        if (!spliceRuns(runs.counts, runs.touched, splice))
            return false;
    }
    runs.starts.clear();
    runs.starts.reserve(runs.counts.size());
    std::size_t length = 0;
    for (const std::uint32_t count : runs.counts) {
        runs.starts.push_back(length);
        length += count;
    }
    if (children.size() != length)
        return false;
    // The runs the listed children stand in.
    for (const TElement* child : changes.children) {
        const std::size_t i = positionInSequence(*child);
        if (i >= length || children[i] != child)
            return false;
        std::size_t r = static_cast<std::size_t>(std::upper_bound(runs.starts.begin(), runs.starts.end(), i) -
                                                 runs.starts.begin()) -
                        1;
        while (runs.counts[r] == 0)
            --r;
        if (!runs.touched[r] && !unchanged(r, i - runs.starts[r], *child))
            return false;
        runs.touched[r] = 1;
    }
    return true;
}

bool sequenceInserted(const TBlock& block, const TElement* after, const TElement& first, std::size_t count)
{
    TSequenceIndex* index = splicedIndex(block);
    if (!index || count == 0)
        return false;
    const std::size_t length = index->elements.size();
    std::size_t at = 0;
    if (after) {
        at = positionInSequence(*after);
        if (at >= length)
            return false;
        ++at;
    }
    // Placed with no height: the layout measures them as changed children, and the children after
    // them move then.
    const int top = at < length ? index->tops[at] : index->height;
    try {
        index->elements.insert(index->elements.begin() + static_cast<std::ptrdiff_t>(at), count, nullptr);
        index->tops.insert(index->tops.begin() + static_cast<std::ptrdiff_t>(at), count, top);
        index->widths.insert(index->widths.begin() + static_cast<std::ptrdiff_t>(at), count, 0);
    } catch (const std::bad_alloc&) {
        index->sequenceCurrent = false;
        return false;
    }
    const TElement* e = &first;
    for (std::size_t i = at; i < at + count; ++i, e = e->Next.get()) {
        index->elements[i] = e;
        TLayoutCache::setPosition(*e, i);
        TLayoutCache::markJavaChanged(*e);
        index->changes[static_cast<int>(TKeeper::Layout)].note(e);
    }
    const TSplice splice{static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(count), true};
    noteMoved(*index, splice);
    index->changes[static_cast<int>(TKeeper::JavaText)].noteSplice(splice);
    index->changes[static_cast<int>(TKeeper::Snapshot)].noteSplice(splice);
    return true;
}

bool sequenceRemoving(const TBlock& block, const TElement& e)
{
    TSequenceIndex* index = splicedIndex(block);
    if (!index)
        return false;
    const std::size_t length = index->elements.size();
    const std::size_t at = positionInSequence(e);
    if (at >= length)
        return false;
    const int height = (at + 1 < length ? index->tops[at + 1] : index->height) - index->tops[at];
    const auto place = static_cast<std::ptrdiff_t>(at);
    index->elements.erase(index->elements.begin() + place);
    index->tops.erase(index->tops.begin() + place);
    index->widths.erase(index->widths.begin() + place);
    if (height != 0) {
        for (std::size_t k = at; k + 1 < length; ++k)
            index->tops[k] -= height;
        index->height -= height;
    }
    const TSplice splice{static_cast<std::uint32_t>(at), 1, false};
    noteMoved(*index, splice);
    for (TChildChanges& changes : index->changes)
        std::erase(changes.children, &e);
    index->changes[static_cast<int>(TKeeper::JavaText)].noteSplice(splice);
    index->changes[static_cast<int>(TKeeper::Snapshot)].noteSplice(splice);
    return true;
}

TSize measureChildren(const TBlock& block, TCanvas& canvas, TDisplayOptions& options)
{
    // A long sequence gets its index on the way: a paint after the measure (the first paint of a loaded
    // design, the paint after an edit) does not walk the sequence once more to make it. Where only some
    // children changed in themselves since, the index is brought up to date without a walk.
    const bool indexed = options.LayoutContext != 0 && sharedLayout(block, options);
    TSize size;
    if (indexed && updateIndex(block, canvas, options, size))
        return size;
    TSequenceIndex* index = nullptr;
    std::size_t n = 0;
    for (const TElement* child = block.FirstChild.get(); child; child = child->Next.get(), ++n) {
        if (indexed && n == kIndexedSequence) {
            // Long enough: the children so far are entered now, the others as they come.
            index = &startIndex(block);
            int top = 0;
            for (const TElement* e = block.FirstChild.get(); e != child; e = e->Next.get()) {
                const TSize earlier = measured(*e, canvas, options);
                addToIndex(*index, *e, top, earlier);
                top += earlier.cy;
            }
        }
        const TSize c = measured(*child, canvas, options);
        if (index)
            addToIndex(*index, *child, size.cy, c);
        size.cx = std::max(size.cx, c.cx);
        size.cy += c.cy;
    }
    if (index)
        finishIndex(*index, size.cy, options.LayoutContext);
    return size;
}

const TChildChanges* childChanges(const TBlock& block, TKeeper keeper)
{
    const TSequenceIndex* index = TLayoutCache::existingIndex(block);
    if (!index || !index->changes[static_cast<int>(keeper)].following)
        return nullptr;
    return &index->changes[static_cast<int>(keeper)];
}

void prepareFollowing(const TBlock& block)
{
    TSequenceIndex& index = TLayoutCache::index(block);
    for (TChildChanges& changes : index.changes) {
        changes.children.reserve(TChildChanges::kMaxListed);
        changes.splices.reserve(TChildChanges::kMaxListed);
    }
    index.moved.reserve(TChildChanges::kMaxListed);
}

void followChildChanges(const TBlock& block, TKeeper keeper) noexcept
{
    if (TSequenceIndex* index = TLayoutCache::existingIndex(block))
        index->changes[static_cast<int>(keeper)].restart();
}

const std::vector<const TElement*>* currentChildren(const TBlock& block)
{
    const TSequenceIndex* index = TLayoutCache::existingIndex(block);
    return index && index->sequenceCurrent ? &index->elements : nullptr;
}
