#include "model/outline.h"

#include "model/looptext.h"
#include "model/texts.h"

namespace {

std::string kindName(const TElement& e, const TElement* holder)
{
    if (const TBedingung* condition = asCondition(holder)) {
        if (holder->isLoop())
            return texts::kOutlineLoopBody;
        return condition->branch(1) == &e ? texts::kOutlineYesBranch : texts::kOutlineNoBranch;
    }
    switch (e.kind()) {
    case Kind::Anweisung:
        return texts::kOutlineStatement;
    case Kind::Block:
        return texts::kOutlineBlock;
    case Kind::If:
        return texts::kOutlineDecision;
    case Kind::While:
        return texts::kOutlineWhile;
    case Kind::DoWhile:
        return texts::kOutlineDoWhile;
    case Kind::Repeat:
        return texts::kOutlineRepeat;
    case Kind::For:
        return texts::kOutlineFor;
    }
    return {};
}

// Depth first through the items below `item`: recursion only into nesting, a sequence is a loop.
bool findPath(TElement* item, const TElement* e, std::vector<TElement*>& path)
{
    path.push_back(item);
    if (item == e)
        return true;
    if (TBlock* block = asBlock(item)) {
        for (TElement* child = block->FirstChild.get(); child; child = child->Next.get()) {
            if (findPath(child, e, path))
                return true;
        }
    } else if (TBedingung* condition = asCondition(item)) {
        for (int i = 1; i <= 2; ++i) {
            if (TBlock* branch = condition->branch(i); branch && findPath(branch, e, path))
                return true;
        }
    }
    path.pop_back();
    return false;
}

} // namespace

std::string outlineName(const TElement& e, const TElement* holder)
{
    std::string name = kindName(e, holder);
    if (asCondition(holder))
        return name; // a branch block's own text is a default ("Ja-Block") that says nothing more
    std::string text = e.Text;
    if (e.kind() == Kind::For && text == texts::kUnknown)
        text = joinLoopText(splitLoopText(text)); // three unknown parts

    if (!text.empty())
        name += ": " + text;
    return name;
}

std::vector<TElement*> outlineChildren(TElement& e)
{
    std::vector<TElement*> children;
    if (TBlock* block = asBlock(&e)) {
        for (TElement* child = block->FirstChild.get(); child; child = child->Next.get())
            children.push_back(child);
    } else if (TBedingung* condition = asCondition(&e)) {
        for (int i = 1; i <= 2; ++i) {
            if (TBlock* branch = condition->branch(i))
                children.push_back(branch);
        }
    }
    return children;
}

std::vector<TElement*> outlinePath(TElement& top, const TElement* e)
{
    std::vector<TElement*> path;
    if (!e || !findPath(&top, e, path))
        path.clear();
    return path;
}
