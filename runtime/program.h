#pragma once

// The compiled program: a graph of steps over the design's elements. Each node is one step: it runs
// the statements of a statement element (or the setting or advancing of a counting loop's variable),
// then tests a condition when it has one, and names the node that runs next. Jumps leave a node through
// its break or continue target; the end of the program is node -1.

#include "runtime/nodes.h"
#include "runtime/runtime.h"

#include <string>
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
    // A plain node with an effect and no condition whose next node is plain (the next statement, a
    // loop's test, a counting loop's advance and test): a run may take both steps in one go, with one
    // node for both where the effect advances the counter that a next node that only tests compares.
    bool plainFollows = false;
    ExprPtr effectThenTest;
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
    int entry = -1;
    std::vector<ProgramVariable> variables;
    std::vector<ScopeLink> links;
    int endScope = -1;
    int primSlots = 0;
    int refSlots = 0;
    int argsSlot = -1;         // the ref slot of `args`
    std::vector<Ref> interned; // the string constants, kept alive for the program's life

    // Sets each node's `plain` and `effect` from its statements.
    void finishNodes()
    {
        for (ProgramNode& n : nodes) {
            n.effect = n.statements.size() == 1 ? n.statements.front()->expression() : nullptr;
            n.plain = n.statements.empty() || n.effect;
            if (n.effect && n.condition)
                n.effectAndTest = n.effect->thenTest(*n.condition);
        }
        for (ProgramNode& n : nodes) {
            if (!n.effect || n.condition || n.next < 0)
                continue;
            const ProgramNode& after = nodes[static_cast<std::size_t>(n.next)];
            n.plainFollows = after.plain;
            if (after.plain && after.condition && !after.effect)
                n.effectThenTest = n.effect->thenTest(*after.condition);
        }
    }
};

} // namespace runtime
