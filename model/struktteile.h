#pragma once

// The element tree of a program design.
//
//   TElement    base of every diagram element: a text, a successor, a flag
//   TAnweisung  a statement box
//   TBlock      a named sequence: the root of a design, every branch and loop body, a refined statement
//   TBedingung  an element with a condition text and one or two branch blocks
//   TIf         a two-way decision (yes branch, no branch)
//   TWhile      a loop with the test before the body
//   TDoWhile    a loop with the test after the body
//   TRepeat     a loop with the test after the body that repeats until the condition holds
//   TFor        a counting loop; its text is "variable von start bis end"
//
// A sequence is a chain of `Next` links; a block owns its first element, a condition element its branch
// blocks. Owning links are unique_ptr; every other reference to an element (windows, display options,
// drag state) is a plain observing pointer. Sequences can be very long, so everything that follows `Next`
// is a loop; only nesting (children, branches) recurses, and nesting read from outside is bounded by
// kMaxNesting.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

class TBlock;
class TByteReader;
struct TSequenceIndex;
struct TJavaSequence;
struct TSnapshotPart;
class TByteSink;
class TByteWriter;
class TCanvas;
class TDisplayOptions;

struct TPoint
{
    int x = 0;
    int y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize
{
    int cx = 0; // width
    int cy = 0; // height
    friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};

// Designs nested deeper than this many block levels (the root is level 1) are refused when read from a
// file or parsed from text, so that nothing that walks the nesting can exhaust the stack.
inline constexpr int kMaxNesting = 1000;

// The element classes in tree order; answers "which class is this?" without dynamic_cast.
enum class Kind : std::uint8_t { Anweisung, Block, If, While, DoWhile, Repeat, For };

// TElement: base of every diagram element.
class TElement
{
public:
    virtual ~TElement();
    TElement(const TElement&) = delete;
    TElement& operator=(const TElement&) = delete;

    Kind kind() const { return m_kind; }
    bool isBlock() const { return m_kind == Kind::Block; }
    // TIf and every loop.
    bool isCondition() const { return m_kind >= Kind::If; }
    // TWhile and the classes derived from it: TDoWhile, TRepeat, TFor.
    bool isLoop() const { return m_kind >= Kind::While; }

    // A number that no other element of this run of the program ever has: identities that outlive an
    // element (marks, collapsed states) compare it as well as the address, which may be reused.
    std::uint64_t serial() const { return m_serial; }

    // The element whose sequence holds this one: the block it stands in, or for a branch block its
    // condition element. Null for a design's root and for an element that has been removed or detached.
    // The structural operations keep it; adoptTree sets it for a tree put together link by link.
    TElement* parent() const { return m_parent; }

    // The measured sizes of this element and of every element it stands inside, and their encodings kept
    // for undo snapshots, are out of date: called by the structural operations, and by whoever changes an
    // element's text (model/editing.h: setText). `spliceReported`: the change is an insertion into or a
    // removal from this block's sequence that its index took in (model/layoutcache.h: sequenceInserted),
    // so whoever follows the sequence's changes keeps following.
    void invalidateLayout(bool spliceReported = false) const;

    // Links `e` (a single new or detached element) right after this element in its sequence, also when
    // this element is a block; the old `Next` of `e` is overwritten.
    void insertSuccessor(std::unique_ptr<TElement> e);

    // Deep copy of this element, everything it owns, and its whole chain of successors.
    std::unique_ptr<TElement> Clone() const;
    // Deep copy of this element and everything it owns, without its successors.
    std::unique_ptr<TElement> cloneAlone() const { return cloneElement(); }

    // Draws the element, everything inside it and all its successors; each element's selection frame and
    // drop mark come after its successors.
    void Draw(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options) const;

    // Links a single new or detached element into the structure: after this element in its sequence
    // (TBlock: as its first element). The old `Next` of `e` is overwritten.
    virtual void InsertAfter(std::unique_ptr<TElement> e);

    // Removes `x` from this element's subtree and successors and hands it back with everything it owns
    // (its `Next` cleared, its successors relinked in its place). Called with the receiver itself, or on a
    // block that is `x`, the element stays in place and its contents are handed back instead: a block's
    // child chain, or (for a condition element called with itself) nothing, its branch blocks emptied.
    // Returns null when `x` is not found. The caller decides when what it gets is released, so that a
    // block that a window still shows can be kept alive.
    std::unique_ptr<TElement> DeleteElement(TElement* x);

    // Unlinks `x` from wherever it stands below or after this element, without releasing anything, and
    // hands it back; the elements after it move up. The returned element has no successor: its old one
    // stays in the sequence it came from. Null when `x` is not found.
    std::unique_ptr<TElement> DetachElement(TElement* x);

    // The element whose `Next`, `FirstChild` or branch link is `x`, searching this element's subtree and
    // its successors; null if there is none.
    TElement* FindReferrer(const TElement* x);

    // Writes the records of this element, its subtree and all its successors.
    void Save(TByteWriter& out) const;

    // Appends Java source for this element and its successors.
    void ExportJava(TByteSink& out, const std::string& indent) const;

    // Size of the element alone (without its successors) in the current drawing mode.
    virtual TSize Measure(TCanvas& canvas, TDisplayOptions& options) const = 0;

    // The element under (X, Y), searching this element, everything inside it, and its successors (not
    // those of the options' RootBlock); null if none. Writes options.DropAfterBlock. In structogram mode
    // each element is hit where it is drawn: as wide as the block it stands in, the sequence as wide as
    // its widest element, as Draw is called for the window's root block.
    TElement* HitTest(TCanvas& canvas, TPoint origin, TDisplayOptions& options, int X, int Y);

    std::string Text;
    std::unique_ptr<TElement> Next;
    bool Standalone = true;

protected:
    explicit TElement(Kind kind, std::string text);

    // Copy of this element and what it owns, without its successors.
    virtual std::unique_ptr<TElement> cloneElement() const = 0;
    // Copies the TElement part (not `Next`) into `copy`.
    void copyElementPart(TElement& copy) const;

    // The record of this element alone (tag, text, terminator, owned sequences).
    virtual void saveRecord(TByteWriter& out) const = 0;

    // The Java text of this element alone.
    virtual void exportJavaElement(TByteSink& out, const std::string& indent) const = 0;

    // Draws the figure of this element and everything inside it (not its successors).
    virtual void drawElement(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options) const = 0;
    // Draws the selection frame and the drop mark, after the successors have been drawn.
    virtual void drawMarks(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options) const = 0;

    // Called when (X, Y) lies on this element's own rectangle, drawn `width` wide (structogram mode): the
    // element answered for that point, which may be this element or one inside it. The base answers this
    // element.
    virtual TElement* hitTestInside(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options,
                                    int X, int Y);

    // The parts of DeleteElement, DetachElement and FindReferrer that look inside this one element (its
    // children or branch blocks); the sequence walk along `Next` is the base's. The base has no inside.
    virtual std::unique_ptr<TElement> deleteInside(TElement* x);
    virtual std::unique_ptr<TElement> detachInside(TElement* x);
    // The receiver when one of its own inside links (first child, branch block) is `x`.
    virtual bool refersInside(const TElement* x) const;
    virtual TElement* findReferrerInside(const TElement* x);
    // FindReferrer's walk: `from`, everything inside it and its successors, in order.
    static TElement* searchReferrer(TElement* from, const TElement* x);

    // Makes this element the parent of `first` and of all its successors.
    void adoptSequence(TElement* first);

    static void setParent(TElement& e, TElement* parent) { e.m_parent = parent; }

private:
    friend class TLayoutCache;
    friend class TSequenceWalk; // drawing and hit testing of long sequences (model/drawing.cpp, layout.cpp)
    friend void watchElement(TElement& e, class TElementWatcher& watcher);
    friend std::unique_ptr<TElement> unlinkElement(std::unique_ptr<TElement>& link);
    friend void adoptTree(TElement& top);
    friend class TSnapshotParts; // model/snapshot.cpp
    friend class TDesignLoader;  // model/dateiformat.cpp: sets parents while reading
    friend class TJavaIndex;     // model/javalines.cpp

    void markWatched() { m_watched = true; }

    Kind m_kind;
    bool m_watched = false; // somebody watches this element (model/elementwatch.h)
    // Something in or of this element changed since the last undo snapshot encoded it (model/snapshot.h);
    // set by invalidateLayout on the element and every element it stands inside.
    mutable bool m_snapshotChanged = true;
    // The same since the Java text's index (model/javalines.h) last measured it.
    mutable bool m_javaChanged = true;
    std::uint64_t m_serial;
    TElement* m_parent = nullptr; // see parent(); kept by the structural operations
    // Sizes kept between paints for up to two layout contexts (model/layoutcache.h); context 0: empty.
    mutable TSize m_sizes[2];
    mutable std::uint32_t m_sizeContexts[2] = {0, 0};
    // This element's place in the sequence index of its block, while that index is valid.
    mutable std::uint32_t m_position = 0;
    // This element's place in its sequence, as the Java text's index of its block last found it.
    mutable std::uint32_t m_javaPosition = 0;
};

// Each class's constructor makes a bare element (a condition element without branch blocks); `Create`
// makes the complete new element of the design, with its default branch blocks.

// TAnweisung: a statement box.
class TAnweisung final : public TElement
{
public:
    explicit TAnweisung(std::string text);
    static std::unique_ptr<TAnweisung> Create(std::string text);

    TSize Measure(TCanvas& canvas, TDisplayOptions& options) const override;

protected:
    std::unique_ptr<TElement> cloneElement() const override;
    void saveRecord(TByteWriter& out) const override;
    void exportJavaElement(TByteSink& out, const std::string& indent) const override;
    void drawElement(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options) const override;
    void drawMarks(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options) const override;
};

// TBlock: a named sequence of elements.
class TBlock final : public TElement
{
public:
    explicit TBlock(std::string text);
    ~TBlock() override;
    static std::unique_ptr<TBlock> Create(std::string text);

    // Deep copy of the block (with its successors, like every Clone), typed as a block.
    std::unique_ptr<TBlock> cloneBlock() const;

    void InsertAfter(std::unique_ptr<TElement> e) override;
    TSize Measure(TCanvas& canvas, TDisplayOptions& options) const override;

    // Hands back the block's child chain and leaves the block empty.
    std::unique_ptr<TElement> takeChildren();
    // Appends `chain` (an element and its successors) at the end of the block's sequence.
    void appendChain(std::unique_ptr<TElement> chain);

    std::unique_ptr<TElement> FirstChild;
    bool Framed = true;
    bool Braced = true;

private:
    friend class TLayoutCache;
    friend class TSnapshotParts; // model/snapshot.cpp
    friend class TJavaIndex;     // model/javalines.cpp
    // The positions of a long child sequence, for finding a child by its position (model/layoutcache.h).
    mutable std::unique_ptr<TSequenceIndex> m_index;
    // This block's encoding as the undo history's snapshots share it (model/snapshot.h); it is what
    // the block holds while the element's snapshot mark is clear.
    mutable std::shared_ptr<const TSnapshotPart> m_snapshotPart;
    // What the Java text of the block's sequence measures (model/javalines.cpp).
    mutable std::unique_ptr<TJavaSequence> m_java;

protected:
    std::unique_ptr<TElement> cloneElement() const override;
    void saveRecord(TByteWriter& out) const override;
    void exportJavaElement(TByteSink& out, const std::string& indent) const override;
    void drawElement(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options) const override;
    void drawMarks(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options) const override;
    TElement* hitTestInside(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options, int X,
                            int Y) override;
    std::unique_ptr<TElement> deleteInside(TElement* x) override;
    std::unique_ptr<TElement> detachInside(TElement* x) override;
    bool refersInside(const TElement* x) const override;
    TElement* findReferrerInside(const TElement* x) override;
};

// TBedingung: an element with a condition text and one or two branch blocks.
class TBedingung : public TElement
{
public:
    // Branch block number i (1 or 2), or null.
    TBlock* branch(int i) const { return Branches[i - 1].get(); }

    // Size of the condition box (structogram) or diamond (flowchart) alone.
    TSize MeasureCondition(TCanvas& canvas, TDisplayOptions& options) const;
    // Where branch block number i is drawn, for an element whose origin is `origin`.
    virtual TPoint BranchOrigin(TCanvas& canvas, TPoint origin, int i, TDisplayOptions& options) const = 0;
    // In structogram mode, how wide branch block number i is drawn when this element is drawn `width`
    // wide at `origin`: a decision's yes column up to and with the dividing line, its no column from
    // there to the right edge; a loop's body all but the 20-pixel bar.
    int branchWidth(TCanvas& canvas, TPoint origin, int width, int i, TDisplayOptions& options) const;

    // Branches[0] is branch 1 (yes branch or body), Branches[1] branch 2 (no branch; null for loops).
    std::unique_ptr<TBlock> Branches[2];
    int BranchCount = 0;

protected:
    TBedingung(Kind kind, std::string text);
    // Copies the TElement and TBedingung parts (branch blocks cloned) into `copy`.
    void copyConditionPart(TBedingung& copy) const;
    TElement* hitTestInside(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options, int X,
                            int Y) override;
    std::unique_ptr<TElement> deleteInside(TElement* x) override;
    std::unique_ptr<TElement> detachInside(TElement* x) override;
    bool refersInside(const TElement* x) const override;
    TElement* findReferrerInside(const TElement* x) override;
};

// TIf: a two-way decision.
class TIf final : public TBedingung
{
public:
    explicit TIf(std::string text);
    static std::unique_ptr<TIf> Create(std::string text);

    TSize Measure(TCanvas& canvas, TDisplayOptions& options) const override;
    TPoint BranchOrigin(TCanvas& canvas, TPoint origin, int i, TDisplayOptions& options) const override;

protected:
    std::unique_ptr<TElement> cloneElement() const override;
    void saveRecord(TByteWriter& out) const override;
    void exportJavaElement(TByteSink& out, const std::string& indent) const override;
    void drawElement(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options) const override;
    void drawMarks(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options) const override;
};

// TWhile: a loop with the test before the body; base of the other loops.
class TWhile : public TBedingung
{
public:
    explicit TWhile(std::string text);
    static std::unique_ptr<TWhile> Create(std::string text);

    TSize Measure(TCanvas& canvas, TDisplayOptions& options) const override;
    TPoint BranchOrigin(TCanvas& canvas, TPoint origin, int i, TDisplayOptions& options) const override;

protected:
    TWhile(Kind kind, std::string text);
    std::unique_ptr<TElement> cloneElement() const override;
    void saveRecord(TByteWriter& out) const override;
    void exportJavaElement(TByteSink& out, const std::string& indent) const override;
    void drawElement(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options) const override;
    void drawMarks(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options) const override;
};

// TDoWhile: a loop with the test after the body.
class TDoWhile : public TWhile
{
public:
    explicit TDoWhile(std::string text);
    static std::unique_ptr<TDoWhile> Create(std::string text);

    TSize Measure(TCanvas& canvas, TDisplayOptions& options) const override;
    TPoint BranchOrigin(TCanvas& canvas, TPoint origin, int i, TDisplayOptions& options) const override;

    bool LoopOnYes = true;

protected:
    TDoWhile(Kind kind, std::string text);
    std::unique_ptr<TElement> cloneElement() const override;
    void saveRecord(TByteWriter& out) const override;
    void exportJavaElement(TByteSink& out, const std::string& indent) const override;
    void drawElement(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options) const override;
    void drawMarks(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options) const override;
};

// TRepeat: a loop with the test after the body that repeats until the condition holds.
class TRepeat final : public TDoWhile
{
public:
    explicit TRepeat(std::string text);
    static std::unique_ptr<TRepeat> Create(std::string text);

protected:
    std::unique_ptr<TElement> cloneElement() const override;
    void saveRecord(TByteWriter& out) const override;
    void exportJavaElement(TByteSink& out, const std::string& indent) const override;
};

// TFor: a counting loop.
class TFor final : public TWhile
{
public:
    explicit TFor(std::string text);
    static std::unique_ptr<TFor> Create(std::string text);

protected:
    std::unique_ptr<TElement> cloneElement() const override;
    void saveRecord(TByteWriter& out) const override;
    void exportJavaElement(TByteSink& out, const std::string& indent) const override;
};

// Makes `root` a design's root: not standalone and without braces (no successor is allowed either).
void makeDesignRoot(TBlock& root);

// Sets the parent of every element inside `top` and of top's successors (to top's own parent), for a tree
// that was put together link by link (loaded, parsed, built by hand). No recursion.
void adoptTree(TElement& top);

// Checked downcasts by kind: null when the element is of another class.
inline TBlock* asBlock(TElement* e)
{
    return e && e->isBlock() ? static_cast<TBlock*>(e) : nullptr;
}
inline const TBlock* asBlock(const TElement* e)
{
    return e && e->isBlock() ? static_cast<const TBlock*>(e) : nullptr;
}
inline TBedingung* asCondition(TElement* e)
{
    return e && e->isCondition() ? static_cast<TBedingung*>(e) : nullptr;
}
inline const TBedingung* asCondition(const TElement* e)
{
    return e && e->isCondition() ? static_cast<const TBedingung*>(e) : nullptr;
}
