#pragma once

// Designs for the layout and paint benchmarks: `count` elements (branch blocks included), either one flat
// sequence of statements or "towers" nested `depth` levels deep. Each level of a tower holds two
// statements and then a loop, a decision, a counting loop, a test-last loop or a named block, whose body
// is the next level; the innermost level holds two statements. Every text is different, as in a real
// design.

#include "model/struktteile.h"
#include "model/texts.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace bench {

class DesignMaker
{
public:
    std::unique_ptr<TBlock> make(int count, int depth)
    {
        auto root = TBlock::Create(texts::kGesamtesProgramm);
        makeDesignRoot(*root);
        std::unique_ptr<TElement>* tail = &root->FirstChild;
        while (m_made < count) {
            *tail = depth == 0 ? statement() : tower(depth);
            while (*tail)
                tail = &(*tail)->Next;
        }
        return root;
    }

private:
    std::unique_ptr<TElement> statement()
    {
        ++m_made;
        return TAnweisung::Create("summe = summe + " + std::to_string(++m_serial));
    }

    // Two statements, then the container of the next level (none at level 0).
    std::unique_ptr<TElement> tower(int depth)
    {
        std::unique_ptr<TElement> first = statement();
        first->Next = statement();
        if (depth == 0)
            return first;
        const std::string text = "i < " + std::to_string(++m_serial);
        TBlock* body = nullptr;
        std::unique_ptr<TElement> container;
        switch (depth % 5) {
        case 0: {
            auto loop = TWhile::Create(text);
            body = loop->branch(1);
            container = std::move(loop);
            break;
        }
        case 1: {
            auto decision = TIf::Create(text);
            body = decision->branch(1);
            decision->branch(2)->FirstChild = statement();
            container = std::move(decision);
            m_made += 1;
            break;
        }
        case 2: {
            auto loop = TFor::Create("i von 1 bis " + std::to_string(m_serial));
            body = loop->branch(1);
            container = std::move(loop);
            break;
        }
        case 3: {
            auto loop = TDoWhile::Create(text);
            body = loop->branch(1);
            container = std::move(loop);
            break;
        }
        default: {
            auto block = TBlock::Create("Teil " + std::to_string(m_serial));
            body = block.get();
            container = std::move(block);
            m_made -= 1; // a named block has no separate body block
            break;
        }
        }
        m_made += 2;
        body->FirstChild = tower(depth - 1);
        first->Next->Next = std::move(container);
        return first;
    }

    int m_made = 0;
    // Numbers in the texts, counted on across designs: no two designs share a text, as no two real
    // designs would, so that each design's texts are measured in the order it is drawn.
    static inline int m_serial = 0;
};

inline std::unique_ptr<TBlock> makeDesign(int count, int depth)
{
    return DesignMaker().make(count, depth);
}

inline constexpr int kCounts[] = {1000, 10000, 100000, 1000000};
inline constexpr int kDepths[] = {0, 5, 20};

// The million-element designs only flat and 20 deep.
inline bool wanted(int count, int depth)
{
    return count < 1000000 || depth != 5;
}

// The designs of the benchmarks, all made once before the first benchmark runs and kept to the end:
// each lies in memory in the order it was made, as a loaded design does, and is not scattered over the
// memory that the benchmarks before it gave back.
inline std::map<std::pair<int, int>, std::unique_ptr<TBlock>>& designs()
{
    static std::map<std::pair<int, int>, std::unique_ptr<TBlock>> all;
    return all;
}

inline void makeAllDesigns()
{
    for (int count : kCounts)
        for (int depth : kDepths)
            if (wanted(count, depth))
                designs()[{count, depth}] = makeDesign(count, depth);
}

inline TBlock& design(int count, int depth)
{
    std::unique_ptr<TBlock>& d = designs()[{count, depth}];
    if (!d)
        d = makeDesign(count, depth);
    return *d;
}

inline void designArgs(benchmark::internal::Benchmark* b)
{
    for (int count : kCounts)
        for (int depth : kDepths)
            for (int flowchart : {0, 1})
                if (wanted(count, depth))
                    b->Args({count, depth, flowchart});
    b->ArgNames({"elements", "depth", "flowchart"});
}

} // namespace bench
