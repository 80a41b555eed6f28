#pragma once

// The compiled program: a graph of steps over the design's elements. Each node is one step: it runs
// the statements of a statement element (or the setting or advancing of a counting loop's variable),
// then tests a condition when it has one, and names the node that runs next. Jumps leave a node through
// its break or continue target; the end of the program is node -1.

#include "runtime/nodes.h"
#include "runtime/runtime.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace runtime {

struct ProgramElement
{
    ElementId id;
    std::string text; // the element's text, for messages
};

struct ProgramNode
{
    int element = 0; // index into Program::elements
    StmtList statements;
    ExprPtr condition; // null: none
    int next = -1;     // after the statements (condition true)
    int alt = -1;      // condition false
    int breakTarget = -1;
    int continueTarget = -1;
    int scopeBefore = -1; // the variables in scope before the step (see Program::links)
    int scopeAfter = -1;  // and after it
    // Set once the graph is complete (finishNodes): the statements are none or one expression, which
    // `effect` names (null for none); they then always complete normally, and a run calls the
    // expression directly.
    bool plain = false;
    const Expr* effect = nullptr;
    // For a plain node with an effect and a condition where one node does both (a counting loop's
    // advance and test): that node, whose value is the condition's.
    ExprPtr effectAndTest;
    // A plain node with an effect and no condition whose next node only tests, where the effect advances
    // the counter that the test compares (a loop's last statement and the loop's test, a counting loop's
    // advance and test): one node for both steps.
    ExprPtr effectThenTest;
    // The condition of a plain node as a slice evaluates it: the operand of a negation with the targets
    // swapped, so that `if (!a[i])` costs one call.
    const Expr* test = nullptr;
    int onTrue = -1;
    int onFalse = -1;
    // For the first node of a loop that a slice runs pass by pass: index into Program::passes; else -1.
    int pass = -1;
};

// One pass through a loop whose body is plain statements and whose test is one node with the advance
// before it (a counting loop, or a while loop whose last statement advances the counter it tests): a
// slice that has steps left for a whole pass runs it without looking at anything between the steps.
struct LoopPass
{
    std::vector<int> body;            // the statements' nodes, each a plain effect, in order
    std::vector<const Expr*> effects; // their effects
    std::vector<int> tail;            // the one or two nodes whose steps `test` takes
    const Expr* test = nullptr;
    int exit = -1;            // where the loop goes when the test fails
    std::uint64_t length = 0; // the steps of one pass
};

struct ProgramVariable
{
    std::string name; // code page 1252
    Type type;
    int slot = 0; // in Machine::prims or Machine::refs, by type
    int depth = 0;
};

// The variables in scope at a point form a chain of links, innermost first.
struct ScopeLink
{
    int variable = 0;
    int parent = -1;
};

class Program
{
public:
    std::vector<ProgramElement> elements;
    std::vector<ProgramNode> nodes;
    std::vector<LoopPass> passes;
    int entry = -1;
    std::vector<ProgramVariable> variables;
    std::vector<ScopeLink> links;
    int endScope = -1;
    int primSlots = 0;
    int refSlots = 0;
    int argsSlot = -1;         // the ref slot of `args`
    std::vector<Ref> interned; // the string constants, kept alive for the program's life

    // Sets each node's `plain`, `effect` and `test` from its statements and condition, and the nodes
    // that do two things at once.
    void finishNodes()
    {
        for (ProgramNode& n : nodes) {
            n.effect = n.statements.size() == 1 ? n.statements.front()->expression() : nullptr;
            n.plain = n.statements.empty() || n.effect;
            if (n.effect && n.condition)
                n.effectAndTest = n.effect->thenTest(*n.condition);
        }
        for (ProgramNode& n : nodes) {
            n.test = n.condition.get();
            n.onTrue = n.next;
            n.onFalse = n.alt;
            while (const Expr* operand = n.test ? n.test->negated() : nullptr) {
                n.test = operand;
                std::swap(n.onTrue, n.onFalse);
            }
            if (!n.effect || n.condition || n.next < 0)
                continue;
            const ProgramNode& after = nodes[static_cast<std::size_t>(n.next)];
            if (after.plain && after.condition && !after.effect)
                n.effectThenTest = n.effect->thenTest(*after.condition);
        }
        for (std::size_t i = 0; i < nodes.size(); ++i)
            findPass(static_cast<int>(i));
    }

private:
    // The pass of the loop whose advance and test is node `at` (`effectAndTest`), or whose last statement
    // advances what the test at `at` compares (`effectThenTest` of the node before it), if its body is
    // plain statements only.
    void findPass(int at)
    {
        constexpr std::size_t kLongestBody = 16;
        const ProgramNode& test = nodes[static_cast<std::size_t>(at)];
        if (!test.effectAndTest && !(test.plain && test.condition && !test.effect))
            return;
        const int first = test.next;
        LoopPass pass;
        int node = first;
        while (node >= 0 && node != at && pass.body.size() <= kLongestBody) {
            const ProgramNode& n = nodes[static_cast<std::size_t>(node)];
            if (!n.plain || !n.effect || n.condition || n.effectAndTest || n.pass >= 0)
                return;
            pass.body.push_back(node);
            node = n.next;
        }
        if (node != at)
            return;
        if (test.effectAndTest) {
            pass.tail = {at};
            pass.test = test.effectAndTest.get();
        } else {
            if (pass.body.empty())
                return;
            const int advance = pass.body.back();
            const ProgramNode& last = nodes[static_cast<std::size_t>(advance)];
            if (!last.effectThenTest)
                return;
            pass.body.pop_back();
            pass.tail = {advance, at};
            pass.test = last.effectThenTest.get();
        }
        pass.exit = test.alt;
        for (const int statement : pass.body)
            pass.effects.push_back(nodes[static_cast<std::size_t>(statement)].effect);
        pass.length = pass.body.size() + pass.tail.size();
        const int start = pass.body.empty() ? pass.tail.front() : pass.body.front();
        nodes[static_cast<std::size_t>(start)].pass = static_cast<int>(passes.size());
        passes.push_back(std::move(pass));
    }
};

} // namespace runtime
