#include "tests/support/designs.h"

#include "model/texts.h"

#include <vector>

std::unique_ptr<TBlock> makeRoot(std::string name)
{
    auto root = TBlock::Create(std::move(name));
    makeDesignRoot(*root);
    return root;
}

std::unique_ptr<TBlock> designOf(std::unique_ptr<TElement> first)
{
    auto root = makeRoot();
    root->FirstChild = std::move(first);
    adoptTree(*root);
    return root;
}

std::unique_ptr<TBlock> statements(std::initializer_list<const char*> texts)
{
    auto root = makeRoot();
    for (const char* text : texts)
        statement(*root, text);
    return root;
}

std::unique_ptr<TBlock> everyKindDesign()
{
    auto root = makeRoot();
    statement(*root, "a");
    TIf* decision = append(*root, TIf::Create("x > 0"));
    statement(*decision->branch(1), "b");
    TWhile* loop = append(*root, TWhile::Create("w"));
    statement(*loop->branch(1), "c");
    TBlock* named = append(*root, TBlock::Create("Teil"));
    statement(*named, "d");
    append(*named, TDoWhile::Create("dw"));
    TFor* counting = append(*root, TFor::Create("i von 1 bis 10"));
    statement(*counting->branch(1), "e");
    append(*root, TRepeat::Create("r"));
    return root;
}

TElement* at(TBlock& root, const std::vector<int>& path)
{
    TElement* e = &root;
    for (int step : path) {
        if (TBlock* block = asBlock(e)) {
            e = block->FirstChild.get();
            for (int i = 0; e && i < step; ++i)
                e = e->Next.get();
        } else if (TBedingung* condition = asCondition(e)) {
            e = condition->branch(step);
        } else {
            return nullptr;
        }
        if (!e)
            return nullptr;
    }
    return e;
}

namespace {

int uniform(std::mt19937& rng, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(rng);
}

void fillSequence(std::mt19937& rng, const GeneratorOptions& options, TBlock& block, int depth);

std::unique_ptr<TElement> generateElement(std::mt19937& rng, const GeneratorOptions& options, int depth)
{
    const bool nest = depth < options.maxDepth;
    const int kind = nest ? uniform(rng, 0, 6) : 0;
    std::string text = generateText(rng, options.oddTexts);
    auto fillBranch = [&](TBlock* branch) {
        if (options.renamedBranches && uniform(rng, 0, 4) == 0)
            branch->Text = generateText(rng, options.oddTexts);
        if (uniform(rng, 0, 3) != 0)
            fillSequence(rng, options, *branch, depth + 1);
    };
    switch (kind) {
    case 1: {
        if (!options.namedBlocks)
            break;
        auto block = TBlock::Create(std::move(text));
        fillSequence(rng, options, *block, depth + 1);
        return block;
    }
    case 2: {
        auto decision = TIf::Create(std::move(text));
        fillBranch(decision->branch(1));
        fillBranch(decision->branch(2));
        return decision;
    }
    case 3: {
        auto loop = TWhile::Create(std::move(text));
        fillBranch(loop->branch(1));
        return loop;
    }
    case 4: {
        auto loop = TDoWhile::Create(std::move(text));
        fillBranch(loop->branch(1));
        return loop;
    }
    case 5: {
        if (!options.repeatLoops)
            break;
        auto loop = TRepeat::Create(std::move(text));
        fillBranch(loop->branch(1));
        return loop;
    }
    case 6: {
        auto loop = TFor::Create(uniform(rng, 0, 1) ? std::string("i von 1 bis n") : std::move(text));
        fillBranch(loop->branch(1));
        return loop;
    }
    default:
        break;
    }
    return TAnweisung::Create(std::move(text));
}

void fillSequence(std::mt19937& rng, const GeneratorOptions& options, TBlock& block, int depth)
{
    const int count = uniform(rng, 0, options.maxSequence);
    std::unique_ptr<TElement>* link = &block.FirstChild;
    while (*link)
        link = &(*link)->Next;
    for (int i = 0; i < count; ++i) {
        *link = generateElement(rng, options, depth);
        link = &(*link)->Next;
    }
}

std::string describe(const TElement& e)
{
    return "element \"" + e.Text + "\"";
}

// Checks the sequence starting at `first` and everything nested in it.
std::string checkSequence(const TElement& first, int depth, const TElement* holder)
{
    for (const TElement* e = &first; e; e = e->Next.get()) {
        if (!e->Standalone)
            return describe(*e) + " in a sequence has Standalone 0";
        if (e->parent() != holder)
            return describe(*e) + ": wrong parent";
        std::string problem;
        if (const TBlock* block = asBlock(e)) {
            if (!block->Framed || !block->Braced)
                return describe(*e) + ": named block not framed or not braced";
            if (block->FirstChild)
                problem = checkSequence(*block->FirstChild, depth + 1, block);
        } else if (const TBedingung* condition = asCondition(e)) {
            const int expected = e->kind() == Kind::If ? 2 : 1;
            if (condition->BranchCount != expected)
                return describe(*e) + ": wrong BranchCount";
            if (expected == 1 && condition->Branches[1])
                return describe(*e) + ": loop with a second branch";
            for (int i = 1; i <= expected && problem.empty(); ++i) {
                const TBlock* branch = condition->branch(i);
                if (!branch)
                    return describe(*e) + ": missing branch block";
                if (branch->Standalone || branch->Next || !branch->Framed || branch->parent() != e)
                    return describe(*branch) + ": branch block flags, successor or parent wrong";
                const bool repeatBody = e->kind() == Kind::Repeat;
                if (branch->Braced == repeatBody)
                    return describe(*branch) + ": branch block Braced wrong";
                if (branch->FirstChild)
                    problem = checkSequence(*branch->FirstChild, depth + 1, branch);
            }
            if (e->kind() == Kind::DoWhile && !static_cast<const TDoWhile*>(e)->LoopOnYes)
                return describe(*e) + ": do-while loop with LoopOnYes 0";
            if (e->kind() == Kind::Repeat && static_cast<const TDoWhile*>(e)->LoopOnYes)
                return describe(*e) + ": repeat loop with LoopOnYes 1";
        }
        if (!problem.empty())
            return problem;
    }
    return {};
}

} // namespace

std::string generateText(std::mt19937& rng, bool odd)
{
    static const std::vector<std::string> plain = {"Anweisung", "x = x + 1",       "summe > 100",
                                                   "i < n",     "ausgeben(summe)", "weiter"};
    static const std::vector<std::string> strange = {"",
                                                     " ",
                                                     "Gr\xf6\xdf"
                                                     "e \x80 \x9f",
                                                     "\"quoted\" \\ back",
                                                     "tab\there",
                                                     std::string(300, 'w'),
                                                     "a;",
                                                     "\x7f\xff"};
    if (odd && uniform(rng, 0, 3) == 0)
        return strange[static_cast<std::size_t>(uniform(rng, 0, static_cast<int>(strange.size()) - 1))];
    return plain[static_cast<std::size_t>(uniform(rng, 0, static_cast<int>(plain.size()) - 1))];
}

std::unique_ptr<TBlock> generateDesign(std::mt19937& rng, const GeneratorOptions& options)
{
    auto root = TBlock::Create(texts::kGesamtesProgramm);
    makeDesignRoot(*root);
    fillSequence(rng, options, *root, 0);
    adoptTree(*root);
    return root;
}

std::string checkInvariants(const TBlock& root)
{
    if (root.Standalone || root.Braced || root.Next || !root.Framed || root.parent())
        return "root flags, successor or parent wrong";
    return root.FirstChild ? checkSequence(*root.FirstChild, 1, &root) : std::string();
}

int countElements(const TElement& first)
{
    int count = 0;
    for (const TElement* e = &first; e; e = e->Next.get()) {
        ++count;
        if (const TBlock* block = asBlock(e)) {
            if (block->FirstChild)
                count += countElements(*block->FirstChild);
        } else if (const TBedingung* condition = asCondition(e)) {
            for (const auto& branch : condition->Branches) {
                if (branch)
                    count += countElements(*branch);
            }
        }
    }
    return count;
}

std::vector<TElement*> elementsFrom(TElement* first)
{
    std::vector<TElement*> all;
    const auto collect = [&all](auto& self, TElement* e) -> void {
        for (; e; e = e->Next.get()) {
            all.push_back(e);
            if (TBlock* block = asBlock(e))
                self(self, block->FirstChild.get());
            else if (TBedingung* condition = asCondition(e))
                for (auto& branch : condition->Branches)
                    self(self, branch.get());
        }
    };
    collect(collect, first);
    return all;
}
