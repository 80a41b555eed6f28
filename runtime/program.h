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

// One pass through a loop whose body is plain nodes (statements of one expression, tests) and whose
// test is one node with the advance before it (a counting loop, or a while loop whose last statement
// advances the counter it tests): a slice that has steps left for the longest way through a pass runs
// it without looking at anything between the steps. The body's nodes are the pass's members, in an
// order where every way between them goes forward; a way back, or out to a node that is not plain,
// leaves the pass there.
struct LoopPass
{
    static constexpr int kToTail = -1; // a way to the advance and test
    static constexpr int kAway = -2;   // a way out of the pass, to `away`

    struct Member
    {
        int node = 0;
        const Expr* expr = nullptr; // a statement's effect, or a test's condition
        bool statement = true;
        // By way (0: a statement's only way, or a test that holds; 1: a test that fails): the index of a
        // later member, kToTail or kAway; for kAway the node the way goes to (-1: the end).
        int to[2] = {kToTail, kToTail};
        int away[2] = {-1, -1};
    };

    std::vector<Member> members; // the first is where the pass starts
    std::vector<int> tail;       // the one or two nodes whose steps `test` takes
    const Expr* test = nullptr;
    int exit = -1;            // where the loop goes when the test fails
    std::uint64_t length = 0; // the steps of the longest way through one pass
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

    // Sets each node's `plain`, `effect` and `test` from its statements and condition, the nodes that
    // do two things at once, and the loops that run pass by pass.
    void finishNodes();

private:
    // The pass of the loop whose test is node `at`, if it has one; `advances` are the pairs (test,
    // statement) of the statements that advance what the test after them compares, sorted.
    void findPass(int at, const std::vector<std::pair<int, int>>& advances);
};

} // namespace runtime
