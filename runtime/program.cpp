#include "runtime/program.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace runtime {

void Program::finishNodes()
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
    // The statements that advance what the test after them compares, by that test.
    std::vector<std::pair<int, int>> advances;
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].effectThenTest)
            advances.emplace_back(nodes[i].next, static_cast<int>(i));
    std::sort(advances.begin(), advances.end());
    for (std::size_t i = 0; i < nodes.size(); ++i)
        findPass(static_cast<int>(i), advances);
}

namespace {

// How a plain node goes on: a statement one way, a test two (holds, fails); none for other nodes.
int waysOf(const ProgramNode& n, int (&ways)[2])
{
    if (!n.plain)
        return 0;
    if (n.effectAndTest) {
        ways[0] = n.next;
        ways[1] = n.alt;
        return 2;
    }
    if (n.effect && !n.condition) {
        ways[0] = n.next;
        return 1;
    }
    if (n.test && !n.effect) {
        ways[0] = n.onTrue;
        ways[1] = n.onFalse;
        return 2;
    }
    return 0;
}

} // namespace

// The pass of the loop whose advance and test is node `at` (`effectAndTest`), or whose last statement
// advances what the test at `at` compares (`effectThenTest` of a node before it).
void Program::findPass(int at, const std::vector<std::pair<int, int>>& advances)
{
    constexpr std::size_t kMostMembers = 16;
    const ProgramNode& loop = nodes[static_cast<std::size_t>(at)];
    const int first = loop.next;
    if (first < 0 || nodes[static_cast<std::size_t>(first)].pass >= 0)
        return;
    // The nodes a pass may end with: the loop's own advance and test, or a statement that advances
    // what the loop's test compares, right before it.
    std::vector<int> ends;
    if (loop.effectAndTest) {
        ends.push_back(at);
    } else if (loop.plain && loop.condition && !loop.effect) {
        for (auto i = std::lower_bound(advances.begin(), advances.end(), std::pair(at, -1));
             i != advances.end() && i->first == at; ++i)
            ends.push_back(i->second);
    }
    if (ends.empty())
        return;
    const auto isEnd = [&](int node) { return std::find(ends.begin(), ends.end(), node) != ends.end(); };

    // Depth first from `first` over plain nodes, up to kMostMembers of them.
    std::vector<int> visited;
    const auto seen = [&](int node) {
        return std::find(visited.begin(), visited.end(), node) != visited.end();
    };
    std::vector<int> finished; // in the order the search finished them
    const auto joins = [&](int node) {
        int ways[2];
        return node >= 0 && node != at && !isEnd(node) &&
               waysOf(nodes[static_cast<std::size_t>(node)], ways) > 0;
    };
    const auto search = [&](const auto& self, int node) -> void {
        visited.push_back(node);
        int ways[2] = {-1, -1};
        const int count = waysOf(nodes[static_cast<std::size_t>(node)], ways);
        for (int w = 0; w < count; ++w) {
            if (joins(ways[w]) && !seen(ways[w]) && visited.size() < kMostMembers)
                self(self, ways[w]);
        }
        finished.push_back(node);
    };
    if (!isEnd(first)) {
        if (!joins(first))
            return;
        search(search, first);
    }

    // Members in reverse finishing order: every way between them goes forward but a way back to a node
    // the search had not finished when it took that way (a loop inside the body), which leaves the pass.
    // The first end a way reaches is the pass's end; a way to another end leaves the pass.
    LoopPass pass;
    int tailStart = isEnd(first) ? first : -1;
    std::vector<int> order(finished.rbegin(), finished.rend());
    const auto indexOf = [&](int node) {
        const auto found = std::find(order.begin(), order.end(), node);
        return found == order.end() ? -1 : static_cast<int>(found - order.begin());
    };
    for (std::size_t k = 0; k < order.size(); ++k) {
        const ProgramNode& n = nodes[static_cast<std::size_t>(order[k])];
        LoopPass::Member member;
        member.node = order[k];
        int ways[2] = {-1, -1};
        const int count = waysOf(n, ways);
        member.statement = count == 1;
        member.expr = n.effectAndTest ? n.effectAndTest.get() : member.statement ? n.effect : n.test;
        for (int w = 0; w < count; ++w) {
            const int target = ways[w];
            const int index = indexOf(target);
            if (tailStart < 0 && isEnd(target))
                tailStart = target;
            if (target == tailStart) {
                member.to[w] = LoopPass::kToTail;
            } else if (index > static_cast<int>(k)) {
                member.to[w] = index;
            } else {
                member.to[w] = LoopPass::kAway;
                member.away[w] = target;
            }
        }
        pass.members.push_back(member);
    }
    if (tailStart < 0)
        return;
    if (tailStart == at) {
        pass.tail = {at};
        pass.test = loop.effectAndTest.get();
    } else {
        pass.tail = {tailStart, at};
        pass.test = nodes[static_cast<std::size_t>(tailStart)].effectThenTest.get();
    }

    // The longest way through the members, from the last one back to the first.
    std::vector<std::uint64_t> longest(pass.members.size(), 0);
    for (std::size_t k = pass.members.size(); k-- > 0;) {
        const LoopPass::Member& member = pass.members[k];
        std::uint64_t after = 0;
        for (int w = 0; w < (member.statement ? 1 : 2); ++w)
            if (member.to[w] >= 0)
                after = std::max(after, longest[static_cast<std::size_t>(member.to[w])]);
        longest[k] = 1 + after;
    }
    pass.length = (longest.empty() ? 0 : longest.front()) + pass.tail.size();
    pass.exit = loop.alt;
    nodes[static_cast<std::size_t>(first)].pass = static_cast<int>(passes.size());
    passes.push_back(std::move(pass));
}

} // namespace runtime
