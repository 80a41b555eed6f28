#include "model/editing.h"

#include "model/texts.h"
#include "model/treewalk.h"

#include <algorithm>
#include <initializer_list>

namespace {

bool isOneOf(std::string_view sender, std::initializer_list<std::string_view> names)
{
    return std::find(names.begin(), names.end(), sender) != names.end();
}

} // namespace

std::unique_ptr<TElement> createForSender(std::string_view sender)
{
    if (isOneOf(sender, {"Anweisung", "BAnweisung", "BAnweisung2"}))
        return TAnweisung::Create(texts::kAnweisung);
    if (isOneOf(sender, {"IfAnweisung", "BIfAnweisung", "BIfAnweisung2"}))
        return TIf::Create(texts::kUnknown);
    if (isOneOf(sender, {"WhileSchleife", "BWhileSchleife", "BWhileSchleife2"}))
        return TWhile::Create(texts::kUnknown);
    if (isOneOf(sender, {"RepeatUntilSchleife", "BRepeatUntilSchleife"}))
        return TRepeat::Create(texts::kUnknown);
    if (isOneOf(sender, {"DoWhileSchleife", "BDoWhileSchleife", "BDoWhileSchleife2"}))
        return TDoWhile::Create(texts::kUnknown);
    if (isOneOf(sender, {"ForSchleife", "BForSchleife", "BForSchleife2"}))
        return TFor::Create(texts::kUnknown);
    return nullptr;
}

TElement* findMarked(const TBlock& shown, const TDisplayOptions& options, const TDisplayOptions::Ref& marked)
{
    if (!options.isLive(marked))
        return nullptr;
    for (const TElement* e = marked.element; e; e = e->parent()) {
        if (e == &shown)
            return marked.element;
    }
    return nullptr;
}

TElement* walkLeft(TElement* current)
{
    const TBedingung* condition = asCondition(current);
    return condition ? condition->branch(1) : nullptr;
}

TElement* walkRight(TElement* current)
{
    const TBedingung* condition = asCondition(current);
    if (!condition)
        return nullptr;
    return condition->branch(condition->BranchCount >= 2 ? 2 : 1);
}

TElement* walkUp(TBlock& shown, TElement* current)
{
    if (!current || current == &shown)
        return nullptr;
    return shown.FindReferrer(current);
}

namespace {

// The first block on the chain of referrers from `e` (FindReferrer again and again): the nearest block
// before `e` in its sequence, else the block that holds that sequence; a branch block's chain goes on from
// its condition. Found through the parents with one walk along each sequence, where the chain would take
// a search of the design for every element on it. Null when the chain leaves `shown`.
TElement* blockBefore(TBlock& shown, TElement* e)
{
    const auto within = [&](const TElement* x) {
        while (x && x != &shown)
            x = x->parent();
        return x != nullptr;
    };
    for (TElement* at = e; at != &shown;) {
        TElement* parent = at->parent();
        if (!parent || !within(parent))
            break;
        if (TBlock* holder = asBlock(parent)) {
            TElement* block = holder;
            TElement* s = holder->FirstChild.get();
            for (; s && s != at; s = s->Next.get()) {
                if (s->isBlock())
                    block = s;
            }
            if (s)
                return block;
            break; // not in the sequence its parent holds: the search below answers
        }
        // A branch block: the chain goes on from its condition, which is no block.
        const TBedingung* condition = asCondition(parent);
        if (!condition || (condition->branch(1) != at && condition->branch(2) != at))
            break;
        at = parent;
    }
    do
        e = shown.FindReferrer(e);
    while (e && !e->isBlock());
    return e;
}

} // namespace

TElement* walkDown(TBlock& shown, TElement* current)
{
    TElement* e = current ? current : &shown;
    if (TBlock* block = asBlock(e); block && block->FirstChild)
        return block->FirstChild.get();
    if (e->isLoop())
        return asCondition(e)->branch(1);
    while (e && e != &shown) {
        if (e->Next)
            return e->Next.get();
        // Up to the block that holds E, then past it when it is the last of its own sequence.
        e = blockBefore(shown, e);
        if (e && !e->Next && e != &shown)
            e = shown.FindReferrer(e);
    }
    return &shown;
}

TElement* walk(TKey key, TBlock& shown, TElement* current)
{
    switch (key) {
    case TKey::Left:
        return walkLeft(current);
    case TKey::Up:
        return walkUp(shown, current);
    case TKey::Right:
        return walkRight(current);
    case TKey::Down:
        return walkDown(shown, current);
    default:
        return nullptr;
    }
}

void setText(TElement& e, std::string text)
{
    e.Text = std::move(text);
    e.invalidateLayout();
}

TBlock& addRefinementBlock(TAnweisung& statement)
{
    std::unique_ptr<TBlock> created = TBlock::Create(statement.Text);
    TBlock& block = *created;
    statement.insertSuccessor(std::move(created));
    return block;
}

bool dropAccepted(const TBlock& shown, const TElement* dragged, const TElement* target, bool afterBlock)
{
    if (!dragged || !target || containsAddress(dragged, target))
        return false;
    if (const TBlock* block = asBlock(target)) {
        if (afterBlock)
            return target != &shown && target->Next.get() != dragged;
        return block->FirstChild.get() != dragged;
    }
    return target->Next.get() != dragged;
}

void dropElement(TBlock& shown, TElement& dragged, TElement& target, bool afterBlock)
{
    std::unique_ptr<TElement> moved = shown.DetachElement(&dragged);
    if (target.isBlock() && afterBlock)
        target.insertSuccessor(std::move(moved));
    else
        target.InsertAfter(std::move(moved));
}

std::optional<TDropPlace> oneStepPlace(TBlock& shown, TElement* e, bool up)
{
    if (!e || e == &shown || !e->Standalone)
        return std::nullopt;
    TDropPlace place;
    if (up) {
        // Before the predecessor: after the element before that, or first in the block that holds both.
        TElement* predecessor = shown.FindReferrer(e);
        if (!predecessor || predecessor->Next.get() != e)
            return std::nullopt;
        TElement* before = shown.FindReferrer(predecessor);
        if (!before)
            return std::nullopt;
        place.target = before;
        place.afterBlock = before->isBlock() && before->Next.get() == predecessor;
    } else {
        place.target = e->Next.get();
        place.afterBlock = place.target && place.target->isBlock();
    }
    if (!dropAccepted(shown, e, place.target, place.afterBlock))
        return std::nullopt;
    return place;
}

bool commandAvailable(TCommandNeed need, const TElement* current)
{
    if (need == TCommandNeed::Block)
        return current && current->isBlock();
    return current != nullptr;
}
