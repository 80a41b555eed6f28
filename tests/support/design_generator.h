#pragma once

// Test helpers for designs: a seeded generator of well-formed designs and a check of the tree's invariants.

#include "model/struktteile.h"

#include <memory>
#include <random>
#include <string>

struct GeneratorOptions
{
    int maxDepth = 4;      // block levels below the root
    int maxSequence = 4;   // elements per sequence
    bool namedBlocks = true;
    bool repeatLoops = true;    // TRepeat (comes only from files)
    bool renamedBranches = true;
    bool oddTexts = true;       // empty texts, code page 1252 bytes, quotes, backslashes
};

// A root block ("gesamtes Programm", Standalone and Braced 0) with random content.
std::unique_ptr<TBlock> GenerateDesign(std::mt19937& rng, const GeneratorOptions& options = {});

// A random element text.
std::string GenerateText(std::mt19937& rng, bool odd);

// Empty when `root` is a well-formed design; otherwise a description of the first broken invariant.
std::string CheckInvariants(const TBlock& root);

// Number of elements in `first`, everything inside it and its successors.
int CountElements(const TElement& first);
