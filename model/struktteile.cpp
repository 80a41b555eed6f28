#include "model/struktteile.h"

#include "model/elementwatch.h"
#include "model/javalines.h"
#include "model/layoutcache.h"
#include "model/texts.h"

#include <atomic>
#include <optional>
#include <utility>
#include <vector>

namespace {

std::uint64_t nextSerial()
{
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

std::unique_ptr<TBlock> makeBranchBlock(const char* name)
{
    auto block = TBlock::Create(name);
    block->Standalone = false;
    return block;
}

} // namespace

// ---- TElement ----

TElement::TElement(Kind kind, std::string text) : Text(std::move(text)), m_kind(kind), m_serial(nextSerial())
{
}

// Releases the chain of successors one by one, so that a long sequence does not recurse.
TElement::~TElement()
{
    if (m_watched)
        notifyElementGone(this);
    std::unique_ptr<TElement> next = std::move(Next);
    while (next) {
        std::unique_ptr<TElement> after = std::move(next->Next);
        next = std::move(after);
    }
}

void TElement::copyElementPart(TElement& copy) const
{
    copy.Text = Text;
    copy.Standalone = Standalone;
}

std::unique_ptr<TElement> TElement::Clone() const
{
    std::unique_ptr<TElement> head = cloneElement();
    TElement* tail = head.get();
    for (const TElement* source = Next.get(); source; source = source->Next.get()) {
        tail->Next = source->cloneElement();
        tail = tail->Next.get();
    }
    return head;
}

void TElement::insertSuccessor(std::unique_ptr<TElement> e)
{
    e->m_parent = m_parent;
    e->Next = std::move(Next);
    Next = std::move(e);
    if (m_parent) {
        const TBlock* block = asBlock(m_parent);
        m_parent->invalidateLayout(block && sequenceInserted(*block, this, *Next, 1));
    }
}

void TElement::InsertAfter(std::unique_ptr<TElement> e)
{
    insertSuccessor(std::move(e));
}

void TElement::adoptSequence(TElement* first)
{
    for (TElement* e = first; e; e = e->Next.get())
        e->m_parent = this;
}

// Takes the element that `link` owns out of its sequence; its successors take its place, and the
// sequence's holder is measured again.
std::unique_ptr<TElement> unlinkElement(std::unique_ptr<TElement>& link)
{
    const TBlock* block = asBlock(link->m_parent);
    const bool reported = block && sequenceRemoving(*block, *link);
    std::unique_ptr<TElement> removed = std::move(link);
    link = std::move(removed->Next);
    if (TElement* holder = std::exchange(removed->m_parent, nullptr))
        holder->invalidateLayout(reported);
    return removed;
}

namespace {

std::unique_ptr<TElement> unlink(std::unique_ptr<TElement>& link)
{
    return unlinkElement(link);
}

// Whether `e` is `top` or stands inside it, by the parents.
bool standsWithin(const TElement* e, const TElement& top)
{
    while (e && e != &top)
        e = e->parent();
    return e != nullptr;
}

// Where the layout index of `holder`'s sequence holds `x` as it stands: its place there. Null when the
// index does not hold it.
std::optional<std::size_t> indexedPlace(const TBlock& holder, const TElement* x,
                                        const std::vector<const TElement*>*& children)
{
    children = currentChildren(holder);
    if (!children)
        return std::nullopt;
    const std::size_t at = positionInSequence(*x);
    if (at >= children->size() || (*children)[at] != x)
        return std::nullopt;
    return at;
}

// The link that owns `x`, when `x` stands inside `top` in a sequence whose layout index holds it as it
// stands: found by its place there instead of by a walk along the sequence. Null otherwise.
std::unique_ptr<TElement>* indexedLink(const TElement& top, const TElement* x)
{
    TElement* parent = x->parent();
    TBlock* holder = parent && parent->isBlock() ? static_cast<TBlock*>(parent) : nullptr;
    const std::vector<const TElement*>* children = nullptr;
    const std::optional<std::size_t> at = holder ? indexedPlace(*holder, x, children) : std::nullopt;
    if (!at || !standsWithin(holder, top))
        return nullptr;
    std::unique_ptr<TElement>& link =
        *at == 0 ? holder->FirstChild : const_cast<TElement*>((*children)[*at - 1])->Next;
    return link.get() == x ? &link : nullptr;
}

// The element whose link is `x`, when `x` stands inside `top` (not `top` itself): found through the
// parents as the block or condition that holds `x` first, or the element before it in its sequence (by
// the sequence's index where that holds it, else by a walk along that one sequence). Null when the
// parents do not lead to `top`.
TElement* referrerByParents(const TElement& top, const TElement* x)
{
    TElement* parent = x->parent();
    if (!parent || !standsWithin(parent, top))
        return nullptr;
    TBlock* holder = asBlock(parent);
    if (!holder) {
        const TBedingung* condition = asCondition(parent);
        return condition && (condition->branch(1) == x || condition->branch(2) == x) ? parent : nullptr;
    }
    if (holder->FirstChild.get() == x)
        return holder;
    const std::vector<const TElement*>* children = nullptr;
    if (const std::optional<std::size_t> at = indexedPlace(*holder, x, children); at && *at > 0) {
        TElement* before = const_cast<TElement*>((*children)[*at - 1]);
        if (before->Next.get() == x)
            return before;
    }
    for (TElement* e = holder->FirstChild.get(); e; e = e->Next.get()) {
        if (e->Next.get() == x)
            return e;
    }
    return nullptr;
}

} // namespace

std::unique_ptr<TElement> TElement::DeleteElement(TElement* x)
{
    if (!x)
        return nullptr;
    if (x == this) {
        // On itself: the element stays and releases (hands back) its contents.
        if (TBlock* block = asBlock(this))
            return block->takeChildren();
        if (TBedingung* condition = asCondition(this)) {
            for (int i = 1; i <= condition->BranchCount; ++i) {
                if (TBlock* branch = condition->branch(i))
                    branch->takeChildren(); // released here
            }
        }
        return nullptr;
    }
    if (std::unique_ptr<TElement>* link = indexedLink(*this, x))
        return unlink(*link);
    for (TElement* e = this; e; e = e->Next.get()) {
        if (e->Next.get() == x)
            return unlink(e->Next);
        if (std::unique_ptr<TElement> removed = e->deleteInside(x))
            return removed;
    }
    return nullptr;
}

std::unique_ptr<TElement> TElement::DetachElement(TElement* x)
{
    if (!x)
        return nullptr;
    if (std::unique_ptr<TElement>* link = indexedLink(*this, x))
        return unlink(*link);
    for (TElement* e = this; e; e = e->Next.get()) {
        if (e->Next.get() == x)
            return unlink(e->Next);
        if (std::unique_ptr<TElement> detached = e->detachInside(x))
            return detached;
    }
    return nullptr;
}

TElement* TElement::FindReferrer(const TElement* x)
{
    // An element inside this one has one referrer, which its parents lead to; the search below walks the
    // design up to it.
    if (x && x != this) {
        if (TElement* found = referrerByParents(*this, x))
            return found;
    }
    return searchReferrer(this, x);
}

TElement* TElement::searchReferrer(TElement* from, const TElement* x)
{
    // Each element answers for its own links first, then for what lies inside it, then the search goes on
    // with its successor. A null x matches a null link, as a plain comparison of links does.
    for (TElement* e = from; e; e = e->Next.get()) {
        if (e->Next.get() == x || e->refersInside(x))
            return e;
        if (TElement* found = e->findReferrerInside(x))
            return found;
    }
    return nullptr;
}

std::unique_ptr<TElement> TElement::deleteInside(TElement*)
{
    return nullptr;
}

std::unique_ptr<TElement> TElement::detachInside(TElement*)
{
    return nullptr;
}

bool TElement::refersInside(const TElement*) const
{
    return false;
}

TElement* TElement::findReferrerInside(const TElement*)
{
    return nullptr;
}

// ---- TAnweisung ----

TAnweisung::TAnweisung(std::string text) : TElement(Kind::Anweisung, std::move(text)) {}

std::unique_ptr<TAnweisung> TAnweisung::Create(std::string text)
{
    return std::make_unique<TAnweisung>(std::move(text));
}

std::unique_ptr<TElement> TAnweisung::cloneElement() const
{
    auto copy = std::make_unique<TAnweisung>(std::string());
    copyElementPart(*copy);
    return copy;
}

// ---- TBlock ----

TBlock::TBlock(std::string text) : TElement(Kind::Block, std::move(text)) {}

TBlock::~TBlock() = default;

std::unique_ptr<TBlock> TBlock::Create(std::string text)
{
    return std::make_unique<TBlock>(std::move(text));
}

std::unique_ptr<TElement> TBlock::cloneElement() const
{
    auto copy = std::make_unique<TBlock>(std::string());
    copyElementPart(*copy);
    copy->Framed = Framed;
    copy->Braced = Braced;
    if (FirstChild) {
        copy->FirstChild = FirstChild->Clone();
        copy->adoptSequence(copy->FirstChild.get());
    }
    return copy;
}

std::unique_ptr<TBlock> TBlock::cloneBlock() const
{
    std::unique_ptr<TElement> copy = Clone();
    return std::unique_ptr<TBlock>(static_cast<TBlock*>(copy.release()));
}

void TBlock::InsertAfter(std::unique_ptr<TElement> e)
{
    setParent(*e, this);
    e->Next = std::move(FirstChild);
    FirstChild = std::move(e);
    invalidateLayout(sequenceInserted(*this, nullptr, *FirstChild, 1));
}

void TBlock::appendChain(std::unique_ptr<TElement> chain)
{
    if (!chain)
        return;
    adoptSequence(chain.get());
    std::unique_ptr<TElement>* link = &FirstChild;
    while (*link)
        link = &(*link)->Next;
    *link = std::move(chain);
    invalidateLayout();
}

std::unique_ptr<TElement> TBlock::takeChildren()
{
    for (TElement* e = FirstChild.get(); e; e = e->Next.get())
        setParent(*e, nullptr);
    invalidateLayout();
    return std::move(FirstChild);
}

std::unique_ptr<TElement> TBlock::deleteInside(TElement* x)
{
    if (!FirstChild)
        return nullptr;
    if (FirstChild.get() == x)
        return unlink(FirstChild);
    return FirstChild->DeleteElement(x);
}

std::unique_ptr<TElement> TBlock::detachInside(TElement* x)
{
    if (!FirstChild)
        return nullptr;
    if (FirstChild.get() == x)
        return unlink(FirstChild);
    return FirstChild->DetachElement(x);
}

bool TBlock::refersInside(const TElement* x) const
{
    return FirstChild.get() == x;
}

TElement* TBlock::findReferrerInside(const TElement* x)
{
    return FirstChild ? searchReferrer(FirstChild.get(), x) : nullptr;
}

// ---- TBedingung ----

TBedingung::TBedingung(Kind kind, std::string text) : TElement(kind, std::move(text)) {}

void TBedingung::copyConditionPart(TBedingung& copy) const
{
    copyElementPart(copy);
    copy.BranchCount = BranchCount;
    for (int i = 0; i < 2; ++i) {
        if (Branches[i]) {
            copy.Branches[i] = Branches[i]->cloneBlock();
            setParent(*copy.Branches[i], &copy);
        }
    }
}

std::unique_ptr<TElement> TBedingung::deleteInside(TElement* x)
{
    // A branch block itself is never removed: asked for it, it releases its children and stays in place.
    for (int i = 1; i <= BranchCount && i <= 2; ++i) {
        if (TBlock* branch = this->branch(i)) {
            if (std::unique_ptr<TElement> removed = branch->DeleteElement(x))
                return removed;
            if (branch == x)
                return nullptr;
        }
    }
    return nullptr;
}

std::unique_ptr<TElement> TBedingung::detachInside(TElement* x)
{
    for (int i = 1; i <= BranchCount && i <= 2; ++i) {
        if (TBlock* branch = this->branch(i)) {
            if (std::unique_ptr<TElement> detached = branch->DetachElement(x))
                return detached;
        }
    }
    return nullptr;
}

bool TBedingung::refersInside(const TElement* x) const
{
    // Both branch links are compared, whatever BranchCount says.
    return Branches[0].get() == x || Branches[1].get() == x;
}

TElement* TBedingung::findReferrerInside(const TElement* x)
{
    for (int i = 0; i < 2; ++i) {
        if (Branches[i]) {
            if (TElement* found = searchReferrer(Branches[i].get(), x))
                return found;
        }
    }
    return nullptr;
}

// ---- TIf ----

TIf::TIf(std::string text) : TBedingung(Kind::If, std::move(text)) {}

std::unique_ptr<TIf> TIf::Create(std::string text)
{
    auto decision = std::make_unique<TIf>(std::move(text));
    decision->Branches[0] = makeBranchBlock(texts::kJaBlock);
    decision->Branches[1] = makeBranchBlock(texts::kNeinBlock);
    decision->BranchCount = 2;
    adoptTree(*decision);
    return decision;
}

std::unique_ptr<TElement> TIf::cloneElement() const
{
    auto copy = std::make_unique<TIf>(std::string());
    copyConditionPart(*copy);
    return copy;
}

// ---- TWhile ----

TWhile::TWhile(std::string text) : TBedingung(Kind::While, std::move(text)) {}
TWhile::TWhile(Kind kind, std::string text) : TBedingung(kind, std::move(text)) {}

std::unique_ptr<TWhile> TWhile::Create(std::string text)
{
    auto loop = std::make_unique<TWhile>(std::move(text));
    loop->Branches[0] = makeBranchBlock(texts::kWhileBlock);
    adoptTree(*loop);
    loop->BranchCount = 1;
    return loop;
}

std::unique_ptr<TElement> TWhile::cloneElement() const
{
    auto copy = std::make_unique<TWhile>(std::string());
    copyConditionPart(*copy);
    return copy;
}

// ---- TDoWhile ----

TDoWhile::TDoWhile(std::string text) : TWhile(Kind::DoWhile, std::move(text)) {}
TDoWhile::TDoWhile(Kind kind, std::string text) : TWhile(kind, std::move(text)) {}

std::unique_ptr<TDoWhile> TDoWhile::Create(std::string text)
{
    auto loop = std::make_unique<TDoWhile>(std::move(text));
    loop->Branches[0] = makeBranchBlock(texts::kDoWhileBlock);
    adoptTree(*loop);
    loop->BranchCount = 1;
    loop->LoopOnYes = true;
    return loop;
}

std::unique_ptr<TElement> TDoWhile::cloneElement() const
{
    auto copy = std::make_unique<TDoWhile>(std::string());
    copyConditionPart(*copy);
    copy->LoopOnYes = LoopOnYes;
    return copy;
}

// ---- TRepeat ----

TRepeat::TRepeat(std::string text) : TDoWhile(Kind::Repeat, std::move(text))
{
    LoopOnYes = false;
}

std::unique_ptr<TRepeat> TRepeat::Create(std::string text)
{
    auto loop = std::make_unique<TRepeat>(std::move(text));
    loop->Branches[0] = makeBranchBlock(texts::kRepeatUntilBlock);
    adoptTree(*loop);
    loop->Branches[0]->Braced = false;
    loop->BranchCount = 1;
    loop->LoopOnYes = false;
    return loop;
}

std::unique_ptr<TElement> TRepeat::cloneElement() const
{
    auto copy = std::make_unique<TRepeat>(std::string());
    copyConditionPart(*copy);
    copy->LoopOnYes = LoopOnYes;
    return copy;
}

// ---- TFor ----

TFor::TFor(std::string text) : TWhile(Kind::For, std::move(text)) {}

std::unique_ptr<TFor> TFor::Create(std::string text)
{
    auto loop = std::make_unique<TFor>(std::move(text));
    loop->Branches[0] = makeBranchBlock(texts::kForBlock);
    adoptTree(*loop);
    loop->BranchCount = 1;
    return loop;
}

std::unique_ptr<TElement> TFor::cloneElement() const
{
    auto copy = std::make_unique<TFor>(std::string());
    copyConditionPart(*copy);
    return copy;
}

void makeDesignRoot(TBlock& root)
{
    root.Standalone = false;
    root.Braced = false;
}

namespace {

// The first element held inside `e`: a block's first child, a condition element's first branch block.
TElement* firstInner(TElement& e)
{
    if (TBlock* block = asBlock(&e))
        return block->FirstChild.get();
    if (TBedingung* condition = asCondition(&e))
        return condition->Branches[0] ? condition->Branches[0].get() : condition->Branches[1].get();
    return nullptr;
}

// The element after `e` inside its holder (whose parent link `e` already has): its successor, or a
// condition element's second branch block after its first.
TElement* nextInHolder(TElement& e)
{
    if (e.Next)
        return e.Next.get();
    TBedingung* condition = asCondition(e.parent());
    if (condition && condition->Branches[0].get() == &e)
        return condition->Branches[1].get();
    return nullptr;
}

} // namespace

// Walks everything inside `top` without a stack of its own, climbing back through the parent links it has
// just set: it allocates nothing, so installing a design cannot fail halfway for want of memory.
void adoptTree(TElement& top)
{
    for (TElement* t = &top; t; t = t->Next.get()) {
        if (t != &top)
            t->m_parent = top.m_parent;
        TElement* e = t;
        for (;;) {
            if (TElement* inner = firstInner(*e)) {
                inner->m_parent = e;
                e = inner;
                continue;
            }
            while (e != t) {
                if (TElement* next = nextInHolder(*e)) {
                    next->m_parent = e->m_parent;
                    e = next;
                    break;
                }
                e = e->m_parent;
            }
            if (e == t)
                break;
        }
    }
}
