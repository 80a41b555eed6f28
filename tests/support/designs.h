#pragma once

// Designs for every test binary: builders that put a design together element by element, a design with
// every kind of element, a seeded generator of well-formed designs, and a check of the tree's invariants.

#include "model/struktteile.h"
#include "model/texts.h"

#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

// A design root as the editor makes it (Standalone and Braced 0), empty.
std::unique_ptr<TBlock> makeRoot(std::string name = texts::kGesamtesProgramm);

// Appends `e` at the end of `block`'s sequence and returns it, typed as made.
template <typename T> T* append(TBlock& block, std::unique_ptr<T> e)
{
    T* raw = e.get();
    block.appendChain(std::move(e));
    return raw;
}

inline TAnweisung* statement(TBlock& block, std::string text)
{
    return append(block, TAnweisung::Create(std::move(text)));
}

// A design whose root holds `first` and its successors.
std::unique_ptr<TBlock> designOf(std::unique_ptr<TElement> first);
// A design whose root holds one statement per text.
std::unique_ptr<TBlock> statements(std::initializer_list<const char*> texts);

// A design with one element of each kind, a named block and nesting:
//   statement "a", decision "x > 0" (yes: "b", no: empty), while "w" (body: "c"), named block "Teil"
//   (holding "d" and do-while "dw"), counting loop "i von 1 bis 10" (body: "e"), repeat "r" (body empty).
std::unique_ptr<TBlock> everyKindDesign();

// `first`, its successors and everything inside them, each element before what it holds (branch blocks
// included).
std::vector<TElement*> elementsFrom(TElement* first);

// The element reached from `root` along a path of child indices: in a block the n-th element (0 =
// first), in a condition element 1 or 2 for its branch block. Null where the path leads nowhere.
TElement* at(TBlock& root, const std::vector<int>& path);

struct GeneratorOptions
{
    int maxDepth = 4;    // block levels below the root
    int maxSequence = 4; // elements per sequence
    bool namedBlocks = true;
    bool repeatLoops = true; // TRepeat (comes only from files)
    bool renamedBranches = true;
    bool oddTexts = true; // empty texts, code page 1252 bytes, quotes, backslashes
};

// A root block ("gesamtes Programm", Standalone and Braced 0) with random content.
std::unique_ptr<TBlock> generateDesign(std::mt19937& rng, const GeneratorOptions& options = {});

// A random element text.
std::string generateText(std::mt19937& rng, bool odd);

// Empty when `root` is a well-formed design; otherwise a description of the first broken invariant.
std::string checkInvariants(const TBlock& root);

// Number of elements in `first`, everything inside it and its successors.
int countElements(const TElement& first);
