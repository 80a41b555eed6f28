// Measure, MeasureCondition, BranchOrigin and HitTest in both modes. Sizes are in device pixels of the
// canvas measured on; an origin is the element's top edge and, in structogram mode, its left edge, in
// flowchart mode its vertical centre line.

#include "model/canvas.h"
#include "model/displayoptions.h"
#include "model/drawing.h"
#include "model/layoutcache.h"
#include "model/sequencewalk.h"
#include "model/texts.h"

#include <algorithm>
#include <cmath>

// ---- Measure ----

namespace {

int textWidth(TCanvas& canvas, const char* s)
{
    return canvas.textExtent(s).cx;
}

int textHeight(TCanvas& canvas, const char* s)
{
    return canvas.textExtent(s).cy;
}

} // namespace

// A statement: its text with a margin; in flowchart mode the arrow below the box belongs to it.
TSize TAnweisung::Measure(TCanvas& canvas, TDisplayOptions& options) const
{
    const TSize t = canvas.textExtent(Text);
    TSize size{t.cx + 12 + runCountReserve(canvas, options),
               options.Flowchart ? t.cy + 11 + options.Spacing : t.cy + 10};
    if (options.Printing)
        size.cx += 2 * options.Spacing;
    size.cy += 2 * printedTextInset(options);
    return size;
}

// A block: as wide as its widest child and as high as all children together (collapsed: like a
// statement with the block's name), with minimum sizes, and in flowchart mode its frame and arrows.
TSize TBlock::Measure(TCanvas& canvas, TDisplayOptions& options) const
{
    const TSize t = canvas.textExtent(Text);
    TSize size;
    if (options.IsCollapsed(this)) {
        const int inset = printedTextInset(options);
        size = {t.cx + 12 + 2 * inset,
                (options.Flowchart ? t.cy + 11 + options.Spacing : t.cy + 10) + 2 * inset};
    } else {
        size = measureChildren(*this, canvas, options);
        size.cx = std::max(size.cx, options.Printing ? 100 : 40);
        size.cy = std::max(size.cy, t.cy + 10);
        if (options.Flowchart) {
            size.cx += 6;
            if (Framed)
                size.cy += 2 * options.Spacing + 3;
        }
    }
    if (options.Printing && options.Flowchart)
        size.cx += options.Spacing;
    return size;
}

// The condition strip (structogram) or the diamond (flowchart) alone.
TSize TBedingung::MeasureCondition(TCanvas& canvas, TDisplayOptions& options) const
{
    const TSize t = canvas.textExtent(Text);
    if (!options.Flowchart) {
        const int inset = printedTextInset(options);
        return {t.cx + 10 + 2 * inset, t.cy + 12 + 2 * inset};
    }
    // While counts are shown, the count stands in the diamond beside the text, which makes room for it.
    const int height = (t.cx + runCountReserve(canvas, options)) / 3 + t.cy + 2;
    return {3 * height + 2, height};
}

// A decision: the condition above the two branches side by side.
TSize TIf::Measure(TCanvas& canvas, TDisplayOptions& options) const
{
    const TSize c = MeasureCondition(canvas, options);
    TSize yes = measured(branch(1), canvas, options);
    TSize no = measured(branch(2), canvas, options);
    const int gap = options.Flowchart ? 10 : 0;
    const int cw = options.Flowchart ? c.cx : 3 * c.cx;
    TSize size{0, c.cy + std::max(yes.cy, no.cy) + gap};
    if (options.Flowchart) {
        size.cy += 2 * options.Spacing - 5;
        size.cx = cw + 6;
    } else {
        const int minimum = 3 * textWidth(canvas, texts::kNein);
        yes.cx = std::max(yes.cx, minimum);
        no.cx = std::max(no.cx, minimum);
        size.cx = cw;
    }
    size.cx = std::max(size.cx, yes.cx + no.cx + gap);
    return size;
}

// A loop with the test first (also the counting loop): condition above the body.
TSize TWhile::Measure(TCanvas& canvas, TDisplayOptions& options) const
{
    const TSize c = MeasureCondition(canvas, options);
    const TSize body = measured(branch(1), canvas, options);
    if (!options.Flowchart)
        return {std::max(c.cx + runCountReserve(canvas, options), body.cx + 20), c.cy + body.cy};
    TSize size{2 * textWidth(canvas, texts::kNein) + c.cx - 4,
               textHeight(canvas, texts::kJa) + 2 * options.Spacing + c.cy + body.cy + 14};
    if (size.cx < body.cx)
        size.cx = body.cx + 18;
    return size;
}

// A loop with the test last (also repeat-until): body above the condition.
TSize TDoWhile::Measure(TCanvas& canvas, TDisplayOptions& options) const
{
    const TSize c = MeasureCondition(canvas, options);
    const TSize body = measured(branch(1), canvas, options);
    if (!options.Flowchart)
        return {std::max(c.cx + runCountReserve(canvas, options), body.cx + 20), c.cy + body.cy};
    const char* label = LoopOnYes ? texts::kJa : texts::kNein;
    TSize size{2 * textWidth(canvas, label) + c.cx - 4, textHeight(canvas, texts::kJa) + c.cy + body.cy + 14};
    if (body.cx > size.cx)
        size.cx = body.cx + 18;
    return size;
}

// ---- BranchOrigin ----

// Yes branch left, no branch right: in structogram mode under the condition strip, the no column taking
// the larger half of any surplus width; in flowchart mode the pair centred under the diamond.
TPoint TIf::BranchOrigin(TCanvas& canvas, TPoint origin, int i, TDisplayOptions& options) const
{
    const TSize c = MeasureCondition(canvas, options);
    int yw = measured(branch(1), canvas, options).cx;
    int nw = measured(branch(2), canvas, options).cx;
    if (options.Flowchart) {
        const int y = origin.y + c.cy + 4 + options.Spacing;
        const int d = (yw + nw + 6) / 2;
        return i == 1 ? TPoint{origin.x - d + yw / 2, y} : TPoint{origin.x + d - nw / 2, y};
    }
    const int y = origin.y + c.cy;
    if (i == 1)
        return {origin.x, y};
    const int minimum = 3 * textWidth(canvas, texts::kNein);
    yw = std::max(yw, minimum);
    nw = std::max(nw, minimum);
    const int surplus = std::max(3 * c.cx - yw - nw, 0);
    const int yc = yw + static_cast<int>(std::floor(surplus / 2.0));
    return {origin.x + yc, y};
}

// The body: under the condition strip behind the 20-pixel bar, or under the diamond and its label.
TPoint TWhile::BranchOrigin(TCanvas& canvas, TPoint origin, int, TDisplayOptions& options) const
{
    const TSize c = MeasureCondition(canvas, options);
    if (!options.Flowchart)
        return {origin.x + 20, origin.y + c.cy};
    return {origin.x, origin.y + c.cy + options.Spacing + 1 + textHeight(canvas, texts::kJa)};
}

// The body: at the top, behind the bar, or below the entry arrow.
TPoint TDoWhile::BranchOrigin(TCanvas&, TPoint origin, int, TDisplayOptions& options) const
{
    if (!options.Flowchart)
        return {origin.x + 20, origin.y};
    return {origin.x, origin.y + 12};
}

// ---- HitTest ----

// A decision's yes column reaches to the dividing line, which it draws; the no column starts on that line
// and takes whatever width the decision is drawn with beyond its yes column.
int TBedingung::branchWidth(TCanvas& canvas, TPoint origin, int width, int i, TDisplayOptions& options) const
{
    if (isLoop())
        return width - 20;
    const int dividing = BranchOrigin(canvas, origin, 2, options).x;
    return i == 1 ? dividing - origin.x + 1 : origin.x + width - dividing;
}

namespace {

// Whether (X, Y) lies on the rectangle of an element at (x, y), `s` its measured size and `width` the
// width it is drawn with: bounds inclusive; in structogram mode as wide as drawn, in flowchart mode its
// measured width centred on x.
bool pointOn(int x, int y, TSize s, int width, const TDisplayOptions& options, int X, int Y)
{
    const bool inX = options.Flowchart ? x - s.cx / 2 <= X && X <= x + s.cx / 2 : x <= X && X <= x + width;
    return inX && y <= Y && Y <= y + s.cy;
}

} // namespace

// The element under (X, Y) among the children of `block`, the first child's origin at `origin`. A long
// sequence is searched by bisection: a point lies on at most two neighbours (on the row they share), and
// the first of them that it lies on answers, as in a walk.
TElement* TSequenceWalk::hitTestChildren(const TBlock& block, TCanvas& canvas, TPoint origin, int width,
                                         TDisplayOptions& options, int X, int Y)
{
    const TSequenceIndex* index = sequenceIndex(block, canvas, options);
    if (!index)
        return hitTestSequence(*block.FirstChild, canvas, origin, width, options, X, Y);
    const std::vector<int>& tops = index->tops;
    // The last child that starts at or above Y, and the one before it when Y is on their shared row.
    auto after = std::upper_bound(tops.begin(), tops.end(), Y - origin.y);
    if (after == tops.begin()) {
        options.DropAfterBlock = false;
        return nullptr;
    }
    std::size_t i = static_cast<std::size_t>(after - tops.begin()) - 1;
    if (i > 0 && tops[i] == Y - origin.y)
        --i;
    for (std::size_t k = i; k < tops.size() && k <= i + 1; ++k) {
        auto* e = const_cast<TElement*>(index->elements[k]);
        const TPoint at{origin.x, origin.y + tops[k]};
        if (pointOn(at.x, at.y, measured(*e, canvas, options), width, options, X, Y)) {
            options.DropAfterBlock = false;
            return e->hitTestInside(canvas, at, width, options, X, Y);
        }
    }
    options.DropAfterBlock = false;
    return nullptr;
}

// Each element in turn is tested against its rectangle; the first one hit answers for what lies inside
// it. The sequence of the window's root block ends with that block.
TElement* TSequenceWalk::hitTestSequence(TElement& first, TCanvas& canvas, TPoint origin, int width,
                                         TDisplayOptions& options, int X, int Y)
{
    const int x = origin.x;
    int y = origin.y;
    for (TElement* e = &first; e;) {
        const TSize s = measured(*e, canvas, options);
        if (pointOn(x, y, s, width, options, X, Y)) {
            options.DropAfterBlock = false;
            return e->hitTestInside(canvas, TPoint{x, y}, width, options, X, Y);
        }
        if (!e->Next || e == options.RootBlock)
            break;
        y += s.cy;
        e = e->Next.get();
    }
    options.DropAfterBlock = false;
    return nullptr;
}

// The sequence is drawn as wide as its widest element, as a block draws its children (for the window's
// root block: its own width).
TElement* TElement::HitTest(TCanvas& canvas, TPoint origin, TDisplayOptions& options, int X, int Y)
{
    TLayoutScope scope(canvas, options);
    int width = 0;
    if (!options.Flowchart) {
        for (const TElement* e = this; e; e = e->Next.get()) {
            width = std::max(width, measured(*e, canvas, options).cx);
            if (e == options.RootBlock)
                break;
        }
    }
    return TSequenceWalk::hitTestSequence(*this, canvas, origin, width, options, X, Y);
}

TElement* TElement::hitTestInside(TCanvas&, TPoint, int, TDisplayOptions&, int, int)
{
    return this;
}

// Inside a block: its children, drawn as wide as the block; a point inside a named block on none of its
// children, below where the children start, means a drop after the block. In structogram mode the children
// cover a block wholly: the top rows of a named block (five) and of the window's own block (three, to take
// little from its first element) stand for the block itself (a drop into it, first), the bottom five rows
// of a named block for a drop after it.
TElement* TBlock::hitTestInside(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options, int X,
                                int Y)
{
    if (!FirstChild || options.IsCollapsed(this))
        return this;
    if (!options.Flowchart && (Standalone || this == options.RootBlock)) {
        constexpr int kEdgeRows = 5;
        constexpr int kRootEdgeRows = 3;
        const bool root = this == options.RootBlock;
        if (Y < origin.y + (root ? kRootEdgeRows : kEdgeRows))
            return this;
        if (!root && Y > origin.y + measured(*this, canvas, options).cy - kEdgeRows) {
            options.DropAfterBlock = true;
            return this;
        }
    }
    TPoint child = origin;
    if (options.Flowchart && Framed)
        child.y += options.Spacing + 1;
    TElement* r = this;
    if (TElement* inner = TSequenceWalk::hitTestChildren(*this, canvas, child, width, options, X, Y))
        r = inner;
    if (r == this && Standalone && Y > child.y)
        options.DropAfterBlock = true;
    return r;
}

// Inside a condition element: its branch blocks (all of them are tested, the last hit wins), else the
// condition figure; in structogram mode the band of the "ja"/"nein" labels selects the branch named, and
// a decision's column below a shorter branch block still belongs to that branch.
TElement* TBedingung::hitTestInside(TCanvas& canvas, TPoint origin, int width, TDisplayOptions& options,
                                    int X, int Y)
{
    TElement* r = this;
    for (int i = 1; i <= BranchCount && i <= 2; ++i) {
        TBlock* branch = this->branch(i);
        if (!branch)
            continue;
        const TPoint at = BranchOrigin(canvas, origin, i, options);
        const int drawn = options.Flowchart ? 0 : branchWidth(canvas, origin, width, i, options);
        if (TElement* inner = TSequenceWalk::hitTestSequence(*branch, canvas, at, drawn, options, X, Y))
            r = inner;
    }
    if (r != this)
        return r;
    const TSize c = MeasureCondition(canvas, options);
    if (options.Flowchart)
        return this;
    if (kind() == Kind::If && Y > origin.y + c.cy) {
        const int bottom = origin.y + measured(*this, canvas, options).cy;
        for (int i = 1; i <= 2; ++i) {
            const TPoint at = BranchOrigin(canvas, origin, i, options);
            if (branch(i) && at.x <= X && X <= at.x + branchWidth(canvas, origin, width, i, options) &&
                Y <= bottom) {
                options.DropAfterBlock = false;
                r = branch(i);
            }
        }
        return r;
    }
    if (Y <= origin.y + c.cy - 8 || Y >= origin.y + c.cy)
        return this;
    r = branch(1);
    if (BranchCount == 2 && BranchOrigin(canvas, origin, 2, options).x < X)
        r = branch(2);
    return r ? r : this;
}
