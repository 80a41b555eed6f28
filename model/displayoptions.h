#pragma once

#include "model/elementwatch.h"
#include "model/struktteile.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct TWindowLayout;

// What a run of the program shows in the windows that draw it on screen: the element the next step runs,
// the element that failed (or every element with a problem, when the design could not start), each with the
// blocks it stands inside (so that a collapsed one shows it), and the breakpoints. One record serves every
// window; the controller of the run keeps it. Entries are compared by address and serial, never followed;
// printing and pictures leave them out.
struct TRunMarks
{
    struct Entry
    {
        const TElement* element = nullptr;
        std::uint64_t serial = 0;

        bool is(const TElement& e) const { return element == &e && serial == e.serial(); }
    };
    // An element and the blocks around it, innermost first.
    struct Spot
    {
        Entry element;
        std::vector<Entry> around;

        bool holds(const TElement& e) const;
    };

    // The spot of `e` (null: none), with every block it stands inside; follows `e`, which must live.
    static Spot spotOf(const TElement* e);

    Spot running;
    std::vector<Spot> failed;
    std::vector<Entry> breakpoints;
    // How often each element ran in the current or last run, by address (only compared, never followed;
    // the run's controller drops it when the design changes); null when there is no run to count. Shown
    // on the elements while `showCounts` (the view option "Ablaufzählung").
    const std::unordered_map<const TElement*, std::uint64_t>* counts = nullptr;
    bool showCounts = false;

    bool hasBreakpoint(const TElement& e) const;
    // How often `e` ran, when counts are shown and `e` is a step of the run (a statement or a condition
    // element; blocks are not counted); else nothing.
    std::optional<std::uint64_t> countOf(const TElement& e) const;
};

// TDisplayOptions: the view state of one diagram window: marked elements, collapsed blocks, drop target,
// where the marked element was last drawn, and the modes that steer measuring, drawing and hit testing.
// It owns no element. Entries remember each element's serial as well as its address, so an entry for an
// element that has been released never matches a new element that reuses its memory. The options watch
// the elements their entries name (model/elementwatch.h): an entry is followed only while its element
// lives, and never by the list operations.
class TDisplayOptions final : private TElementWatcher
{
public:
    // An element as the lists remember it.
    struct Ref
    {
        TElement* element = nullptr;
        std::uint64_t serial = 0;

        bool is(const TElement* e) const
        {
            return e ? element == e && serial == e->serial() : element == nullptr;
        }
    };

    TDisplayOptions();
    TDisplayOptions(const TDisplayOptions& other);
    TDisplayOptions& operator=(const TDisplayOptions& other);
    ~TDisplayOptions();

    bool IsMarked(const TElement* e) const;
    // The current element (the last one marked) or null; may name an element that has since left the
    // design, so callers that dereference it check it first (see lastMarkedRef, isLive).
    TElement* LastMarked() const;
    Ref lastMarkedRef() const;
    void AddMarked(TElement* e);
    void ClearMarked();
    bool IsCollapsed(const TElement* e) const;
    void ToggleCollapsed(TBlock* b);

    int markedCount() const { return static_cast<int>(MarkedElements.size()); }
    int collapsedCount() const { return static_cast<int>(CollapsedBlocks.size()); }

    // Whether the element an entry names still lives, so that it may be followed. Only entries made by
    // AddMarked and ToggleCollapsed are known to live.
    bool isLive(const Ref& ref) const;
    // The collapsed blocks that still live.
    std::vector<const TElement*> liveCollapsedBlocks() const;

    TBlock* RootBlock = nullptr;
    std::vector<Ref> MarkedElements;
    TRect HighlightRect;
    std::vector<Ref> CollapsedBlocks; // grows as needed
    TElement* DropTarget = nullptr;
    bool DropAfterBlock = false;
    bool OnScreen = true;
    int Spacing = 6;
    bool Printing = false;
    bool Flowchart = false;
    // The marks of a run, drawn on screen only; null while nothing runs (not owned).
    const TRunMarks* RunMarks = nullptr;

    // While one paint, hit test or measurement runs: its layout context (model/layoutcache.h); 0 otherwise.
    std::uint32_t LayoutContext = 0;
    // While a paint runs: the marked elements that are drawn and every element they stand inside, whose
    // figures are drawn even outside the painted area so that they record where the mark stands.
    std::vector<const TElement*> MarkPath;

    // This window's own layout beside the shared sizes (model/layoutcache.cpp); made on first use.
    TWindowLayout& windowLayout() const;
    // Bumped whenever the collapsed blocks change.
    std::uint64_t collapsedVersion() const { return m_collapsedVersion; }

private:
    void elementGone(const TElement* e) override;
    void follow(TElement* e);
    void forget(const TElement* e);
    void followAll();

    std::unordered_set<const TElement*> m_live;
    std::uint64_t m_collapsedVersion = 0;
    mutable std::unique_ptr<TWindowLayout> m_layout;
};

// How much further inside its box a text stands while printing than on screen. The box's fixed margins
// are in device pixels, a fraction of a millimetre on the printer, where the thick lines would touch the
// text: on paper each side gets the spacing unit (half the printer font's height) more, so the text keeps
// about the margin it has on screen.
inline int printedTextInset(const TDisplayOptions& options)
{
    return options.Printing ? options.Spacing : 0;
}
