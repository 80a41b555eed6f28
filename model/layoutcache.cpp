#include "model/layoutcache.h"

#include "model/drawing.h"

#include <algorithm>
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

// The sizes of a block's children in order, walked once to make the index.
void buildIndex(const TBlock& block, TCanvas& canvas, TDisplayOptions& options, std::size_t count)
{
    TSequenceIndex& index = TLayoutCache::index(block);
    index.elements.clear();
    index.tops.clear();
    index.elements.reserve(count);
    index.tops.reserve(count);
    int top = 0;
    for (const TElement* child = block.FirstChild.get(); child; child = child->Next.get()) {
        TLayoutCache::setPosition(*child, index.elements.size());
        index.elements.push_back(child);
        index.tops.push_back(top);
        top += measured(*child, canvas, options).cy;
    }
    index.height = top;
    index.context = options.LayoutContext;
}

// Whether `block` is laid out in this window as everywhere, so that its index can be shared.
bool sharedLayout(const TBlock& block, const TDisplayOptions& options)
{
    return options.CollapsedBlocks.empty() || !currentWindowLayout(options).affected.count(&block);
}

std::size_t sequenceLength(const TBlock& block, std::size_t atLeast)
{
    std::size_t n = 0;
    for (const TElement* child = block.FirstChild.get(); child && n < atLeast; child = child->Next.get())
        ++n;
    return n;
}

} // namespace

void TElement::invalidateLayout() const
{
    ++g_generation;
    for (const TElement* e = this; e; e = e->parent()) {
        TLayoutCache::clear(*e);
        e->m_snapshotChanged = true; // the next undo snapshot encodes it anew
        e->m_javaChanged = true;     // and the Java text's index measures it anew
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
    buildIndex(block, canvas, options, count);
    return TLayoutCache::currentIndex(block, options.LayoutContext);
}

std::size_t positionInSequence(const TElement& e)
{
    return TLayoutCache::position(e);
}

TSize measureChildren(const TBlock& block, TCanvas& canvas, TDisplayOptions& options)
{
    // A long sequence gets its index on the way: a paint after the measure (the first paint of a loaded
    // design, the paint after an edit) does not walk the sequence once more to make it.
    const bool indexed = options.LayoutContext != 0 && sharedLayout(block, options);
    TSequenceIndex* index = nullptr;
    TSize size;
    std::size_t n = 0;
    for (const TElement* child = block.FirstChild.get(); child; child = child->Next.get(), ++n) {
        if (indexed && n == kIndexedSequence) {
            // Long enough: the children so far are entered now, the others as they come.
            index = &TLayoutCache::index(block);
            index->elements.clear();
            index->tops.clear();
            int top = 0;
            std::size_t k = 0;
            for (const TElement* e = block.FirstChild.get(); e != child; e = e->Next.get(), ++k) {
                TLayoutCache::setPosition(*e, k);
                index->elements.push_back(e);
                index->tops.push_back(top);
                top += measured(*e, canvas, options).cy;
            }
        }
        if (index) {
            TLayoutCache::setPosition(*child, n);
            index->elements.push_back(child);
            index->tops.push_back(size.cy);
        }
        const TSize c = measured(*child, canvas, options);
        size.cx = std::max(size.cx, c.cx);
        size.cy += c.cy;
    }
    if (index) {
        index->height = size.cy;
        index->context = options.LayoutContext;
    }
    return size;
}
