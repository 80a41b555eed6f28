#pragma once

// Measured sizes kept between paints and hit tests.
//
// Every element keeps its measured size for up to two layout contexts (canvas metrics, drawing mode,
// printing, spacing) until a change makes it out of date: a structural operation or a new text calls
// invalidateLayout() on the element, which clears the element and every element it stands inside, so
// that the next paint measures exactly those again and nothing else. A block whose sequence is long keeps
// the positions of its children, so that a paint or hit test finds the children it needs by bisection
// instead of walking the sequence. Every figure is what a fresh measurement gives: a size is only ever
// kept for the context it was measured in, and only until something it depends on changes.
//
// The shared sizes assume that no block is collapsed, since collapsing is a window's own state; each
// window keeps the sizes of its collapsed blocks and of the blocks holding them beside (TDisplayOptions).

#include "model/canvas.h"
#include "model/displayoptions.h"
#include "model/struktteile.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// What keeps measures of a long sequence besides the layout: the Java text's index (model/javalines.cpp)
// and the undo snapshots (model/snapshot.cpp).
enum class TKeeper : std::uint8_t { Layout, JavaText, Snapshot };

// A change of a long sequence itself: `count` children inserted at `at`, or removed from `at` on, the
// places counted in the sequence as it stood just before.
struct TSplice
{
    std::uint32_t at = 0;
    std::uint32_t count = 0;
    bool inserted = false;
};

// What changed in a long sequence since a keeper last took in the whole of it. While it is `following`,
// every change is listed: the children that changed in themselves (a text, something inside them) and the
// insertions and removals, in order. The keeper takes in those and keeps the rest. A change that is not
// reported this way (a sequence emptied, a chain appended), or too many changes, end following, and the
// keeper looks at every child again.
struct TChildChanges
{
    static constexpr std::size_t kMaxListed = 16;
    bool following = false;
    std::vector<const TElement*> children; // no child twice; all of them stand in the sequence
    std::vector<TSplice> splices;

    void note(const TElement* child);
    void noteSplice(TSplice splice);
    void restart()
    {
        following = true;
        children.clear();
        splices.clear();
    }
    void stop()
    {
        following = false;
        children.clear();
        splices.clear();
    }
};

// The positions of a block's children: each child's top, relative to the first child's top, and its
// width, in the context the index was made for; `height` is their total height. With what changed in the
// sequence for each keeper.
struct TSequenceIndex
{
    std::uint32_t context = 0; // 0: out of date
    std::uint32_t madeFor = 0; // the context the positions were measured in
    std::vector<const TElement*> elements;
    std::vector<int> tops;
    std::vector<int> widths;
    int height = 0;
    // `elements` are the block's children as they stand now: insertions and removals that are reported
    // (sequenceInserted, sequenceRemoving) are spliced into the arrays as they happen.
    bool sequenceCurrent = false;
    // The splices since every element's kept place was last set: a kept place is found again by
    // replaying some of them (positionInSequence).
    std::vector<TSplice> moved;
    TChildChanges changes[3]; // by TKeeper
};

// What a window keeps of its own layout where it differs from the shared sizes: the blocks collapsed in
// this window and every element that holds one ("affected"), with their sizes in this window.
struct TWindowLayout
{
    std::uint64_t generation = ~std::uint64_t{0}; // layoutGeneration() when `affected` was found
    std::uint64_t collapsedVersion = ~std::uint64_t{0};
    std::unordered_set<const TElement*> affected;
    std::uint32_t sizesContext = 0;
    std::unordered_map<const TElement*, TSize> sizes;
};

// Sequences at least this long get an index.
inline constexpr std::size_t kIndexedSequence = 24;

// TLayoutScope: the layout context of one paint, hit test or measurement, installed in the options for
// the length of the call (nested calls share the outermost one). Also notes where the marked elements
// stand, for drawing.
class TLayoutScope
{
public:
    TLayoutScope(TCanvas& canvas, TDisplayOptions& options);
    ~TLayoutScope();
    TLayoutScope(const TLayoutScope&) = delete;
    TLayoutScope& operator=(const TLayoutScope&) = delete;

private:
    TDisplayOptions& m_options;
    bool m_outermost;
};

// The size of `e` (its Measure) in the options' layout context, measured only when no kept size is valid.
TSize measured(const TElement& e, TCanvas& canvas, TDisplayOptions& options);
// The size of a branch block that may be missing (a bare condition element): zero then.
TSize measured(const TElement* e, TCanvas& canvas, TDisplayOptions& options);

// The children of `block` with their positions, when the sequence is long enough to have an index and
// the block is laid out in this window as everywhere (no block collapsed here lies inside it); null
// otherwise, and then the sequence is walked.
const TSequenceIndex* sequenceIndex(const TBlock& block, TCanvas& canvas, TDisplayOptions& options);

// The width of the widest child of `block` and the height of all of them, each measured as `measured`
// does it; a long sequence gets the index that sequenceIndex would make for it on the way.
TSize measureChildren(const TBlock& block, TCanvas& canvas, TDisplayOptions& options);

// Where `e` stands in its block's sequence index (valid while that index is); the length of the index
// when it does not stand there.
std::size_t positionInSequence(const TElement& e);

// Reports to `block`'s index that `count` elements from `first` on were just linked into its sequence,
// right after `after` (null: at its start). Before its `invalidateLayout(true)`; false when the index
// could not take it in, and then the sequence is looked at whole (`invalidateLayout()`).
bool sequenceInserted(const TBlock& block, const TElement* after, const TElement& first, std::size_t count);
// The same for `e`, about to be unlinked from `block`'s sequence (it still stands in it).
bool sequenceRemoving(const TBlock& block, const TElement& e);

// The children of `block` that changed since `keeper` last took in its whole sequence; null when they are
// not known, and then every child has to be looked at.
const TChildChanges* childChanges(const TBlock& block, TKeeper keeper);
// `keeper` has taken in `block`'s whole sequence as it stands: from now on the children that change are
// listed for it. Prepared by prepareFollowing, which may run out of memory; this one cannot fail.
void prepareFollowing(const TBlock& block);
void followChildChanges(const TBlock& block, TKeeper keeper) noexcept;
// A keeper that holds a long sequence in runs takes in a splice: `counts` are the runs' lengths, made
// longer or shorter, and the runs it touched are marked in `touched`. An insertion goes into the run of
// the child before it (the first run at the start). False when the splice does not fit the runs.
bool spliceRuns(std::vector<std::uint32_t>& counts, std::vector<char>& touched, const TSplice& splice);
// A keeper's runs of a long sequence after `changes`: `counts` (the runs' lengths before, made the lengths
// after), the runs touched by a splice or holding a listed child, and where each run starts now in
// `children`, the sequence as it stands. `unchanged(run, offset, child)` is asked for each listed child in
// a run no splice touched, and may refuse it. False when the changes do not fit the runs or the sequence.
struct TSplicedRuns
{
    std::vector<std::uint32_t> counts;
    std::vector<char> touched;
    std::vector<std::size_t> starts;
};
bool spliceAndFindRuns(TSplicedRuns& runs, const TChildChanges& changes,
                       const std::vector<const TElement*>& children,
                       const std::function<bool(std::size_t, std::size_t, const TElement&)>& unchanged);
// The children of `block` in order, when the layout's index holds them as they stand now; null otherwise.
const std::vector<const TElement*>* currentChildren(const TBlock& block);

// Counts every change of layout: window state derived from the shared sizes is out of date once it moves.
std::uint64_t layoutGeneration();
